#include "config/config_paths.h"

#include <filesystem>

namespace kt::config {
namespace {

std::string Join(const std::string& folder, const std::string& name) {
    return (std::filesystem::path(folder) / name).string();
}

}  // namespace

std::string AppIdPath(const run::RunContext& ctx) { return Join(ctx.appDir, kAppIdName); }

std::string UpdateFilePath(const run::RunContext& ctx, const std::string& name) {
    return Join(ctx.updateDirSlash.empty() ? ctx.updateDir : ctx.updateDirSlash, name);
}

std::string GuidFilePath(const run::RunContext& ctx, const std::string& guid) {
    return UpdateFilePath(ctx, guid + ".xml");
}

}  // namespace kt::config
