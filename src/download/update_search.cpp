#include "download/update_search.h"

#include <filesystem>

#include "config/app_guid.h"
#include "config/config_paths.h"
#include "config/decimal_text.h"
#include "config/node_data.h"
#include "config/workstation_files.h"
#include "download/package_name_check.h"
#include "sesam/pack_update_check.h"
#include "sesam/sesam_ini.h"
#include "log/activity_log.h"

namespace kt::download {
namespace {

constexpr std::size_t kGuidChars = 128;
constexpr std::size_t kNetworkChars = 3;

void RemoveWorkingFile(const std::string& path) {
    std::error_code ec;
    std::filesystem::remove(path, ec);
    if (ec) KT_DLOG(Warning) << "KTDownload : Can't delete " << path << " : " << ec.message();
}

}  // namespace

UpdateSearch::UpdateSearch(run::RunContext& ctx, SourceMode mode, const std::string& localFolder,
                           PackDecision packDecision)
    : ctx_(ctx), packDecision_(std::move(packDecision)) {
    state_.sourceMode = mode;
    state_.owner = ctx.ownerWindow;
    if (mode == SourceMode::kInternet) {
        state_.sourceList = ctx.serverUrls;
    } else {
        state_.sourceList.push_back(localFolder);
    }
    if (!packDecision_) {
        packDecision_ = [this](const std::string& versionsPath, int probeOnly) {
            packSession_.owner = state_.owner;
            return sesam::IsSesamPackUpdateNeeded(ctx_, packSession_, versionsPath, probeOnly);
        };
    }
}

int UpdateSearch::GetUpdatesList(const std::string& versionsPath, DownloadList& list, const PackageFolder& folder) {
    std::error_code ec;
    if (!std::filesystem::exists(versionsPath, ec)) return 0;
    const Catalogue catalogue(versionsPath);
    if (catalogue.Malformed()) return -1;
    list.clear();
    // An older search may have left its working copy on disk; nobody must take it for current.
    const std::string workingCopy = config::UpdateFilePath(ctx_, kTmpFilesName);
    RemoveWorkingFile(workingCopy);
    pending_.Clear();

    std::string network;
    config::GetNodeData(config::AppIdPath(ctx_), "Workstation", "Update", nullptr, 0, "Network", &network,
                        kNetworkChars);
    if (config::FlagIsOn(network) && !ctx_.bSesamInstall) {
        KT_DLOG(Info) << "KTDownload : search available updates for all Talvo on local network";
        const std::vector<std::string> stateFiles = config::ListWorkstationFiles(config::UpdateFilePath(ctx_, ""));
        if (stateFiles.empty()) return 0;
        for (const std::string& name : stateFiles) {
            KT_DLOG(Info) << "KTDownload : search available updates for GUID = " << name << ")";
            SearchWorkstation(config::UpdateFilePath(ctx_, name), catalogue, versionsPath, list, folder);
        }
    } else {
        std::string guid;
        config::GetAppFormattedGuid(ctx_, &guid, kGuidChars);
        KT_DLOG(Info) << "KTDownload : search available updates (GUID = " << guid << ")";
        SearchWorkstation(config::GuidFilePath(ctx_, guid), catalogue, versionsPath, list, folder);
    }

    pending_.Clear();
    RemoveWorkingFile(workingCopy);
    if (list.empty()) KT_DLOG(Info) << "KTDownload : No new update to download/copy";
    return 1;
}

int UpdateSearch::FillList(const std::string& stateFile, const std::string& versionsPath, DownloadList& list,
                           const PackageFolder& folder) {
    const Catalogue catalogue(versionsPath);
    SearchWorkstation(stateFile, catalogue, versionsPath, list, folder);
    return 1;
}

void UpdateSearch::SearchWorkstation(const std::string& stateFile, const Catalogue& catalogue,
                                     const std::string& versionsPath, DownloadList& list,
                                     const PackageFolder& folder) {
    constexpr std::size_t kVersionChars = 50;
    constexpr std::size_t kSesamChars = 20;
    std::string version;
    std::string sesamDate;
    config::GetNodeData(stateFile, "Workstation", "Version", &version, kVersionChars, nullptr, nullptr, 0);
    config::GetNodeData(stateFile, "Workstation", "Sesam", &sesamDate, kSesamChars, nullptr, nullptr, 0);

    // One set of package values for the whole walk: a package element
    // without its own Location or File keeps those of the one before.
    PackageFile file;
    if (!ctx_.bSesamInstall) WalkVersions(catalogue, version, file, list, folder);

    const bool packInstalled = sesam::IsSesamPackInstalled();
    const bool noPackDate = config::DecimalValue(sesamDate) == 0;
    if (!packInstalled || (noPackDate && !state_.packCompared)) {
        AddCompletePack(catalogue, versionsPath, sesamDate, file, list, folder);
    } else if (!noPackDate) {
        AddPackUpdates(catalogue, versionsPath, sesamDate, file, list, folder);
    }
}

std::string UpdateSearch::PackageSource(const PackageFile& file, const PackageFolder& folder) const {
    const std::string location = LocationPath(file.location);
    if (state_.sourceMode == SourceMode::kLocal) {
        const std::string folder = state_.sourceList.empty() ? std::string() : state_.sourceList.front();
        return (std::filesystem::path(folder) / location / file.name).string();
    }
    return folder.On(state_.baseAddress) + location + "/" + file.name;
}

void UpdateSearch::CopyFilesXmlOnce() {
    if (pending_.Exists()) return;
    const std::string filesXml = config::UpdateFilePath(ctx_, "files.xml");
    std::error_code ec;
    if (std::filesystem::exists(filesXml, ec)) pending_.CopyFrom(filesXml);
}

int UpdateSearch::DecidePack(const std::string& versionsPath, int probeOnly) {
    if (!probeOnly) state_.packCompared = true;
    return packDecision_(versionsPath, probeOnly);
}

}  // namespace kt::download
