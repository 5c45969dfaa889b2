// Packages waiting in the shared update folder, the workstation that
// downloads for everyone, and the recorded update source.
#include <gtest/gtest.h>

#include "config/update_sharing.h"
#include "config/update_source.h"
#include "config/workstation_state_file.h"
#include "support/workstation.h"

namespace kt::config {
namespace {

using test::kGuid;

class UpdateSharingTest : public test::ConfiguredWorkstation {
protected:
    void WriteFilesXml(const std::string& entries) {
        tree.WriteFile("UpdateInfo/files.xml", "<?xml version=\"1.0\"?>\n<Files>" + entries + "</Files>\n");
    }
    std::optional<std::string> Setting(const std::string& file, const char* element, const char* attribute = nullptr) {
        return Read(file, "Workstation", element, attribute, 260);
    }
};

// A host package counts for exactly the installed version; a pack package
// when newer than the installed pack, or when there is none.
TEST_F(UpdateSharingTest, PackagesWaitingOnTheNetwork) {
    EXPECT_EQ(IsAnyUpdateOnNetwork(ctx), 0);
    EXPECT_TRUE(Logged("WARNING No files.xml found"));
    const std::string host = "<File Name=\"p.exe\" Version=\"5.2.0\" NewVersion=\"5.3.0\" />";
    const struct {
        std::string entries;
        const char* version;
        const char* sesam;
        int available;
    } cases[] = {
        {host, "5.2.0", "0", 1},
        {host, "5.2", "0", 0},
        {"<Sesam Name=\"s.exe\" Date=\"4.12.2026\" /><SesamAll Name=\"a.exe\" Date=\"4.12.2026\" />", "1.0", "4.12.2026", 0},
        {"<SESAM Name=\"s.exe\" Date=\"5.12.2026\" />", "1.0", "4.12.2026", 1},
        {"<sesamall Name=\"a.exe\" Date=\"1.1.2000\" />", "1.0", "0", 1},
        // A damaged files.xml holds no package.
        {host + "<File Version=\"5.2.0\" ", "5.2.0", "0", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.entries + " for " + c.version + ", pack " + c.sesam);
        WriteFilesXml(c.entries);
        ASSERT_EQ(SetNodeData(AppId(), "Workstation", "Version", c.version, nullptr, nullptr), 1);
        ASSERT_EQ(SetNodeData(AppId(), "Workstation", "Sesam", c.sesam, nullptr, nullptr), 1);
        EXPECT_EQ(IsAnyUpdateOnNetwork(ctx), c.available);
    }
    EXPECT_TRUE(Logged("INFO Search update package on local network for current version = 5.2.0"));
    EXPECT_TRUE(Logged("INFO Update package available on local network : newVersion = 5.3.0"));
    EXPECT_TRUE(Logged("INFO Update package (Sesam) available on network"));
    EXPECT_TRUE(Logged("WARNING Can't parse " + UpdateFile("files.xml") + " : Error parsing start element tag at offset 107"));
    EXPECT_TRUE(Logged("WARNING files.xml unusable, read as empty : " + UpdateFile("files.xml")));
    EXPECT_EQ(CountLogged("INFO No update package available on network"), 3);
}

// The walk along the chain is the critical runs'; here the end and the cut.
TEST_F(UpdateSharingTest, NextPackageOfTheChain) {
    std::string next;
    WriteFilesXml("<File Version=\"5.1.0\" NewVersion=\"5.2.0\" />");
    ASSERT_EQ(FindNextUpdFile(ctx, "5.1.0", &next, 3), 1);
    EXPECT_EQ(next, "5.2");
    EXPECT_EQ(FindNextUpdFile(ctx, "5.2.0", &next, 50), 0);
}

TEST_F(UpdateSharingTest, OnlyAnotherWorkstationThatSharesCounts) {
    std::string upperOwn = kGuid;
    for (char& c : upperOwn) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    // This workstation's own file, written with another letter case, shares.
    std::filesystem::remove(GuidFile());
    UpdateConfXML(ctx, upperOwn, "1.0", "1.1.2026", "1.0", "1", "0", "0");
    UpdateConfXML(ctx, "{00000000-0000-0000-0000-000000000002}", "1.0", "1.1.2026", "1.0", "0", "0", "0");
    // A damaged state file, as a workstation killed while writing would leave it, shares nothing.
    tree.WriteFile("UpdateInfo/{00000000-0000-0000-0000-000000000004}.xml", "<Workstation><LastUpdate Type=\"1");
    EXPECT_EQ(CheckUpdateType(ctx, kGuid), 0);

    UpdateConfXML(ctx, "{00000000-0000-0000-0000-000000000003}", "1.0", "1.1.2026", "1.0", "1", "0", "0");
    EXPECT_EQ(CheckUpdateType(ctx, kGuid), 1);
    EXPECT_TRUE(Logged("INFO Already a Talvo on network configured to share updates"));
}

TEST_F(UpdateSharingTest, SourceChoiceIsRecordedInBothFiles) {
    const std::string patch = tree.MakeDir("patch").string(), empty = tree.MakeDir("empty").string();
    tree.WriteFile("patch/versions.xml", "<Update />");
    const struct {
        UpdateSourceChoice choice;
        bool starting;
        int result;
        const char* type;  // then Network of appid.xml, Type of the state file, the recorded directory
        const char* network;
        const char* stateType;
        std::string recorded;
    } cases[] = {
        {{kSourceLocalNetwork, false, ""}, true, 1, "2", "0", "0", ""},
        // Internet without sharing leaves the published state alone.
        {{kSourceInternet, false, patch}, true, 1, "1", "0", "0", patch + "/"},
        {{kSourceInternet, true, patch + "/"}, true, 1, "1", "1", "1", patch + "/"},
        {{kSourceDirectory, false, patch}, true, 1, "3", "0", "0", patch + "/"},
        // An unknown source records no type.
        {{7, true, patch}, true, 1, "3", "1", "0", patch + "/"},
        // A directory without catalogue is refused only when the user starts the update.
        {{kSourceDirectory, true, empty}, true, 0, "3", "1", "0", patch + "/"},
        {{kSourceDirectory, true, empty}, false, 1, "3", "1", "0", empty + "/"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.choice.source) + " " + c.choice.directory);
        presenter->messages.clear();
        EXPECT_EQ(ApplyUpdateSource(ctx, kGuid, c.choice, c.starting, nullptr), c.result);
        EXPECT_EQ(Setting(AppId(), "Update", "Type").value_or("-") + " " + Setting(AppId(), "Update", "Network").value_or("-") +
                      " " + Setting(GuidFile(), "LastUpdate", "Type").value_or("-") + " " +
                      Setting(AppId(), "LocalUpdate").value_or("-"),
                  std::string(c.type) + " " + c.network + " " + c.stateType + " " + c.recorded);
        ASSERT_EQ(presenter->messages.size(), c.result == 0 ? 1u : 0u);
        if (c.result == 0) {
            const hostsuite::MessageRequest& shown = presenter->messages[0];
            EXPECT_EQ(std::tie(shown.stringId, shown.caption, shown.style), std::tuple(1074, "Erreur", 0x10u));
        }
    }
}

}  // namespace
}  // namespace kt::config
