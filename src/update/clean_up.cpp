#include "update/clean_up.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <strings.h>
#include <vector>

#include "config/calendar_date.h"
#include "config/last_update_age.h"
#include "platform/recycle_bin.h"
#include "log/activity_log.h"
#include "update/installer_record.h"

namespace kt::update {
namespace {

namespace fs = std::filesystem;

constexpr const char* kPendingInstallerName = "ktupdate.ex~";
constexpr std::size_t kExtensionLength = 4;  // ".xml"

void ReplaceInstaller(const run::RunContext& ctx) {
    const fs::path pending = fs::path(ctx.appDir) / kPendingInstallerName;
    std::error_code ec;
    if (!fs::exists(pending, ec)) return;
    KT_LOG(Info) << "Update ktupdate.exe file";
    // One rename replaces the old program: there is never a moment without one.
    fs::rename(pending, fs::path(ctx.appDir) / kInstallerProgramName, ec);
}

bool IsWorkstationFile(const fs::directory_entry& entry) {
    const std::string name = entry.path().filename().string();
    std::error_code ec;
    return entry.is_regular_file(ec) && name.size() > kExtensionLength && name.front() == '{' &&
           strcasecmp(name.c_str() + name.size() - kExtensionLength, ".xml") == 0;
}

std::vector<std::string> WorkstationFiles(const std::string& updateDir) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(updateDir, ec)) {
        if (IsWorkstationFile(entry)) names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

void RemoveWorkstation(const run::RunContext& ctx, const std::string& name) {
    const std::string file = ctx.updateDirSlash + name;
    KT_LOG(Info) << "Remove " << file << " directory because it is has not been updated for too long";
    std::error_code ec;
    fs::remove(file, ec);
    const std::string folder = ctx.updateDirSlash + "$" + name.substr(0, name.size() - kExtensionLength);
    if (fs::is_directory(folder, ec)) platform::MoveToRecycleBin(folder);
}

}  // namespace

int CleanUp(run::RunContext& ctx, const char* pszGuid) { return CleanUp(ctx, pszGuid, config::LocalNow()); }

int CleanUp(run::RunContext& ctx, const char*, const std::tm& now) {
    ReplaceInstaller(ctx);
    const std::vector<std::string> files = WorkstationFiles(ctx.updateDirSlash);
    for (const std::string& name : files) {
        if (config::DaysSinceLastUpdate(ctx.updateDirSlash + name, now) >= kForgottenWorkstationDays) {
            RemoveWorkstation(ctx, name);
        }
    }
    return files.empty() ? 0 : 1;
}

}  // namespace kt::update
