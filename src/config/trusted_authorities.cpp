#include "config/trusted_authorities.h"

#include <filesystem>

#include "config/config_paths.h"
#include "config/node_data.h"

namespace kt::config {
namespace {

constexpr std::size_t kPathChars = 260;

}  // namespace

std::string TrustedAuthoritiesFile(const run::RunContext& ctx) {
    std::string file;
    if (!GetNodeData(AppIdPath(ctx), "Update", "Tls", nullptr, 0, "CAFile", &file, kPathChars) || file.empty()) {
        return {};
    }
    const std::filesystem::path path(file);
    return path.is_absolute() ? file : (std::filesystem::path(ctx.appDir) / path).string();
}

}  // namespace kt::config
