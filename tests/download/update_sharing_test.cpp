// Packages waiting in the shared update folder, the workstation that
// downloads for everyone, and the recorded update source.
#include <gtest/gtest.h>

#include "config/update_sharing.h"
#include "config/update_source.h"
#include "search_fixture.h"

namespace kt::test {
namespace {

class UpdateSharingTest : public SearchFixture {
protected:
    void WriteFilesXml(const std::string& entries) {
        tree.WriteFile("UpdateInfo/files.xml", "<?xml version=\"1.0\"?>\n<Files>" + entries + "</Files>\n");
    }
    // The text of `element`, or its `attribute`, under Workstation.
    std::string Read(const std::string& file, const char* element, const char* attribute = nullptr) {
        std::string value;
        config::GetNodeData(file, "Workstation", element, attribute ? nullptr : &value, 260, attribute, &value, 260);
        return value;
    }
    const std::string appId = config::AppIdPath(ctx);
};

// A host package counts for exactly the installed version; a pack package
// when newer than the installed pack, or when there is none.
TEST_F(UpdateSharingTest, PackagesWaitingOnTheNetwork) {
    EXPECT_EQ(0, config::IsAnyUpdateOnNetwork(ctx));
    EXPECT_TRUE(Logged("WARNING", "No files.xml found"));
    const std::string hostPackage = "<File Name=\"p.exe\" Version=\"5.2.0\" NewVersion=\"5.3.0\" />";
    const std::tuple<std::string, const char*, const char*, int> cases[] = {
        {hostPackage, "5.2.0", "0", 1},
        {hostPackage, "5.2", "0", 0},
        {"<Sesam Name=\"s.exe\" Date=\"4.12.2026\" /><SesamAll Name=\"a.exe\" Date=\"4.12.2026\" />", "1.0",
         "4.12.2026", 0},
        {"<SESAM Name=\"s.exe\" Date=\"5.12.2026\" />", "1.0", "4.12.2026", 1},
        {"<sesamall Name=\"a.exe\" Date=\"1.1.2000\" />", "1.0", "0", 1},
    };
    for (const auto& [entries, version, sesam, available] : cases) {
        SCOPED_TRACE(entries + " for " + version + ", pack " + sesam);
        WriteFilesXml(entries);
        config::SetNodeData(appId, "Workstation", "Version", version, nullptr, nullptr);
        config::SetNodeData(appId, "Workstation", "Sesam", sesam, nullptr, nullptr);
        EXPECT_EQ(available, config::IsAnyUpdateOnNetwork(ctx));
    }
    EXPECT_TRUE(Logged("INFO", "Search update package on local network for current version = 5.2.0"));
    EXPECT_TRUE(Logged("INFO", "Update package available on local network : newVersion = 5.3.0"));
    EXPECT_TRUE(Logged("INFO", "No update package available on network"));
    EXPECT_TRUE(Logged("INFO", "Update package (Sesam) available on network"));
}

// A damaged files.xml is logged with where it breaks, and holds no package.
TEST_F(UpdateSharingTest, DamagedFilesXmlHoldsNoPackage) {
    tree.WriteFile("UpdateInfo/files.xml", "<Files><File Version=\"5.2.0\" NewVersion=\"5.3.0\" ");
    config::SetNodeData(appId, "Workstation", "Version", "5.2.0", nullptr, nullptr);
    EXPECT_EQ(0, config::IsAnyUpdateOnNetwork(ctx));
    const std::string path = config::UpdateFilePath(ctx, "files.xml");
    EXPECT_TRUE(Logged("WARNING", "Can't parse " + path + " : Error parsing start element tag at offset 47"));
    EXPECT_TRUE(Logged("WARNING", "files.xml unusable, read as empty : " + path));
    EXPECT_TRUE(Logged("INFO", "No update package available on network"));
}

TEST_F(UpdateSharingTest, NextPackageOfTheChain) {
    std::string next;
    EXPECT_EQ(0, config::FindNextUpdFile(ctx, "5.1.0", &next, 50));
    WriteFilesXml("<File Version=\"5.1.0\" NewVersion=\"5.2.0\" /><File Version=\"5.2.0\" NewVersion=\"5.3.0\" />");
    ASSERT_EQ(1, config::FindNextUpdFile(ctx, "5.2.0", &next, 50));
    EXPECT_EQ("5.3.0", next);
    ASSERT_EQ(1, config::FindNextUpdFile(ctx, "5.1.0", &next, 3));
    EXPECT_EQ("5.2", next);
    EXPECT_EQ(0, config::FindNextUpdFile(ctx, "5.3.0", &next, 50));
}

TEST_F(UpdateSharingTest, OnlyAnotherWorkstationThatSharesCounts) {
    std::string upperOwn = kOwnGuid;
    for (char& c : upperOwn) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    // This workstation's own file, written with another letter case, shares.
    std::filesystem::remove(config::GuidFilePath(ctx, kOwnGuid));
    config::UpdateConfXML(ctx, upperOwn, "1.0", "1.1.2026", "1.0", "1", "0", "0");
    config::UpdateConfXML(ctx, "{00000000-0000-0000-0000-000000000002}", "1.0", "1.1.2026", "1.0", "0", "0", "0");
    EXPECT_EQ(0, config::CheckUpdateType(ctx, kOwnGuid));

    config::UpdateConfXML(ctx, "{00000000-0000-0000-0000-000000000003}", "1.0", "1.1.2026", "1.0", "1", "0", "0");
    EXPECT_EQ(1, config::CheckUpdateType(ctx, kOwnGuid));
    EXPECT_TRUE(Logged("INFO", "Already a Talvo on network configured to share updates"));
}

TEST_F(UpdateSharingTest, SourceChoiceIsRecordedInBothFiles) {
    const std::string state = config::GuidFilePath(ctx, kOwnGuid);
    const std::string patch = tree.MakeDir("patch").string();
    tree.WriteFile("patch/versions.xml", "<Update />");
    // Source, sharing, directory; then Type and Network of appid.xml, the
    // state file's Type, and the recorded directory.
    const std::tuple<int, bool, std::string, const char*, const char*, const char*, std::string> cases[] = {
        {config::kSourceLocalNetwork, false, "", "2", "0", "0", ""},
        // Internet without sharing leaves the published state alone.
        {config::kSourceInternet, false, patch, "1", "0", "0", patch + "/"},
        {config::kSourceInternet, true, patch + "/", "1", "1", "1", patch + "/"},
        {config::kSourceDirectory, false, patch, "3", "0", "0", patch + "/"},
        // An unknown source records no type.
        {7, true, patch, "3", "1", "0", patch + "/"},
    };
    for (const auto& [source, share, directory, type, network, stateType, recorded] : cases) {
        SCOPED_TRACE(source);
        ASSERT_EQ(1, config::ApplyUpdateSource(ctx, kOwnGuid, {source, share, directory}, true, nullptr));
        EXPECT_EQ(type, Read(appId, "Update", "Type"));
        EXPECT_EQ(network, Read(appId, "Update", "Network"));
        EXPECT_EQ(stateType, Read(state, "LastUpdate", "Type"));
        EXPECT_EQ(recorded, Read(appId, "LocalUpdate"));
    }
    EXPECT_TRUE(presenter->messages.empty());
}

TEST_F(UpdateSharingTest, DirectoryWithoutCatalogueIsRefusedOnlyWhenStarting) {
    const std::string empty = tree.MakeDir("empty").string();
    const std::string before = Read(appId, "LocalUpdate");

    EXPECT_EQ(0, config::ApplyUpdateSource(ctx, kOwnGuid, {config::kSourceDirectory, true, empty}, true, nullptr));
    ASSERT_EQ(1u, presenter->messages.size());
    EXPECT_EQ(1074, presenter->messages[0].stringId);
    EXPECT_EQ("Erreur", presenter->messages[0].caption);
    EXPECT_EQ(0x10u, presenter->messages[0].style);
    EXPECT_EQ("3", Read(appId, "Update", "Type"));
    EXPECT_EQ("1", Read(appId, "Update", "Network"));
    EXPECT_EQ(before, Read(appId, "LocalUpdate"));

    EXPECT_EQ(1, config::ApplyUpdateSource(ctx, kOwnGuid, {config::kSourceDirectory, true, empty}, false, nullptr));
    EXPECT_EQ(empty + "/", Read(appId, "LocalUpdate"));
    EXPECT_EQ(1u, presenter->messages.size());
}

}  // namespace
}  // namespace kt::test
