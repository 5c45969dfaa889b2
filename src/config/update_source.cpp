#include "config/update_source.h"

#include <filesystem>
#include <system_error>
#include <vector>

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

// An empty directory would name versions.xml of whatever folder the host runs in.
bool HoldsUpdate(const std::string& directory) {
    std::error_code error;
    return !directory.empty() && std::filesystem::is_regular_file(directory + "versions.xml", error);
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
    const std::string directory = RecordedDirectory(choice.directory);
    if (checkDirectory && choice.source == kSourceDirectory && !HoldsUpdate(directory)) {
        hostsuite::KtMessageBox(owner, strings::LoadString(kNoUpdateInDirectory), "Erreur",
                                hostsuite::kStyleErrorOk, 1, kNoUpdateInDirectory);
        return 0;
    }
    const std::string appId = AppIdPath(ctx);
    std::vector<NodeValue> update;
    if (const char* type = SourceText(choice.source)) update.push_back({"Workstation", "Update", "Type", type});
    update.push_back({"Workstation", "Update", "Network", choice.share ? "1" : "0"});
    // The store logs what it cannot write; the choice stands either way.
    (void)SetNodeValues(appId, update);
    (void)SetNodeData(appId, "Workstation", "LocalUpdate", directory.c_str(), nullptr, nullptr);

    // Downloading for the others: on with the Internet source and the box
    // ticked, off with the other sources, untouched otherwise. Downloading for
    // oneself leaves the published state alone: the next run start publishes
    // it from appid.xml.
    const char* forOthers = choice.source == kSourceInternet ? (choice.share ? "1" : nullptr)
                            : SourceText(choice.source) != nullptr ? "0"
                                                                   : nullptr;
    if (forOthers != nullptr && !guid.empty()) {
        (void)SetNodeData(GuidFilePath(ctx, guid), "Workstation", "LastUpdate", nullptr, "Type", forOthers);
    }
    return 1;
}

}  // namespace kt::config
