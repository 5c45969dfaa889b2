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
        tree.WriteFile("UpdateInfo/files.xml", "<?xml version=\"1.0\"?>\n<Files>\n" + entries + "</Files>\n");
    }
    void SetInstalled(const std::string& version, const std::string& sesam) {
        const std::string appId = config::AppIdPath(ctx);
        config::SetNodeData(appId, "Workstation", "Version", version.c_str(), nullptr, nullptr);
        config::SetNodeData(appId, "Workstation", "Sesam", sesam.c_str(), nullptr, nullptr);
    }
    std::string Read(const std::string& file, const char* element, const char* attribute) {
        std::string value;
        config::GetNodeData(file, "Workstation", element, attribute ? nullptr : &value, 260, attribute, &value, 260);
        return value;
    }
};

TEST_F(UpdateSharingTest, HostPackageMatchesTheInstalledVersionExactly) {
    EXPECT_EQ(0, config::IsAnyUpdateOnNetwork(ctx));
    EXPECT_TRUE(Logged("WARNING", "No files.xml found"));

    WriteFilesXml("\t<File Name=\"p.exe\" Version=\"5.2.0\" NewVersion=\"5.3.0\" />\n");
    SetInstalled("5.2.0", "0");
    EXPECT_EQ(1, config::IsAnyUpdateOnNetwork(ctx));
    EXPECT_TRUE(Logged("INFO", "Search update package on local network for current version = 5.2.0"));
    EXPECT_TRUE(Logged("INFO", "Update package available on local network : newVersion = 5.3.0"));

    SetInstalled("5.2", "0");
    EXPECT_EQ(0, config::IsAnyUpdateOnNetwork(ctx));
    EXPECT_TRUE(Logged("INFO", "No update package available on network"));
}

TEST_F(UpdateSharingTest, PackPackagesCountWhenNewerThanTheInstalledPack) {
    SetInstalled("1.0", "4.12.2026");
    WriteFilesXml("\t<Sesam Name=\"s.exe\" Date=\"4.12.2026\" />\n\t<SesamAll Name=\"a.exe\" Date=\"4.12.2026\" />\n");
    EXPECT_EQ(0, config::IsAnyUpdateOnNetwork(ctx));

    WriteFilesXml("\t<SESAM Name=\"s.exe\" Date=\"5.12.2026\" />\n");
    EXPECT_EQ(1, config::IsAnyUpdateOnNetwork(ctx));
    EXPECT_TRUE(Logged("INFO", "Update package (Sesam) available on network"));

    SetInstalled("1.0", "0");
    WriteFilesXml("\t<sesamall Name=\"a.exe\" Date=\"1.1.2000\" />\n");
    EXPECT_EQ(1, config::IsAnyUpdateOnNetwork(ctx));
}

TEST_F(UpdateSharingTest, NextPackageOfTheChain) {
    std::string next;
    EXPECT_EQ(0, config::FindNextUpdFile(ctx, "5.1.0", &next, 50));
    WriteFilesXml("\t<File Version=\"5.1.0\" NewVersion=\"5.2.0\" />\n\t<File Version=\"5.2.0\" NewVersion=\"5.3.0\" />\n");
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
    config::UpdateConfXML(ctx, upperOwn, "1.0", "1.1.2026", "1.0", "1", "0", "0");
    std::filesystem::remove(config::GuidFilePath(ctx, kOwnGuid));
    config::UpdateConfXML(ctx, "{00000000-0000-0000-0000-000000000002}", "1.0", "1.1.2026", "1.0", "0", "0", "0");
    EXPECT_EQ(0, config::CheckUpdateType(ctx, kOwnGuid));

    config::UpdateConfXML(ctx, "{00000000-0000-0000-0000-000000000003}", "1.0", "1.1.2026", "1.0", "1", "0", "0");
    EXPECT_EQ(1, config::CheckUpdateType(ctx, kOwnGuid));
    EXPECT_TRUE(Logged("INFO", "Already a Talvo on network configured to share updates"));
}

