#include "hostsuite/message_box.h"

namespace kt::hostsuite {

int KtMessageBox(Window owner, const std::string& text, const std::string& caption, unsigned style,
                 int flag, int stringId) {
    MessageRequest request;
    request.owner = owner != nullptr ? owner : DesktopWindow();
    request.stringId = stringId;
    request.text = text;
    request.caption = caption;
    request.style = style;
    request.flag = flag;
    return ActivePresenter().ShowMessage(request);
}

int KtMessageBoxButtons(Window owner, const std::string& text, const std::string& caption,
                        unsigned style, const ButtonRecord& buttons, int flag, int stringId) {
    ButtonsRequest request;
    request.owner = owner != nullptr ? owner : DesktopWindow();
    request.stringId = stringId;
    request.text = text;
    request.caption = caption;
    request.style = style;
    request.buttons = buttons.captions;
    request.flag = flag;
    return ActivePresenter().ShowButtons(request);
}

std::optional<std::string> BrowseForFolder(Window owner, const std::string& caption,
                                           const std::string& initialFolder) {
    return ActivePresenter().ChooseFolder(owner != nullptr ? owner : DesktopWindow(), caption, initialFolder);
}

}  // namespace kt::hostsuite
