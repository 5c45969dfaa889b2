// The search of versions.xml from each workstation's version: the items it
// lists, their sources, the compatibility question, the Sesam Vitale packs,
// the catalogues that must not be followed, and the fetched packages moved to
// Update and recorded in files.xml for the installer.
#include <gtest/gtest.h>

#include <filesystem>

#include "download/package_name_check.h"
#include "search_fixture.h"

namespace kt::test {
namespace {

namespace fs = std::filesystem;
using SearchTest = SearchFixture;
using PackCalls = std::vector<std::pair<std::string, int>>;

TEST_F(SearchTest, TwoStepsAreListedNewestFirstWithTheirFields) {
    catalogue.AddStep("1.0", "1.1", "p11.exe", "3.1.2026");
    catalogue.AddStep("1.1", "1.2", "p12.exe", "4.1.2026").attribute("Continue").set_value("0");
    const Items items = Search();
    ASSERT_EQ(items, (Items{"ftp://127.0.0.1:2121/maj/1.2/p12.exe;4.1.2026;1.1;1.2;1;1;0;1",
                            "ftp://127.0.0.1:2121/maj/1.1/p11.exe;3.1.2026;1.0;1.1;1;1;1;1"}));
    EXPECT_TRUE(InOrder(Log(), {std::string("INFO KTDownload : search available updates (GUID = ") + kGuid + ")",
                                "INFO KTDownload : Find node in versions.xml : old version = 1.0, new version = 1.1, "
                                "continu = 1, compatibility = 1, canrestore = 1, location = 1.1, file = p11.exe, "
                                "date = 3.1.2026",
                                "INFO KTDownload : Add node in tmp_files.xml : version = 1.1, new version = 1.2, "
                                "compatibility = 1, canrestore = 1, file = p12.exe, date = 4.1.2026",
                                "INFO KTDownload : Add item to download list : " + items.front()}));
    // A search writes neither files.xml nor its temporary copy.
    EXPECT_FALSE(fs::exists(UpdateFile("tmp_files.xml")));
    EXPECT_FALSE(fs::exists(UpdateFile("files.xml")));
}

TEST_F(SearchTest, FlagsAreNormalisedAsTheInstallerExpects) {
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

TEST_F(SearchTest, StepsAlreadyRecordedAreNotFetchedAgain) {
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
    EXPECT_TRUE(Logged("INFO KTDownload : a.exe not added in files.xml because already existing"));
    EXPECT_TRUE(Logged("WARNING KTDownload : Already same old version (1.2 in files.xml but different new version = 1.4"));
    EXPECT_FALSE(Logged("INFO KTDownload : Can't find files.xml, create a new one"));
    EXPECT_EQ(filesBefore, ReadFile(UpdateFile("files.xml")));
    EXPECT_FALSE(fs::exists(UpdateFile("tmp_files.xml")));
}

TEST_F(SearchTest, SourcesFollowTheSplitLayoutAndTheLocalFolderAndCyclesEnd) {
    catalogue.AddStep("1.0", "1.1", "a.exe", "1.2.2026", "sub\\dir");
    EXPECT_EQ(Search(*MakeSearch(), download::PackageFolder{"77"}),
              Items{"ftp://127.0.0.1:2121/maj77/sub/dir/a.exe;1.2.2026;1.0;1.1;1;1;1;1"});
    const std::string folder = tree.MakeDir("patch").string();
    EXPECT_EQ(Search(*MakeSearch(download::SourceMode::kLocal, folder)),
              Items{folder + "/sub/dir/a.exe;1.2.2026;1.0;1.1;1;1;1;1"});

    catalogue.AddStep("1.1", "1.2", "b.exe");
    catalogue.AddStep("1.2", "1.0", "c.exe");
    EXPECT_EQ(3u, Search().size());
    EXPECT_TRUE(Logged("WARNING KTDownload : versions.xml leads back to version 1.0 : stop searching update in "
                       "versions.xml"));
}

TEST_F(SearchTest, SharedSearchListsAStepNeededByManyWorkstationsOnce) {
    catalogue.AddStep("1.0", "1.1", "a.exe");
    catalogue.AddStep("1.1", "1.2", "b.exe");
    SetNetwork(true);
    WriteWorkstation("{00000000-0000-0000-0000-000000000002}", "1.0");
    WriteWorkstation("{00000000-0000-0000-0000-000000000003}", "1.1");
    tree.WriteFile("UpdateInfo/{not a state file}.txt", "");
    tree.MakeDir("UpdateInfo/{folder}.xml");

    EXPECT_EQ(Search(), (Items{"ftp://127.0.0.1:2121/maj/1.2/b.exe;1.2.2026;1.1;1.2;1;1;1;1",
                               "ftp://127.0.0.1:2121/maj/1.1/a.exe;1.2.2026;1.0;1.1;1;1;1;1"}));
    EXPECT_TRUE(Logged("INFO KTDownload : search available updates for all Talvo on local network"));
    EXPECT_EQ(3, Mentions("KTDownload : search available updates for GUID = {"));
    EXPECT_TRUE(Logged(std::string("INFO KTDownload : search available updates for GUID = ") + kGuid + ".xml)"));
    // Walked in name order: the second workstation file is this one's.
    EXPECT_EQ(1, Mentions("KTDownload : a.exe not added in files.xml because already existing"));
    EXPECT_EQ(2, Mentions("KTDownload : b.exe not added in files.xml because already existing"));
}

TEST_F(SearchTest, SearchEndsWithoutListWhenNothingCanBeSearched) {
    download::DownloadItem keptItem;
    keptItem.source = "kept";
    download::DownloadList list{keptItem};
    auto search = MakeSearch();
    EXPECT_EQ(0, search->GetUpdatesList(versions, list, {}));
    EXPECT_EQ(list, download::DownloadList{keptItem});

    catalogue.AddStep("1.0", "1.1", "a.exe");
    ASSERT_TRUE(catalogue.Save(versions));
    SetNetwork(true);
    fs::remove(config::GuidFilePath(ctx, kGuid));
    EXPECT_EQ(0, search->GetUpdatesList(versions, list, {}));
    EXPECT_TRUE(list.empty());
}

TEST_F(SearchTest, CompatibilityQuestionIsAskedOnceAndNoHoldsForTheDialog) {
    catalogue.AddStep("1.0", "1.1", "a.exe").attribute("Compatibility").set_value("0");
    catalogue.AddStep("1.1", "1.2", "b.exe").attribute("Compatibility").set_value("0");
    catalogue.AddPack("SesamAll", "pack.exe", "1.1.2026");

    auto refusing = MakeSearch();
    presenter->answers = {hostsuite::kIdNo};
    const Items declined = Search(*refusing);
    ASSERT_EQ(1u, presenter->messages.size());
    const auto& asked = presenter->messages[0];
    EXPECT_EQ(std::tuple(asked.stringId, asked.caption, asked.style), std::tuple(1024, std::string("Talvo"), 0x44u));
    EXPECT_TRUE(Logged("WARNING KTDownload : Critical update not accepted by user (1.0 -> 1.1): stop searching "
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

TEST_F(SearchTest, PackagesThatWouldLeaveTheirFolderAreRefused) {
    for (const auto& [name, location] : std::vector<std::pair<std::string, std::string>>{
             {"../x", "1.1"}, {"/etc/x", "1.1"}, {"..\\x", "1.1"}, {"x", "../../etc"}, {"x", "/etc"},
             {"a;b.exe", "1.1"}, {"", "1.1"}, {"x\n", "1.1"}}) {
        SCOPED_TRACE(name + " in " + location);
        catalogue = CatalogueWriter();
        catalogue.AddStep("1.0", "1.1", name, "1.2.2026", location);
        catalogue.AddStep("1.1", "1.2", "fine.exe");
        const std::string refusal = "KTDownload : Unsafe file name, location or value refused (location = " + location;
        const long refusalsBefore = Mentions(refusal);

        EXPECT_TRUE(Search().empty());
        EXPECT_EQ(refusalsBefore + 1, Mentions(refusal));
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

// The Sesam Vitale pack: the complete pack for a workstation without one,
// the updates newer than its pack.
TEST_F(SearchTest, CompletePackIsJudgedOncePerDialogAndMayBeRefused) {
    tree.WriteFile("windows/sesam.ini", "[COMMUN]\n");
    catalogue.AddPack("SesamAll", "all.exe", "2.3.2026");
    packAnswer = 0;
    auto search = MakeSearch();

    EXPECT_TRUE(Search(*search).empty());
    EXPECT_TRUE(search->State().packCompared);
    packAnswer = 1;
    // With the pack installed and already compared, a workstation without a
    // pack date gets nothing more.
    EXPECT_TRUE(Search(*search).empty());
    EXPECT_EQ(1u, packCalls.size());
}

TEST_F(SearchTest, PackUpdatesNewerThanTheInstalledPackAreListed) {
    tree.WriteFile("windows/sesam.ini", "[COMMUN]\n");
    catalogue.AddPack("Sesam", "older.exe", "1.3.2020");
    catalogue.AddPack("SESAM", "newer.exe", "1.6.2020");
    catalogue.AddPack("SesamAll", "all.exe", "1.1.2021");
    WriteWorkstation(kGuid, "1.0", "15.4.2020");
    auto search = MakeSearch();

    EXPECT_EQ(Search(*search), Items{"ftp://127.0.0.1:2121/maj/sesam/newer.exe;1.6.2020;Sesam;Sesam;1;Sesam;1"});
    // Pack updates only probe the card reader.
    EXPECT_EQ(packCalls, (PackCalls{{versions, 1}, {versions, 1}}));
    EXPECT_FALSE(search->State().packCompared);
}

TEST_F(SearchTest, CompletePackWithoutVersionCheckReplacesTheOneRecorded) {
    tree.WriteFile("UpdateInfo/files.xml",
                   "<?xml version=\"1.0\"?>\n<Files>\n\t<SesamAll Date=\"2.3.2026\" Name=\"all-v1.exe\" CanRestore=\"1\" "
                   "Continue=\"\" NoVerCheck=\"1\" />\n</Files>\n");
    // Name, NoVerCheck; the item listed, if any.
    for (const auto& [name, noVerCheck, items] : std::vector<std::tuple<const char*, const char*, Items>>{
             {"all-v2.exe", "1", {"ftp://127.0.0.1:2121/maj/sesam/all-v2.exe;2.3.2026;SesamAll;SesamAll;1;1;1"}},
             // The same package again, already in place: nothing to fetch.
             {"all-v1.exe", "1", {}},
             // With the version check, a complete pack of that date counts as recorded.
             {"all-v2.exe", "0", {}}}) {
        SCOPED_TRACE(std::string(name) + " NoVerCheck=" + noVerCheck);
        catalogue = CatalogueWriter();
        catalogue.AddPack("SesamAll", name, "2.3.2026").append_attribute("NoVerCheck") = noVerCheck;
        EXPECT_EQ(Search(), items);
    }
}

// With only the pack asked for, neither the host steps nor the other workstations are looked at.
TEST_F(SearchTest, CompletePackIsListedWhenThePackIsMissing) {
    catalogue.AddStep("1.0", "1.1", "a.exe");
    catalogue.AddPack("SesamAll", "all.exe", "2.3.2026").append_attribute("NoVerCheck") = "0";
    SetNetwork(true);
    WriteWorkstation("{00000000-0000-0000-0000-000000000002}", "1.0");
    ctx.bSesamInstall = 1;
    auto search = MakeSearch();

    EXPECT_EQ(Search(*search), Items{"ftp://127.0.0.1:2121/maj/sesam/all.exe;2.3.2026;SesamAll;SesamAll;1;0;1"});
    EXPECT_TRUE(Logged("INFO KTDownload : Found Sesam node in versions.xml"));
    EXPECT_EQ(packCalls, (PackCalls{{versions, 0}}));
    EXPECT_TRUE(search->State().packCompared);
    EXPECT_EQ(0, Mentions("Find node in versions.xml"));
    EXPECT_EQ(0, Mentions("for all Talvo on local network"));
}

class ProcessUpdateTest : public SearchFixture {
protected:
    void Fetched(const std::string& name, const std::string& content) { tree.WriteFile("UpdateInfo/Temp/" + name, content); }
    std::unique_ptr<download::UpdateSearch> search = MakeSearch();
};

TEST_F(ProcessUpdateTest, PackagesMoveToUpdateAndJoinFilesXmlInTheInstallersFormat) {
    Fetched("a.exe", "host package");
    Fetched("s.exe", "pack update");
    Fetched("all.exe", "complete pack");
    search->ProcessUpdate("1.0", "1.1", "3.1.2026", "a.exe", "1", "1", "0", "1");
    search->ProcessUpdate("Sesam", "Sesam", "4.1.2026", "s.exe", "1", "Sesam", "0", "1");
    search->ProcessUpdate("sesamall", "SesamAll", "5.1.2026", "all.exe", "0", "1", "", "1");

    EXPECT_EQ("host package", ReadFile(UpdateFile("Update/a.exe")));
    EXPECT_EQ("complete pack", ReadFile(UpdateFile("Update/all.exe")));
    EXPECT_FALSE(fs::exists(UpdateFile("Temp/a.exe")));
    EXPECT_EQ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Files>\n"
              "\t<File Date=\"3.1.2026\" Name=\"a.exe\" Version=\"1.0\" NewVersion=\"1.1\" CanRestore=\"1\" "
              "Continue=\"0\" Compatibility=\"1\" />\n"
              "\t<Sesam Date=\"4.1.2026\" Name=\"s.exe\" CanRestore=\"1\" Continue=\"0\" />\n"
              "\t<SesamAll Date=\"5.1.2026\" Name=\"all.exe\" CanRestore=\"0\" Continue=\"\" NoVerCheck=\"1\" />\n"
              "</Files>\n",
              ReadFile(UpdateFile("files.xml")));
    EXPECT_TRUE(Logged("INFO KTDownload : copy a.exe to " + UpdateFile("Update/a.exe")));
    EXPECT_EQ(1, Mentions("KTDownload : Can't find files.xml, create a new one"));
    EXPECT_EQ(3, Mentions("KTDownload : ProcessUpdate : Add node to files.xml"));

    // Only the latest complete pack stays.
    Fetched("all2.exe", "2");
    search->ProcessUpdate("SesamAll", "SesamAll", "1.2.2026", "all2.exe", "1", "0", "", "1");
    pugi::xml_document files;
    ASSERT_TRUE(files.load_file(UpdateFile("files.xml").c_str()));
    const pugi::xpath_node_set packs = files.select_nodes("//SesamAll");
    ASSERT_EQ(1u, packs.size());
    EXPECT_STREQ("all2.exe", packs.first().node().attribute("Name").value());
}

TEST_F(ProcessUpdateTest, NothingIsRecordedForAPackageThatIsNotThereOrNotSafe) {
    search->ProcessUpdate("1.0", "1.1", "3.1.2026", "missing.exe", "1", "1", "0", "1");
    EXPECT_FALSE(fs::exists(UpdateFile("files.xml")));

    // Names leading out of Temp write nothing outside the update folder.
    tree.WriteFile("UpdateInfo/x", "temp sibling");
    tree.WriteFile("x", "outside");
    search->ProcessUpdate("1.0", "1.1", "3.1.2026", "../x", "1", "1", "0", "1");
    search->ProcessUpdate("1.0", "1.1", "3.1.2026", (tree / "x").string(), "1", "1", "0", "1");
    EXPECT_EQ("temp sibling", ReadFile(UpdateFile("x")));
    EXPECT_EQ("outside", ReadFile(tree / "x"));
    EXPECT_FALSE(fs::exists(UpdateFile("files.xml")));
    EXPECT_EQ(2, Mentions("KTDownload : ProcessUpdate : unsafe file name refused : "));

    // A files.xml without its root is left alone.
    tree.WriteFile("UpdateInfo/files.xml", "<Other />\n");
    Fetched("b.exe", "b");
    search->ProcessUpdate("1.1", "1.2", "3.1.2026", "b.exe", "1", "1", "0", "1");
    EXPECT_EQ("<Other />\n", ReadFile(UpdateFile("files.xml")));
}

}  // namespace
}  // namespace kt::test
