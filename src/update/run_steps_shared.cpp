// What the steps of a run share: the connection check, the module's own
// dialogs and the reads of appid.xml.
#include <cstdlib>

#include "config/config_paths.h"
#include "config/node_data.h"
#include "dialogs/options_dialog.h"
#include "hostsuite/message_box.h"
#include "platform/dialog_registry.h"
#include "run/run_names.h"
#include "strings/string_table.h"
#include "update/ktupdate_app.h"

namespace kt::update {

int CKTupdateDLLApp::ConnectionCheck() {
    return connection_->IsInternetConnection(ctx_.serverUrls, nullptr);
}

int CKTupdateDLLApp::RunModuleDialog(hostsuite::DialogModel& dialog) {
    // A second call of the module brings this dialog back instead of starting a run.
    const auto registration = platform::RegisterOpenDialog(run::kDownloadDialogClass, [&dialog] { dialog.RequestRestore(); });
    return hostsuite::ActivePresenter().RunDialog(dialog);
}

int CKTupdateDLLApp::OpenOptions(hostsuite::Window parent) {
    dialogs::CKTUpdOptions options(ctx_, parent, {[this] { return connection_->GetDialer().PhoneBookEntries(); }});
    return RunModuleDialog(options);
}

int CKTupdateDLLApp::ShowMessage(int id, unsigned style) {
    return hostsuite::KtMessageBox(ctx_.ownerWindow, strings::FormatString(strings::LoadString(id), {ctx_.appTitle}),
                                   ctx_.appTitle, style, 1, id);
}

int CKTupdateDLLApp::AskWithOptions(int id) {
    return hostsuite::KtMessageBoxButtons(ctx_.ownerWindow,
                                          strings::FormatString(strings::LoadString(id), {ctx_.appTitle}),
                                          ctx_.appTitle, hostsuite::kStyleQuestionYesNo, hostsuite::ButtonRecord{}, 1, id);
}

std::string CKTupdateDLLApp::AppId() const { return config::AppIdPath(ctx_); }

int CKTupdateDLLApp::ReadFlag(const char* element, const char* attribute, std::size_t length) const {
    std::string value;
    if (!config::GetNodeData(AppId(), "Workstation", element, nullptr, 0, attribute, &value, length)) return 0;
    return std::atoi(value.c_str()) != 0 ? 1 : 0;
}

}  // namespace kt::update
