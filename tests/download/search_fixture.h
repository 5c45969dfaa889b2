// The catalogue search on a workstation at version 1.0 without a pack, alone
// on the network: a catalogue to fill, and a search whose pack decisions are
// recorded and answered by `packAnswer`.
#pragma once

#include <memory>
#include <utility>

#include "catalogue_writer.h"
#include "config/workstation_state_file.h"
#include "download/download_item.h"
#include "download/update_search.h"
#include "support/workstation.h"

namespace kt::test {

inline constexpr const char* kOwnGuid = kGuid;
inline constexpr const char* kServer = "ftp://127.0.0.1:2121/maj/";
using Items = std::vector<std::string>;

class SearchFixture : public Workstation {
protected:
    SearchFixture() {
        ctx.version = ctx.compatVersion = "1.0";
        ctx.serverUrls = {kServer};
        CreateDefault();
        SetNetwork(false);
        WriteWorkstation(kGuid, "1.0");
    }

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

    void SetNetwork(bool on) { SetUpdate("Network", on ? "1" : "0"); }
    // The state file of a workstation at `version` with the Sesam Vitale pack dated `sesam`.
    void WriteWorkstation(const std::string& guid, const std::string& version, const std::string& sesam = "0") {
        config::UpdateConfXML(ctx, guid, version, "1.1.2026", "1.0", "1", sesam, "0");
    }
    // The log lines holding `fragment`.
    long Mentions(const std::string& fragment) const {
        const Strings lines = Log();
        return std::count_if(lines.begin(), lines.end(), [&](const std::string& l) { return l.find(fragment) != std::string::npos; });
    }
    using Workstation::Logged;
    bool Logged(const std::string& level, const std::string& message) const { return Logged(level + " " + message); }

    const std::string versions = (tree / "versions.xml").string();
    CatalogueWriter catalogue;
    std::vector<std::pair<std::string, int>> packCalls;
    int packAnswer = 1;
};

}  // namespace kt::test
