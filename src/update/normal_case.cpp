// The normal case of a run: this workstation's identity and update folder,
// the tidying, the configuration and first-run questions, then the decision
// loop.
#include <filesystem>
#include <system_error>

#include "config/app_guid.h"
#include "hostsuite/message_box.h"
#include "log/activity_log.h"
#include "strings/string_table.h"
#include "update/clean_up.h"
#include "update/ktupdate_app.h"

namespace kt::update {
namespace {

constexpr int kNoUpdateFolder = 1031;
constexpr std::size_t kGuidLength = 128;

// The update folder exists when this returns true.
bool MakeUpdateFolder(const std::string& folder) {
    // An empty folder would put the practice's shared files at the root.
    if (folder.empty()) return false;
    std::error_code error;
    if (std::filesystem::is_directory(folder, error)) return true;
    std::filesystem::create_directories(folder, error);
    return !error && std::filesystem::is_directory(folder, error);
}

}  // namespace

int CKTupdateDLLApp::NormalCase() {
    std::string guid;
    if (!config::GetAppFormattedGuid(ctx_, &guid, kGuidLength)) {
        KT_LOG(Warning) << "Can't find GUID in appid.xml or appid.xml";
        CloseRunHandles();
        return 0;
    }
    KT_LOG(Info) << "GUID : " << guid;
    guid_ = guid;
    if (!MakeUpdateFolder(ctx_.updateDir)) {
        KT_LOG(Error) << "Can't create UpdateInfo directory";
        hostsuite::KtMessageBox(ctx_.ownerWindow, strings::LoadString(kNoUpdateFolder), ctx_.appTitle,
                                hostsuite::kStyleErrorOk, 1, kNoUpdateFolder);
        CloseRunHandles();
        return 0;
    }
    (void)CleanUp(ctx_, guid.c_str());
    ConfigurationQuestion(guid);
    FirstRunQuestion(guid);
    return DecisionLoop();
}

}  // namespace kt::update
