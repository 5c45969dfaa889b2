// The walk of versions.xml from each workstation's version: the items it
// lists, their sources, the compatibility question and the catalogues that
// must not be followed.
#include <gtest/gtest.h>

#include <filesystem>

#include "download/download_item.h"
#include "download/package_name_check.h"
#include "search_fixture.h"

namespace kt::test {
namespace {

using CatalogueWalkTest = SearchFixture;

TEST_F(CatalogueWalkTest, TwoStepsAreListedNewestFirstWithTheirFields) {
    catalogue.AddStep("1.0", "1.1", "p11.exe", "3.1.2026");
    catalogue.AddStep("1.1", "1.2", "p12.exe", "4.1.2026").attribute("Continue").set_value("0");

    const Items items = Search();

    ASSERT_EQ(items, (Items{"ftp://127.0.0.1:2121/maj/1.2/p12.exe;4.1.2026;1.1;1.2;1;1;0;1",
                            "ftp://127.0.0.1:2121/maj/1.1/p11.exe;3.1.2026;1.0;1.1;1;1;1;1"}));
    EXPECT_TRUE(Logged("INFO", std::string("KTDownload : search available updates (GUID = ") + kOwnGuid + ")"));
    EXPECT_TRUE(Logged("INFO", "KTDownload : Find node in versions.xml : old version = 1.0, new version = 1.1, "
                               "continu = 1, compatibility = 1, canrestore = 1, location = 1.1, file = p11.exe, "
                               "date = 3.1.2026"));
    EXPECT_TRUE(Logged("INFO", "KTDownload : Can't find files.xml, create a new one"));
    EXPECT_TRUE(Logged("INFO", "KTDownload : Add node in tmp_files.xml : version = 1.1, new version = 1.2, "
                               "compatibility = 1, canrestore = 1, file = p12.exe, date = 4.1.2026"));
    EXPECT_TRUE(Logged("INFO", "KTDownload : Add item to download list : " + items.front()));
    EXPECT_FALSE(std::filesystem::exists(UpdateFile("tmp_files.xml")));
    EXPECT_FALSE(std::filesystem::exists(UpdateFile("files.xml")));
}

TEST_F(CatalogueWalkTest, FlagsAreNormalisedAsTheInstallerExpects) {
    // Changes compatibility: never restorable, whatever the catalogue says.
    pugi::xml_node first = catalogue.AddStep("1.0", "1.1", "a.exe");
    first.attribute("Compatibility").set_value("0");
    first.remove_attribute("Continue");
    pugi::xml_node second = catalogue.AddStep("1.1", "1.2", "b.exe");
    second.attribute("Continue").set_value("yes");
    second.attribute("CanRestore").set_value("0");
    catalogue.AddStep("1.2", "1.3", "c.exe").attribute("Continue").set_value("2");
    ctx.bCritical = 1;

    EXPECT_EQ(Search(), (Items{"ftp://127.0.0.1:2121/maj/1.3/c.exe;1.2.2026;1.2;1.3;1;1;2;1",
                               "ftp://127.0.0.1:2121/maj/1.2/b.exe;1.2.2026;1.1;1.2;0;1;0;1",
                               "ftp://127.0.0.1:2121/maj/1.1/a.exe;1.2.2026;1.0;1.1;0;0;0;1"}));
    // A critical run never asks.
    EXPECT_TRUE(presenter->messages.empty());
}

TEST_F(CatalogueWalkTest, StepsAlreadyRecordedAreNotFetchedAgain) {
    catalogue.AddStep("1.0", "1.1", "a.exe");
    catalogue.AddStep("1.1", "1.2", "b.exe");
    catalogue.AddStep("1.2", "1.3", "c.exe");
    catalogue.AddStep("1.3", "1.4", "d.exe");
    // An earlier run fetched the first step; another workstation recorded
    // 1.2 -> 1.4 in one package, which the walk follows instead.
    const std::string filesBefore =
        "<?xml version=\"1.0\"?>\n<Files>\n"
        "\t<File Date=\"1.2.2026\" Name=\"a.exe\" Version=\"1.0\" NewVersion=\"1.1\" CanRestore=\"1\" "
        "Continue=\"1\" Compatibility=\"1\" />\n"
        "\t<File Date=\"1.2.2026\" Name=\"big.exe\" Version=\"1.2\" NewVersion=\"1.4\" CanRestore=\"1\" "
        "Continue=\"1\" Compatibility=\"1\" />\n</Files>\n";
    tree.WriteFile("UpdateInfo/files.xml", filesBefore);

    EXPECT_EQ(Search(), (Items{"ftp://127.0.0.1:2121/maj/1.3/c.exe;1.2.2026;1.2;1.4;1;1;1;1",
                               "ftp://127.0.0.1:2121/maj/1.2/b.exe;1.2.2026;1.1;1.2;1;1;1;1"}));
    EXPECT_TRUE(Logged("INFO", "KTDownload : a.exe not added in files.xml because already existing"));
    EXPECT_TRUE(Logged("WARNING", "KTDownload : Already same old version (1.2 in files.xml but different new "
                                  "version = 1.4"));
    EXPECT_FALSE(Logged("INFO", "KTDownload : Can't find files.xml, create a new one"));
    EXPECT_EQ(filesBefore, ReadFile(UpdateFile("files.xml")));
    EXPECT_FALSE(std::filesystem::exists(UpdateFile("tmp_files.xml")));
}

TEST_F(CatalogueWalkTest, SharedSearchListsAStepNeededByManyWorkstationsOnce) {
    catalogue.AddStep("1.0", "1.1", "a.exe");
    catalogue.AddStep("1.1", "1.2", "b.exe");
    SetNetwork(true);
    WriteWorkstation("{00000000-0000-0000-0000-000000000002}", "1.0");
    WriteWorkstation("{00000000-0000-0000-0000-000000000003}", "1.1");
    tree.WriteFile("UpdateInfo/{not a state file}.txt", "");
    tree.MakeDir("UpdateInfo/{folder}.xml");

    EXPECT_EQ(Search(), (Items{"ftp://127.0.0.1:2121/maj/1.2/b.exe;1.2.2026;1.1;1.2;1;1;1;1",
                               "ftp://127.0.0.1:2121/maj/1.1/a.exe;1.2.2026;1.0;1.1;1;1;1;1"}));
    EXPECT_TRUE(Logged("INFO", "KTDownload : search available updates for all Talvo on local network"));
    EXPECT_EQ(3, CountLogged("KTDownload : search available updates for GUID = {"));
    EXPECT_TRUE(Logged("INFO", std::string("KTDownload : search available updates for GUID = ") + kOwnGuid +
                                   ".xml)"));
    // Walked in name order: the second workstation file is this one's.
    EXPECT_EQ(1, CountLogged("KTDownload : a.exe not added in files.xml because already existing"));
    EXPECT_EQ(2, CountLogged("KTDownload : b.exe not added in files.xml because already existing"));
}

TEST_F(CatalogueWalkTest, SearchEndsWithoutListWhenNothingCanBeSearched) {
    download::DownloadItem keptItem;
    keptItem.source = "kept";
    const download::DownloadList kept{keptItem};
    download::DownloadList list = kept;
    auto search = MakeSearch();
    EXPECT_EQ(0, search->GetUpdatesList(versions, list, {}));
    EXPECT_EQ(list, kept);

    catalogue.AddStep("1.0", "1.1", "a.exe");
    ASSERT_TRUE(catalogue.Save(versions));
    SetNetwork(true);
    std::filesystem::remove(config::GuidFilePath(ctx, kOwnGuid));
    EXPECT_EQ(0, search->GetUpdatesList(versions, list, {}));
    EXPECT_TRUE(list.empty());
}

TEST_F(CatalogueWalkTest, SourcesFollowTheSplitLayoutAndTheLocalFolder) {
    catalogue.AddStep("1.0", "1.1", "a.exe", "1.2.2026", "sub\\dir");
    EXPECT_EQ(Search(*MakeSearch(), download::PackageFolder{"77"}),
              Items{"ftp://127.0.0.1:2121/maj77/sub/dir/a.exe;1.2.2026;1.0;1.1;1;1;1;1"});
    const std::string folder = tree.MakeDir("patch").string();
    EXPECT_EQ(Search(*MakeSearch(download::SourceMode::kLocal, folder)),
              Items{folder + "/sub/dir/a.exe;1.2.2026;1.0;1.1;1;1;1;1"});
}

TEST_F(CatalogueWalkTest, CompatibilityQuestionIsAskedOnceAndNoHoldsForTheDialog) {
    catalogue.AddStep("1.0", "1.1", "a.exe").attribute("Compatibility").set_value("0");
    catalogue.AddStep("1.1", "1.2", "b.exe").attribute("Compatibility").set_value("0");
    catalogue.AddPack("SesamAll", "pack.exe", "1.1.2026");

    auto refusing = MakeSearch();
    presenter->answers = {hostsuite::kIdNo};
    const Items declined = Search(*refusing);
    ASSERT_EQ(1u, presenter->messages.size());
    EXPECT_EQ(1024, presenter->messages[0].stringId);
    EXPECT_EQ("Talvo", presenter->messages[0].caption);
    EXPECT_EQ(0x44u, presenter->messages[0].style);
    EXPECT_TRUE(Logged("WARNING", "KTDownload : Critical update not accepted by user (1.0 -> 1.1): stop searching "
                                  "update in versions.xml"));
    // The pack part still runs.
    ASSERT_EQ(1u, declined.size());
    EXPECT_NE(declined.front().find("/pack.exe;1.1.2026;SesamAll;SesamAll;"), std::string::npos);
    // A later walk of the same dialog (the split folder, the next
    // workstation) keeps the refusal without asking again.
    for (const std::string& item : Search(*refusing)) EXPECT_EQ(item.find("a.exe"), std::string::npos) << item;
    EXPECT_EQ(1u, presenter->messages.size());

    auto accepted = MakeSearch();
    presenter->answers = {hostsuite::kIdYes};
    Search(*accepted);
    EXPECT_EQ(3u, Search(*accepted).size());
    EXPECT_EQ(2u, presenter->messages.size());
}

TEST_F(CatalogueWalkTest, CyclicCatalogueEndsWithTheItemsFound) {
    catalogue.AddStep("1.0", "1.1", "a.exe");
    catalogue.AddStep("1.1", "1.2", "b.exe");
    catalogue.AddStep("1.2", "1.0", "c.exe");

    EXPECT_EQ(3u, Search().size());
    EXPECT_TRUE(Logged("WARNING", "KTDownload : versions.xml leads back to version 1.0 : stop searching update in "
                                  "versions.xml"));
}

TEST_F(CatalogueWalkTest, PackagesThatWouldLeaveTheirFolderAreRefused) {
    for (const auto& [name, location] : std::vector<std::pair<std::string, std::string>>{
             {"../x", "1.1"}, {"/etc/x", "1.1"}, {"..\\x", "1.1"}, {"x", "../../etc"}, {"x", "/etc"},
             {"a;b.exe", "1.1"}, {"", "1.1"}, {"x\n", "1.1"}}) {
        SCOPED_TRACE(name + " in " + location);
        catalogue = CatalogueWriter();
        catalogue.AddStep("1.0", "1.1", name, "1.2.2026", location);
        catalogue.AddStep("1.1", "1.2", "fine.exe");
        const std::string refusal = "KTDownload : Unsafe file name, location or value refused (location = " + location;
        const int refusalsBefore = CountLogged(refusal);

        EXPECT_TRUE(Search().empty());
        EXPECT_EQ(refusalsBefore + 1, CountLogged(refusal));
    }
    // A value with ";" would shift the fields of the download list.
    catalogue = CatalogueWriter();
    catalogue.AddStep("1.0", "1.1", "a.exe").attribute("Continue") = "1;0";
    EXPECT_TRUE(Search().empty());
}

TEST(PackageNameCheckTest, OnlyPlainNamesAndContainedLocationsPass) {
    using namespace download;
    for (const char* name : {"p.exe", "maj 5.2.exe", "..x", "x.."}) EXPECT_TRUE(IsPlainFileName(name)) << name;
    for (const char* name : {"", ".", "..", "../x", "/etc/x", "a\\b", "C:x", "a;b", "a\tb", "a\x7f"}) {
        EXPECT_FALSE(IsPlainFileName(name)) << name;
    }
    for (const char* location : {"", "5.2", "sub/dir", "sub\\dir", "a/./b", "..x/y"}) {
        EXPECT_TRUE(IsContainedLocation(location)) << location;
    }
    for (const char* location : {"..", "a/../..", "a\\..\\b", "/etc", "\\share", "D:\\patch", "a;b", "a\nb"}) {
        EXPECT_FALSE(IsContainedLocation(location)) << location;
    }
    EXPECT_EQ("sub/dir/x", LocationPath("sub\\dir\\x"));
}

}  // namespace
}  // namespace kt::test
