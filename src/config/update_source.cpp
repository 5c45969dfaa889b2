#include "config/update_source.h"

#include <filesystem>

#include "config/config_paths.h"
#include "config/node_data.h"
#include "config/text_limit.h"
#include "strings/string_table.h"
#include "hostsuite/message_box.h"

namespace kt::config {
namespace {

constexpr int kNoUpdateInDirectory = 1074;

const char* SourceText(int source) {
    switch (source) {
        case kSourceInternet: return "1";
        case kSourceLocalNetwork: return "2";
        case kSourceDirectory: return "3";
        default: return nullptr;
    }
}

}  // namespace

std::string RecordedDirectory(const std::string& directory) {
    constexpr std::size_t kPathChars = 260;
    std::string recorded = LimitChars(directory, kPathChars);
    if (!recorded.empty() && recorded.back() != '/') recorded += '/';
    return recorded;
}

int ApplyUpdateSource(run::RunContext& ctx, const std::string& guid, const UpdateSourceChoice& choice,
                      bool checkDirectory, hostsuite::Window owner) {
    const std::string appId = AppIdPath(ctx);
    const std::string stateFile = GuidFilePath(ctx, guid);
    if (const char* type = SourceText(choice.source)) {
        SetNodeData(appId, "Workstation", "Update", nullptr, "Type", type);
        // Downloading for oneself leaves the published state alone: the next
        // run start publishes it from appid.xml.
        if (choice.source != kSourceInternet) {
            SetNodeData(stateFile, "Workstation", "LastUpdate", nullptr, "Type", "0");
        } else if (choice.share) {
            SetNodeData(stateFile, "Workstation", "LastUpdate", nullptr, "Type", "1");
        }
    }
    SetNodeData(appId, "Workstation", "Update", nullptr, "Network", choice.share ? "1" : "0");

    const std::string directory = RecordedDirectory(choice.directory);
    std::error_code ec;
    if (checkDirectory && choice.source == kSourceDirectory &&
        (directory.empty() || !std::filesystem::exists(std::filesystem::path(directory) / "versions.xml", ec))) {
        hostsuite::KtMessageBox(owner, strings::LoadString(kNoUpdateInDirectory), "Erreur",
                                hostsuite::kStyleErrorOk, 1, kNoUpdateInDirectory);
        return 0;
    }
    SetNodeData(appId, "Workstation", "LocalUpdate", directory.c_str(), nullptr, nullptr);
    return 1;
}

}  // namespace kt::config
