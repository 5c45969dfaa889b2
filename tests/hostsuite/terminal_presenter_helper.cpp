// Shows one Yes/No message box and one custom-button box through the terminal
// presenter on the real standard input, then prints both answers.
#include <iostream>
#include <memory>

#include "hostsuite/message_box.h"
#include "hostsuite/terminal_presenter.h"

int main() {
    using namespace kt::hostsuite;
    InstallPresenter(std::make_shared<TerminalPresenter>(nullptr));
    const int first = KtMessageBox(nullptr, "Installer maintenant ?", "Talvo", kStyleQuestionYesNo, 1);
    const int second = KtMessageBoxButtons(nullptr, "Que faire ?", "Talvo", kStyleQuestionYesNo, ButtonRecord{}, 1);
    std::cout << "\nanswers " << first << " " << second << std::endl;
    return 0;
}