TEST_F(UpdateSharingTest, SourceChoiceIsRecordedInBothFiles) {
    const std::string appId = config::AppIdPath(ctx);
    const std::string state = config::GuidFilePath(ctx, kOwnGuid);
    const std::string patch = tree.MakeDir("patch").string();
    tree.WriteFile("patch/versions.xml", "<Update />");

    ASSERT_EQ(1, config::ApplyUpdateSource(ctx, kOwnGuid, {config::kSourceLocalNetwork, false, ""}, true, nullptr));
    EXPECT_EQ("2", Read(appId, "Update", "Type"));
    EXPECT_EQ("0", Read(appId, "Update", "Network"));
    EXPECT_EQ("0", Read(state, "LastUpdate", "Type"));
    EXPECT_EQ("", Read(appId, "LocalUpdate", nullptr));

    // Internet without sharing leaves the published state alone.
    ASSERT_EQ(1, config::ApplyUpdateSource(ctx, kOwnGuid, {config::kSourceInternet, false, patch}, true, nullptr));
    EXPECT_EQ("1", Read(appId, "Update", "Type"));
    EXPECT_EQ("0", Read(state, "LastUpdate", "Type"));
    EXPECT_EQ(patch + "/", Read(appId, "LocalUpdate", nullptr));

    ASSERT_EQ(1, config::ApplyUpdateSource(ctx, kOwnGuid, {config::kSourceInternet, true, patch + "/"}, true, nullptr));
    EXPECT_EQ("1", Read(state, "LastUpdate", "Type"));
    EXPECT_EQ("1", Read(appId, "Update", "Network"));
    EXPECT_EQ(patch + "/", Read(appId, "LocalUpdate", nullptr));

    ASSERT_EQ(1, config::ApplyUpdateSource(ctx, kOwnGuid, {config::kSourceDirectory, false, patch}, true, nullptr));
    EXPECT_EQ("3", Read(appId, "Update", "Type"));
    EXPECT_EQ("0", Read(state, "LastUpdate", "Type"));
    EXPECT_TRUE(presenter->messages.empty());

    // An unknown source records no type.
    ASSERT_EQ(1, config::ApplyUpdateSource(ctx, kOwnGuid, {7, true, patch}, true, nullptr));
    EXPECT_EQ("3", Read(appId, "Update", "Type"));
    EXPECT_EQ("1", Read(appId, "Update", "Network"));
}

TEST_F(UpdateSharingTest, DirectoryWithoutCatalogueIsRefusedOnlyWhenStarting) {
    const std::string appId = config::AppIdPath(ctx);
    const std::string empty = tree.MakeDir("empty").string();
    const std::string before = Read(appId, "LocalUpdate", nullptr);

    EXPECT_EQ(0, config::ApplyUpdateSource(ctx, kOwnGuid, {config::kSourceDirectory, true, empty}, true, nullptr));
    ASSERT_EQ(1u, presenter->messages.size());
    EXPECT_EQ(1074, presenter->messages[0].stringId);
    EXPECT_EQ("Erreur", presenter->messages[0].caption);
    EXPECT_EQ(0x10u, presenter->messages[0].style);
    EXPECT_EQ("3", Read(appId, "Update", "Type"));
    EXPECT_EQ("1", Read(appId, "Update", "Network"));
    EXPECT_EQ(before, Read(appId, "LocalUpdate", nullptr));

    EXPECT_EQ(1, config::ApplyUpdateSource(ctx, kOwnGuid, {config::kSourceDirectory, true, empty}, false, nullptr));
    EXPECT_EQ(empty + "/", Read(appId, "LocalUpdate", nullptr));
    EXPECT_EQ(1u, presenter->messages.size());
}

}  // namespace
}  // namespace kt::test
