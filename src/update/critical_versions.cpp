#include "update/critical_versions.h"

#include <strings.h>

#include <set>

#include "config/config_paths.h"
#include "config/node_data.h"
#include "config/update_sharing.h"
#include "config/version_compare.h"
#include "config/workstation_files.h"

namespace kt::update {
namespace {

constexpr std::size_t kVersionChars = 50;

std::string WorkstationCompatVersion(const std::string& file) {
    std::string compat;
    config::GetNodeData(file, "Workstation", "Version", nullptr, 0, "CompatVersion", &compat, kVersionChars);
    return compat;
}

}  // namespace

std::string MinimumVersion(run::RunContext& ctx, const std::string& ownGuid) {
    const std::string ownName = ownGuid + ".xml";
    std::string minimum;
    for (const std::string& name : config::ListWorkstationFiles(config::UpdateFilePath(ctx, ""))) {
        if (strcasecmp(name.c_str(), ownName.c_str()) == 0) continue;
        const std::string compat = WorkstationCompatVersion(config::UpdateFilePath(ctx, name));
        if (compat.size() > 1 && config::CompareVersions(compat.c_str(), minimum.c_str()) == 1) minimum = compat;
    }
    return minimum;
}

std::string InstalledVersion(run::RunContext& ctx, const std::string& ownGuid) {
    std::string installed;
    config::GetNodeData(config::GuidFilePath(ctx, ownGuid), "Workstation", "Version", &installed, kVersionChars,
                        nullptr, nullptr, 0);
    return installed;
}

bool ReachesInReadyChain(run::RunContext& ctx, const std::string& installed, const std::string& minimum) {
    const std::size_t maxSteps = config::CountUpdFiles(ctx);
    std::set<std::string> seen{installed};
    std::string version = installed;
    for (std::size_t steps = 0; config::CompareVersions(version.c_str(), minimum.c_str()) == -1; ++steps) {
        std::string next;
        if (steps == maxSteps || !config::FindNextUpdFile(ctx, version, &next, kVersionChars)) return false;
        if (!seen.insert(next).second) return false;
        version = next;
    }
    return true;
}

}  // namespace kt::update
