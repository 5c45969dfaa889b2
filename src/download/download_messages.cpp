#include "download/download_messages.h"

#include <system_error>

#include "strings/string_table.h"
#include "hostsuite/message_box.h"

namespace kt::download {
namespace {

// The system's text for an error number; the C library names the numbers it
// does not know "Unknown error <n>".
std::string SystemText(int code) {
    const std::string text = std::generic_category().message(code);
    return text.empty() || text.rfind("Unknown error", 0) == 0 ? "Erreur inconnu" : text;
}

}  // namespace

int ShowOnDialogThread(hostsuite::DialogModel& dialog, hostsuite::Window owner, const std::string& text,
                       const std::string& caption, unsigned style, int stringId) {
    int answer = 0;
    dialog.CallOnDialogThread(
        [&] { answer = hostsuite::KtMessageBox(owner, text, caption, style, 1, stringId); });
    return answer;
}

void ShowDownloadError(DownloadJob& job, const std::string& text, int code, int stringId) {
    if (job.silent) return;
    std::string message = text;
    if (stringId != 0) message += strings::LoadString(stringId);
    if (code != 0 && text.empty() && stringId == 0) message = SystemText(code);
    const std::string caption = code != 0 ? "Erreur " + std::to_string(code) : "Erreur";
    const int shownId = text.empty() && stringId != 0 ? stringId : hostsuite::kLiteralText;
    ShowOnDialogThread(job.dialog, job.dialog.Handle(), message, caption, hostsuite::kStyleErrorOk, shownId);
}

}  // namespace kt::download
