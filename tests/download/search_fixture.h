// A practice in a temporary tree for the catalogue and files.xml tests: an
// application folder with appid.xml, the shared update folder with this
// workstation's state file at version 1.0 without a pack, a catalogue to
// fill, the activity log in the tree and a presenter that records the
// questions.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "catalogue_writer.h"
#include "config/config_paths.h"
#include "config/default_config.h"
#include "config/node_data.h"
#include "config/workstation_state_file.h"
#include "download/update_search.h"
#include "support/activity_log_reader.h"
#include "support/recording_presenter.h"
#include "support/temp_tree.h"
#include "log/activity_log.h"

namespace kt::test {

inline constexpr const char* kOwnGuid = "{1A2B3C4D-5E6F-7a8b-9C0D-1E2F3A4B5C6D}";
inline constexpr const char* kServer = "ftp://127.0.0.1:2121/maj/";
using Items = std::vector<std::string>;

class SearchFixture : public ::testing::Test {
protected:
    SearchFixture() {
        log::ConfigureActivityLog();
        hostsuite::InstallPresenter(presenter);
        ctx.appDir = tree.MakeDir("app").string();
        ctx.updateDir = tree.MakeDir("UpdateInfo").string();
        ctx.updateDirSlash = ctx.updateDir + "/";
        ctx.appTitle = "Talvo";
        ctx.version = ctx.compatVersion = "1.0";
        ctx.serverUrls = {kServer};
        config::CreateDefaultConfig(ctx, kOwnGuid);
        SetNetwork(false);
        WriteWorkstation(kOwnGuid, "1.0");
    }
    ~SearchFixture() override { hostsuite::InstallPresenter(nullptr); }

    // An Internet search whose pack decisions are recorded and answered by `packAnswer`.
    std::unique_ptr<download::UpdateSearch> MakeSearch(download::SourceMode mode = download::SourceMode::kInternet,
                                                       const std::string& folder = "") {
        auto search = std::make_unique<download::UpdateSearch>(
            ctx, mode, folder, [this](const std::string& path, int probeOnly) {
                packCalls.emplace_back(path, probeOnly);
                return probeOnly ? 1 : packAnswer;
            });
        search->State().baseAddress = kServer;
        return search;
    }

    // Saves `catalogue`, then returns what `search` lists, newest first.
    Items Search(download::UpdateSearch& search, const download::PackageFolder& folder = {}) {
        EXPECT_TRUE(catalogue.Save(versions));
        download::DownloadList list{download::DownloadItem{}};
        EXPECT_EQ(1, search.GetUpdatesList(versions, list, folder));
        Items items;
        for (const download::DownloadItem& item : list) items.push_back(download::FormatDownloadItem(item));
        return items;
    }
    Items Search() { return Search(*MakeSearch()); }

    void SetNetwork(bool on) {
        config::SetNodeData(config::AppIdPath(ctx), "Workstation", "Update", nullptr, "Network", on ? "1" : "0");
    }

    // The state file of a workstation at `version` with the Sesam Vitale pack dated `sesam`.
    void WriteWorkstation(const std::string& guid, const std::string& version, const std::string& sesam = "0") {
        config::UpdateConfXML(ctx, guid, version, "1.1.2026", "1.0", "1", sesam, "0");
    }

    std::string UpdateFile(const std::string& name) const { return config::UpdateFilePath(ctx, name); }

    // True when the activity log holds `message` at `level` ("INFO", "WARNING", "ERROR").
    bool Logged(const std::string& level, const std::string& message) const {
        const std::string tail = std::string(log::kLogName) + " : " + message;
        std::istringstream lines(ReadActivityLog());
        for (std::string line; std::getline(lines, line);) {
            if (line.starts_with(level + " ") && line.ends_with(tail)) return true;
        }
        return false;
    }

    int CountLogged(const std::string& fragment) const {
        std::istringstream lines(ReadActivityLog());
        int count = 0;
        for (std::string line; std::getline(lines, line);) count += line.find(fragment) != std::string::npos;
        return count;
    }

    TempTree tree;
    std::shared_ptr<RecordingPresenter> presenter = std::make_shared<RecordingPresenter>();
    run::RunContext ctx;
    const std::string versions = (tree / "versions.xml").string();
    CatalogueWriter catalogue;
    std::vector<std::pair<std::string, int>> packCalls;
    int packAnswer = 1;
};

}  // namespace kt::test
