#include "sesam/sesam_xml.h"

#include <filesystem>

#include "config/config_paths.h"
#include "config/node_data.h"

namespace kt::sesam {
namespace {

std::string ReadText(const std::string& path, const char* element) {
    std::string text;
    if (!config::GetNodeData(path, "Sesam", element, &text, kSesamXmlTextLength, nullptr, nullptr, 0)) return {};
    return text;
}

}  // namespace

std::string SesamXmlPath(const run::RunContext& ctx) { return config::UpdateFilePath(ctx, kSesamXmlName); }

std::optional<TableSet> ReadSharedTableSet(const std::string& path) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) return std::nullopt;
    return TableSet{ReadText(path, "COMMUN"), ReadText(path, "SSV"), ReadText(path, "SRT"), ReadText(path, "STS")};
}

}  // namespace kt::sesam
