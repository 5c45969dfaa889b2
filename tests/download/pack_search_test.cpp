// The Sesam Vitale pack part of the search: the complete pack for a
// workstation without a pack, the updates newer than its pack.
#include <gtest/gtest.h>

#include "search_fixture.h"

namespace kt::test {
namespace {

using PackSearchTest = SearchFixture;
using PackCalls = std::vector<std::pair<std::string, int>>;

TEST_F(PackSearchTest, CompletePackIsJudgedOncePerDialogAndMayBeRefused) {
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

TEST_F(PackSearchTest, PackUpdatesNewerThanTheInstalledPackAreListed) {
    tree.WriteFile("windows/sesam.ini", "[COMMUN]\n");
    catalogue.AddPack("Sesam", "older.exe", "1.3.2020");
    catalogue.AddPack("SESAM", "newer.exe", "1.6.2020");
    catalogue.AddPack("SesamAll", "all.exe", "1.1.2021");
    WriteWorkstation(kOwnGuid, "1.0", "15.4.2020");
    auto search = MakeSearch();

    EXPECT_EQ(Search(*search), Items{"ftp://127.0.0.1:2121/maj/sesam/newer.exe;1.6.2020;Sesam;Sesam;1;Sesam;1"});
    // Pack updates only probe the card reader.
    EXPECT_EQ(packCalls, (PackCalls{{versions, 1}, {versions, 1}}));
    EXPECT_FALSE(search->State().packCompared);
}

TEST_F(PackSearchTest, CompletePackWithoutVersionCheckReplacesTheOneRecorded) {
    catalogue.AddPack("SesamAll", "all-v2.exe", "2.3.2026").append_attribute("NoVerCheck") = "1";
    tree.WriteFile("UpdateInfo/files.xml",
                   "<?xml version=\"1.0\"?>\n<Files>\n"
                   "\t<SesamAll Date=\"2.3.2026\" Name=\"all-v1.exe\" CanRestore=\"1\" Continue=\"\" "
                   "NoVerCheck=\"1\" />\n</Files>\n");
    EXPECT_EQ(Search(), Items{"ftp://127.0.0.1:2121/maj/sesam/all-v2.exe;2.3.2026;SesamAll;SesamAll;1;1;1"});

    // The same package again, already in place: nothing to fetch.
    catalogue = CatalogueWriter();
    catalogue.AddPack("SesamAll", "all-v1.exe", "2.3.2026").append_attribute("NoVerCheck") = "1";
    EXPECT_TRUE(Search().empty());

    // With the version check, a complete pack of that date counts as recorded.
    catalogue = CatalogueWriter();
    catalogue.AddPack("SesamAll", "all-v2.exe", "2.3.2026").append_attribute("NoVerCheck") = "0";
    EXPECT_TRUE(Search().empty());
}

// A workstation without a pack gets the complete pack; with only the pack
// asked for, neither the host steps nor the other workstations are looked at.
TEST_F(PackSearchTest, CompletePackIsListedWhenThePackIsMissing) {
    catalogue.AddStep("1.0", "1.1", "a.exe");
    catalogue.AddPack("SesamAll", "all.exe", "2.3.2026").append_attribute("NoVerCheck") = "0";
    SetNetwork(true);
    WriteWorkstation("{00000000-0000-0000-0000-000000000002}", "1.0");
    ctx.bSesamInstall = 1;
    auto search = MakeSearch();

    EXPECT_EQ(Search(*search), Items{"ftp://127.0.0.1:2121/maj/sesam/all.exe;2.3.2026;SesamAll;SesamAll;1;0;1"});
    EXPECT_TRUE(Logged("INFO", "KTDownload : Found Sesam node in versions.xml"));
    EXPECT_EQ(packCalls, (PackCalls{{versions, 0}}));
    EXPECT_TRUE(search->State().packCompared);
    EXPECT_EQ(0, CountLogged("Find node in versions.xml"));
    EXPECT_EQ(0, CountLogged("for all Talvo on local network"));
}

}  // namespace
}  // namespace kt::test
