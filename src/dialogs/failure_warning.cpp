#include "dialogs/failure_warning.h"

#include "hostsuite/message_box.h"
#include "strings/string_table.h"

namespace kt::dialogs {
namespace {

constexpr int kRunsKeepFailing = 1018;

}  // namespace

void ShowFailureWarning(hostsuite::Window owner, const std::string& title) {
    hostsuite::KtMessageBox(owner, strings::LoadString(kRunsKeepFailing), title, hostsuite::kStyleErrorOk, 1,
                            kRunsKeepFailing);
}

}  // namespace kt::dialogs
