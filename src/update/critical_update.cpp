// The critical run: the host calls it when this workstation may lag behind
// the version the other workstations of the practice already use with the
// shared data. The result tells the host whether it may go on (0) or not (1).
#include <filesystem>
#include <initializer_list>

#include "config/app_config_check.h"
#include "config/app_guid.h"
#include "config/config_paths.h"
#include "config/default_config.h"
#include "config/node_data.h"
#include "config/updating_lock.h"
#include "config/version_compare.h"
#include "hostsuite/message_box.h"
#include "log/activity_log.h"
#include "strings/string_table.h"
#include "update/critical_versions.h"
#include "update/install_updates.h"
#include "update/ktupdate_app.h"

namespace kt::update {
namespace {

constexpr std::size_t kGuidChars = 128;
constexpr std::size_t kVersionChars = 50;
constexpr int kInstallMode = 2;

constexpr int kDownloadCancelled = 1025;
constexpr int kNewerElsewhere = 1028;
constexpr int kNothingOnNetwork = 1030;
constexpr int kNoUpdateFolder = 1031;
constexpr int kIncompatible = 1107;
constexpr int kHostClosed = 1118;

// An update folder the host left empty would put the shared files at the
// root of the file system: it counts as one that cannot be made.
bool EnsureFolder(const std::string& given, const std::string& folder) {
    if (given.empty()) return false;
    std::error_code ec;
    if (std::filesystem::is_directory(folder, ec)) return true;
    std::filesystem::create_directory(folder, ec);
    return !ec && std::filesystem::is_directory(folder, ec);
}

// The Version text under Workstation in appid.xml, or its attribute.
std::string StoredVersion(const std::string& appId, const char* attribute = nullptr) {
    std::string text;
    std::string value;
    config::GetNodeData(appId, "Workstation", "Version", &text, kVersionChars, attribute, &value, kVersionChars);
    return attribute != nullptr ? value : text;
}

}  // namespace

int CKTupdateDLLApp::CriticalUpdate(KTInstanceHandle, const tagKTUpdateStruct& record, bool bFlag) {
    KT_LOG(Info) << "Critical update function starts";
    ctx_.ownerWindow = hostsuite::DesktopWindow();
    if (!AcceptRecord(record, ctx_.ownerWindow)) return 1;
    CopyRecord(record);
    ctx_.ownerWindow = hostsuite::DesktopWindow();
    ctx_.bAtStart = 0;
    ctx_.bSesamInstall = 0;
    ctx_.bCritical = 1;
    ctx_.bRunRequested = 1;
    return CheckCriticalVersions(bFlag ? 1 : 0);
}

int CKTupdateDLLApp::ShowCritical(int flag, int id, unsigned style, std::initializer_list<std::string> args) {
    return hostsuite::KtMessageBox(ctx_.ownerWindow, strings::FormatString(strings::LoadString(id), args),
                                   ctx_.appTitle, style, flag, id);
}

int CKTupdateDLLApp::CheckCriticalVersions(int flag) {
    std::string guid;
    if (!config::GetAppFormattedGuid(ctx_, &guid, kGuidChars)) return 0;
    if (!EnsureFolder(ctx_.updateDir, ctx_.updateDirSlash)) {
        ShowCritical(flag, kNoUpdateFolder, hostsuite::kStyleErrorOk, {});
        return 0;
    }
    const std::string appId = config::AppIdPath(ctx_);
    // Read before the configuration check, which would replace it with the
    // host's own: a host too old for the practice's data must stop here,
    // and leave appid.xml as it was.
    const std::string requiredCompat = StoredVersion(appId, "CompatVersion");
    if (config::CompareVersions(ctx_.compatVersion.c_str(), requiredCompat.c_str()) == -1) {
        KT_LOG(Error) << "Incompatibility detected : current compatibility version (KTVer.dll) = " << ctx_.compatVersion
                      << " whereas asked version (appid.xml) = " << requiredCompat;
        ShowCritical(flag, kIncompatible, hostsuite::kStyleErrorOk, {requiredCompat});
        return 1;
    }
    if (!config::IsAppConfig(ctx_, guid)) config::CreateDefaultConfig(ctx_, guid);
    // Only its clean-up matters here: a stale or own updating.xml goes.
    (void)config::IsUpdateRunningElsewhere(ctx_, ctx_.updateDirSlash);
    ctx_.version = StoredVersion(appId);

    const std::string minimum = MinimumVersion(ctx_, guid);
    const std::string installed = InstalledVersion(ctx_, guid);
    if (config::CompareVersions(installed.c_str(), minimum.c_str()) >= 0) {
        KT_LOG(Info) << "No need for critical update";
        return 0;
    }
    KT_LOG(Info) << "Critical update needed : current version = " << installed << ", min version = " << minimum;
    return CatchUp(flag, installed, minimum);
}

int CKTupdateDLLApp::CatchUp(int flag, const std::string& installed, const std::string& minimum) {
    KT_LOG(Info) << "CriticalUpdate : Ask user if he wants to continue update or close Talvo";
    if (ShowCritical(flag, kNewerElsewhere, hostsuite::kStyleWarningYesNo, {ctx_.appTitle, ctx_.version, minimum}) !=
        hostsuite::kIdYes) {
        return CloseHost(flag, kHostClosed, minimum);
    }
    KT_LOG(Info) << "CriticalUpdate : Check in UpdateInfo/files.xml if necessary updates are present";
    if (ReachesInReadyChain(ctx_, installed, minimum)) {
        KT_LOG(Info) << "CriticalUpdate : Update found in UpdateInfo : start installation";
        return InstallUpdates(ctx_, 0, 0, 1, kInstallMode) != nullptr ? 1 : 0;
    }
    KT_LOG(Info) << "CriticalUpdate : No update found in UpdateInfo : ask for download";
    if (ShowCritical(flag, kNothingOnNetwork, hostsuite::kStyleWarningYesNo, {}) != hostsuite::kIdYes) {
        return CloseHost(flag, kDownloadCancelled, minimum);
    }
    KT_LOG(Info) << "CriticalUpdate : Look for update on Internet";
    // The run decision takes its critical case: download, offer to install,
    // or say that the download failed.
    InitInstance();
    ExitInstance();
    return 1;
}

int CKTupdateDLLApp::CloseHost(int flag, int id, const std::string& minimum) {
    KT_LOG(Warning) << "CriticalUpdate : User chooses to close Talvo";
    ShowCritical(flag, id, hostsuite::kStyleErrorOk, {ctx_.appTitle, ctx_.version, minimum});
    return 1;
}

}  // namespace kt::update
