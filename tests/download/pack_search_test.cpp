// The Sesam Vitale pack part of the search: the complete pack for a
// workstation without a pack, the updates newer than its pack.
#include <gtest/gtest.h>

#include <vector>

#include "catalogue_writer.h"
#include "download/download_item.h"
#include "search_fixture.h"

namespace kt::test {
namespace {

using download::DownloadList;

class PackSearchTest : public SearchFixture {
protected:
    std::vector<std::string> Search(download::UpdateSearch& search) {
        DownloadList list;
        EXPECT_EQ(1, search.GetUpdatesList(versions, list, 0, ""));
        return {list.begin(), list.end()};
    }
};

TEST_F(PackSearchTest, CompletePackIsListedWhenThePackIsMissing) {
    CatalogueWriter catalogue;
    catalogue.AddStep("1.0", "1.1", "a.exe");
    pugi::xml_node pack = catalogue.AddPack("SesamAll", "all.exe", "2.3.2026");
    pack.append_attribute("NoVerCheck") = "0";
    ASSERT_TRUE(catalogue.Save(versions));
    WriteWorkstation(kOwnGuid, "1.0", "0");
    auto search = MakeSearch();

    const std::vector<std::string> items = Search(*search);

    ASSERT_EQ(2u, items.size());
    EXPECT_EQ("ftp://127.0.0.1:2121/maj/sesam/all.exe;2.3.2026;SesamAll;SesamAll;1;0;1", items.front());
    EXPECT_TRUE(Logged("INFO", "KTDownload : Found Sesam node in versions.xml"));
    EXPECT_EQ(packCalls, (std::vector<std::pair<std::string, int>>{{versions, 0}}));
    EXPECT_TRUE(search->State().packCompared);
}

TEST_F(PackSearchTest, CompletePackIsJudgedOncePerDialogAndMayBeRefused) {
    InstallSesamPack();
    CatalogueWriter catalogue;
    catalogue.AddPack("SesamAll", "all.exe", "2.3.2026");
    ASSERT_TRUE(catalogue.Save(versions));
    WriteWorkstation(kOwnGuid, "1.0", "0");
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
    InstallSesamPack();
    CatalogueWriter catalogue;
    catalogue.AddPack("Sesam", "older.exe", "1.3.2020");
    catalogue.AddPack("SESAM", "newer.exe", "1.6.2020");
    catalogue.AddPack("SesamAll", "all.exe", "1.1.2021");
    ASSERT_TRUE(catalogue.Save(versions));
    WriteWorkstation(kOwnGuid, "1.0", "15.4.2020");
    auto search = MakeSearch();

    EXPECT_EQ(Search(*search), std::vector<std::string>{
                                   "ftp://127.0.0.1:2121/maj/sesam/newer.exe;1.6.2020;Sesam;Sesam;1;Sesam;1"});
    // Pack updates only probe the card reader.
    EXPECT_EQ(packCalls, (std::vector<std::pair<std::string, int>>{{versions, 1}, {versions, 1}}));
    EXPECT_FALSE(search->State().packCompared);
}

TEST_F(PackSearchTest, CompletePackWithoutVersionCheckReplacesTheOneRecorded) {
    CatalogueWriter catalogue;
    catalogue.AddPack("SesamAll", "all-v2.exe", "2.3.2026").append_attribute("NoVerCheck") = "1";
    ASSERT_TRUE(catalogue.Save(versions));
    tree.WriteFile("UpdateInfo/files.xml",
                   "<?xml version=\"1.0\"?>\n<Files>\n"
                   "\t<SesamAll Date=\"2.3.2026\" Name=\"all-v1.exe\" CanRestore=\"1\" Continue=\"\" "
                   "NoVerCheck=\"1\" />\n</Files>\n");
    WriteWorkstation(kOwnGuid, "1.0", "0");

    auto search = MakeSearch();
    EXPECT_EQ(Search(*search), std::vector<std::string>{
                                   "ftp://127.0.0.1:2121/maj/sesam/all-v2.exe;2.3.2026;SesamAll;SesamAll;1;1;1"});

    // The same package again, already in place: nothing to fetch.
    catalogue = CatalogueWriter();
    catalogue.AddPack("SesamAll", "all-v1.exe", "2.3.2026").append_attribute("NoVerCheck") = "1";
    ASSERT_TRUE(catalogue.Save(versions));
    EXPECT_TRUE(Search(*MakeSearch()).empty());

    // With the version check, a complete pack of that date counts as recorded.
    catalogue = CatalogueWriter();
    catalogue.AddPack("SesamAll", "all-v2.exe", "2.3.2026").append_attribute("NoVerCheck") = "0";
    ASSERT_TRUE(catalogue.Save(versions));
    EXPECT_TRUE(Search(*MakeSearch()).empty());
}

TEST_F(PackSearchTest, SesamInstallLooksAtThePackOnly) {
    CatalogueWriter catalogue;
    catalogue.AddStep("1.0", "1.1", "a.exe");
    catalogue.AddPack("SesamAll", "all.exe", "2.3.2026");
    ASSERT_TRUE(catalogue.Save(versions));
    SetNetwork(true);
    WriteWorkstation(kOwnGuid, "1.0", "0");
    WriteWorkstation("{00000000-0000-0000-0000-000000000002}", "1.0", "0");
    ctx.bSesamInstall = 1;
    auto search = MakeSearch();

    const std::vector<std::string> items = Search(*search);

    ASSERT_EQ(1u, items.size());
    EXPECT_EQ("SesamAll", download::ParseDownloadItem(items.front())->oldVersion);
    EXPECT_EQ(0, CountLogged("Find node in versions.xml"));
    EXPECT_EQ(0, CountLogged("for all Talvo on local network"));
}

}  // namespace
}  // namespace kt::test
