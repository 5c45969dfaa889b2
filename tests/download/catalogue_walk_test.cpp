// The walk of versions.xml from each workstation's version: the items it
// lists, their sources, the compatibility question and the catalogues that
// must not be followed.
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "catalogue_writer.h"
#include "download/download_item.h"
#include "search_fixture.h"

namespace kt::test {
namespace {

using download::DownloadList;
using download::SourceMode;

std::vector<std::string> Items(const DownloadList& list) { return {list.begin(), list.end()}; }

class CatalogueWalkTest : public SearchFixture {};

TEST_F(CatalogueWalkTest, TwoStepsAreListedNewestFirstWithTheirFields) {
    CatalogueWriter catalogue;
    catalogue.AddStep("1.0", "1.1", "p11.exe", "3.1.2026");
    catalogue.AddStep("1.1", "1.2", "p12.exe", "4.1.2026").attribute("Continue").set_value("0");
    ASSERT_TRUE(catalogue.Save(versions));
    WriteWorkstation(kOwnGuid, "1.0");
    auto search = MakeSearch();
    DownloadList list{"left over"};

    ASSERT_EQ(1, search->GetUpdatesList(versions, list, 0, ""));

    EXPECT_EQ(Items(list), (std::vector<std::string>{
                               "ftp://127.0.0.1:2121/maj/1.2/p12.exe;4.1.2026;1.1;1.2;1;1;0;1",
                               "ftp://127.0.0.1:2121/maj/1.1/p11.exe;3.1.2026;1.0;1.1;1;1;1;1",
                           }));
    EXPECT_TRUE(Logged("INFO", std::string("KTDownload : search available updates (GUID = ") + kOwnGuid + ")"));
    EXPECT_TRUE(Logged("INFO", "KTDownload : Find node in versions.xml : old version = 1.0, new version = 1.1, "
                               "continu = 1, compatibility = 1, canrestore = 1, location = 1.1, file = p11.exe, "
                               "date = 3.1.2026"));
    EXPECT_TRUE(Logged("INFO", "KTDownload : Can't find files.xml, create a new one"));
    EXPECT_TRUE(Logged("INFO", "KTDownload : Add node in tmp_files.xml : version = 1.1, new version = 1.2, "
                               "compatibility = 1, canrestore = 1, file = p12.exe, date = 4.1.2026"));
    EXPECT_TRUE(Logged("INFO", "KTDownload : Add item to download list : " + list.front()));
    EXPECT_FALSE(std::filesystem::exists(UpdateFile("tmp_files.xml")));
    EXPECT_FALSE(std::filesystem::exists(UpdateFile("files.xml")));
}

TEST_F(CatalogueWalkTest, FlagsAreNormalisedAsTheInstallerExpects) {
    CatalogueWriter catalogue;
    // Changes compatibility: never restorable, whatever the catalogue says.
    pugi::xml_node first = catalogue.AddStep("1.0", "1.1", "a.exe");
    first.attribute("Compatibility").set_value("0");
    first.remove_attribute("Continue");
    pugi::xml_node second = catalogue.AddStep("1.1", "1.2", "b.exe");
    second.attribute("Continue").set_value("yes");
    second.attribute("CanRestore").set_value("0");
    catalogue.AddStep("1.2", "1.3", "c.exe").attribute("Continue").set_value("2");
    ASSERT_TRUE(catalogue.Save(versions));
    WriteWorkstation(kOwnGuid, "1.0");
    ctx.bCritical = 1;
    auto search = MakeSearch();
    DownloadList list;

    ASSERT_EQ(1, search->GetUpdatesList(versions, list, 0, ""));

    ASSERT_EQ(3u, list.size());
    const auto third = download::ParseDownloadItem(list.front());
    const auto secondItem = download::ParseDownloadItem(*std::next(list.begin()));
    const auto firstItem = download::ParseDownloadItem(list.back());
    EXPECT_EQ("0", firstItem->canRestore);
    EXPECT_EQ("0", firstItem->compatibility);
    EXPECT_EQ("0", firstItem->continueFlag);
    EXPECT_EQ("0", secondItem->continueFlag);
    EXPECT_EQ("0", secondItem->canRestore);
    EXPECT_EQ("2", third->continueFlag);
    // A critical run never asks.
    EXPECT_TRUE(presenter->messages.empty());
}

TEST_F(CatalogueWalkTest, StepsAlreadyRecordedAreNotFetchedAgain) {
    CatalogueWriter catalogue;
    catalogue.AddStep("1.0", "1.1", "a.exe");
    catalogue.AddStep("1.1", "1.2", "b.exe");
    catalogue.AddStep("1.2", "1.3", "c.exe");
    catalogue.AddStep("1.3", "1.4", "d.exe");
    ASSERT_TRUE(catalogue.Save(versions));
    // An earlier run fetched the first step; another workstation recorded
    // 1.2 -> 1.4 in one package, which the walk follows instead.
    tree.WriteFile("UpdateInfo/files.xml",
                   "<?xml version=\"1.0\"?>\n<Files>\n"
                   "\t<File Date=\"1.2.2026\" Name=\"a.exe\" Version=\"1.0\" NewVersion=\"1.1\" CanRestore=\"1\" "
                   "Continue=\"1\" Compatibility=\"1\" />\n"
                   "\t<File Date=\"1.2.2026\" Name=\"big.exe\" Version=\"1.2\" NewVersion=\"1.4\" CanRestore=\"1\" "
                   "Continue=\"1\" Compatibility=\"1\" />\n</Files>\n");
    const std::string filesBefore = ReadFile(UpdateFile("files.xml"));
    WriteWorkstation(kOwnGuid, "1.0");
    auto search = MakeSearch();
    DownloadList list;

    ASSERT_EQ(1, search->GetUpdatesList(versions, list, 0, ""));

    EXPECT_EQ(Items(list), (std::vector<std::string>{
                               "ftp://127.0.0.1:2121/maj/1.3/c.exe;1.2.2026;1.2;1.4;1;1;1;1",
                               "ftp://127.0.0.1:2121/maj/1.2/b.exe;1.2.2026;1.1;1.2;1;1;1;1",
                           }));
    EXPECT_TRUE(Logged("INFO", "KTDownload : a.exe not added in files.xml because already existing"));
    EXPECT_TRUE(Logged("WARNING", "KTDownload : Already same old version (1.2 in files.xml but different new "
                                  "version = 1.4"));
    EXPECT_FALSE(Logged("INFO", "KTDownload : Can't find files.xml, create a new one"));
    EXPECT_EQ(filesBefore, ReadFile(UpdateFile("files.xml")));
    EXPECT_FALSE(std::filesystem::exists(UpdateFile("tmp_files.xml")));
}

TEST_F(CatalogueWalkTest, SharedSearchListsAStepNeededByManyWorkstationsOnce) {
    CatalogueWriter catalogue;
    catalogue.AddStep("1.0", "1.1", "a.exe");
    catalogue.AddStep("1.1", "1.2", "b.exe");
    ASSERT_TRUE(catalogue.Save(versions));
    SetNetwork(true);
    WriteWorkstation(kOwnGuid, "1.0");
    WriteWorkstation("{00000000-0000-0000-0000-000000000002}", "1.0");
    WriteWorkstation("{00000000-0000-0000-0000-000000000003}", "1.1");
    tree.WriteFile("UpdateInfo/{not a state file}.txt", "");
    tree.MakeDir("UpdateInfo/{folder}.xml");
    auto search = MakeSearch();
    DownloadList list;

    ASSERT_EQ(1, search->GetUpdatesList(versions, list, 0, ""));

    EXPECT_EQ(Items(list), (std::vector<std::string>{
                               "ftp://127.0.0.1:2121/maj/1.2/b.exe;1.2.2026;1.1;1.2;1;1;1;1",
                               "ftp://127.0.0.1:2121/maj/1.1/a.exe;1.2.2026;1.0;1.1;1;1;1;1",
                           }));
    EXPECT_TRUE(Logged("INFO", "KTDownload : search available updates for all Talvo on local network"));
    EXPECT_EQ(3, CountLogged("KTDownload : search available updates for GUID = {"));
    EXPECT_TRUE(Logged("INFO", std::string("KTDownload : search available updates for GUID = ") + kOwnGuid +
                                   ".xml)"));
    // Walked in name order: the second workstation file is this one's.
    EXPECT_EQ(1, CountLogged("KTDownload : a.exe not added in files.xml because already existing"));
    EXPECT_EQ(2, CountLogged("KTDownload : b.exe not added in files.xml because already existing"));
}

TEST_F(CatalogueWalkTest, SearchEndsWithoutListWhenNothingCanBeSearched) {
    DownloadList list{"kept"};
    auto search = MakeSearch();
    EXPECT_EQ(0, search->GetUpdatesList(versions, list, 0, ""));
    EXPECT_EQ(Items(list), std::vector<std::string>{"kept"});

    CatalogueWriter catalogue;
    catalogue.AddStep("1.0", "1.1", "a.exe");
    ASSERT_TRUE(catalogue.Save(versions));
    SetNetwork(true);
    std::filesystem::remove(config::GuidFilePath(ctx, kOwnGuid));
    EXPECT_EQ(0, search->GetUpdatesList(versions, list, 0, ""));
    EXPECT_TRUE(list.empty());

    // Sharing is not searched when only the Sesam Vitale pack was asked for.
    ctx.bSesamInstall = 1;
    EXPECT_EQ(1, search->GetUpdatesList(versions, list, 0, ""));
    EXPECT_TRUE(list.empty());
    EXPECT_TRUE(Logged("INFO", "KTDownload : No new update to download/copy"));
}

TEST_F(CatalogueWalkTest, SourcesFollowTheSplitLayoutAndTheLocalFolder) {
    CatalogueWriter catalogue;
    catalogue.AddStep("1.0", "1.1", "a.exe", "1.2.2026", "sub\\dir");
    ASSERT_TRUE(catalogue.Save(versions));
    WriteWorkstation(kOwnGuid, "1.0");
    DownloadList list;

    auto split = MakeSearch();
    ASSERT_EQ(1, split->GetUpdatesList(versions, list, 1, "77"));
    EXPECT_EQ("ftp://127.0.0.1:2121/maj77/sub/dir/a.exe", download::ParseDownloadItem(list.front())->source);

    const std::string folder = tree.MakeDir("patch").string();
    auto local = MakeSearch(SourceMode::kLocal, folder);
    ASSERT_EQ(1, local->GetUpdatesList(versions, list, 0, ""));
    EXPECT_EQ(folder + "/sub/dir/a.exe", download::ParseDownloadItem(list.front())->source);
}

TEST_F(CatalogueWalkTest, CompatibilityQuestionIsAskedOnceAndNoStopsTheWalk) {
    CatalogueWriter catalogue;
    catalogue.AddStep("1.0", "1.1", "a.exe").attribute("Compatibility").set_value("0");
    catalogue.AddStep("1.1", "1.2", "b.exe").attribute("Compatibility").set_value("0");
    catalogue.AddPack("SesamAll", "pack.exe", "1.1.2026");
    ASSERT_TRUE(catalogue.Save(versions));
    WriteWorkstation(kOwnGuid, "1.0");
    DownloadList list;

    auto declined = MakeSearch();
    presenter->answers = {hostsuite::kIdNo};
    ASSERT_EQ(1, declined->GetUpdatesList(versions, list, 0, ""));
    ASSERT_EQ(1u, presenter->messages.size());
    EXPECT_EQ(1024, presenter->messages[0].stringId);
    EXPECT_EQ("Talvo", presenter->messages[0].caption);
    EXPECT_EQ(0x44u, presenter->messages[0].style);
    EXPECT_TRUE(Logged("WARNING", "KTDownload : Critical update not accepted by user (1.0 -> 1.1): stop searching "
                                  "update in versions.xml"));
    // The pack part still runs.
    ASSERT_EQ(1u, list.size());
    EXPECT_EQ("SesamAll", download::ParseDownloadItem(list.front())->oldVersion);

    auto accepted = MakeSearch();
    presenter->answers = {hostsuite::kIdYes};
    ASSERT_EQ(1, accepted->GetUpdatesList(versions, list, 0, ""));
    ASSERT_EQ(1, accepted->GetUpdatesList(versions, list, 0, ""));
    EXPECT_EQ(2u, presenter->messages.size());
    EXPECT_EQ(3u, list.size());
}

TEST_F(CatalogueWalkTest, CyclicCatalogueEndsWithTheItemsFound) {
    CatalogueWriter catalogue;
    catalogue.AddStep("1.0", "1.1", "a.exe");
    catalogue.AddStep("1.1", "1.2", "b.exe");
    catalogue.AddStep("1.2", "1.0", "c.exe");
    ASSERT_TRUE(catalogue.Save(versions));
    WriteWorkstation(kOwnGuid, "1.0");
    auto search = MakeSearch();
    DownloadList list;

    ASSERT_EQ(1, search->GetUpdatesList(versions, list, 0, ""));

    EXPECT_EQ(3u, list.size());
    EXPECT_TRUE(Logged("WARNING", "KTDownload : versions.xml leads back to version 1.0 : stop searching update in "
                                  "versions.xml"));
}

TEST_F(CatalogueWalkTest, PackagesThatWouldLeaveTheirFolderAreRefused) {
    for (const auto& [name, location] : std::vector<std::pair<std::string, std::string>>{
             {"../x", "1.1"}, {"/etc/x", "1.1"}, {"..\\x", "1.1"}, {"x", "../../etc"}, {"x", "/etc"},
             {"a;b.exe", "1.1"}, {"", "1.1"}, {"x\n", "1.1"}}) {
        SCOPED_TRACE(name + " in " + location);
        CatalogueWriter catalogue;
        catalogue.AddStep("1.0", "1.1", name, "1.2.2026", location);
        catalogue.AddStep("1.1", "1.2", "fine.exe");
        ASSERT_TRUE(catalogue.Save(versions));
        WriteWorkstation(kOwnGuid, "1.0");
        auto search = MakeSearch();
        DownloadList list;
        const std::string refusal = "KTDownload : Unsafe file name, location or value refused (location = " + location;
        const int refusalsBefore = CountLogged(refusal);

        ASSERT_EQ(1, search->GetUpdatesList(versions, list, 0, ""));

        EXPECT_TRUE(list.empty());
        EXPECT_EQ(refusalsBefore + 1, CountLogged(refusal));
    }
}

}  // namespace
}  // namespace kt::test
