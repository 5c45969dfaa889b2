// The search of versions.xml, and the fetched packages recorded for the installer.
#include <functional>

#include "catalogue_writer.h"
#include "config/workstation_state_file.h"
#include "download/download_item.h"
#include "download/package_name_check.h"
#include "download/text_index.h"
#include "download/update_search.h"
#include "support/workstation.h"

namespace kt::test {
namespace {

namespace fs = std::filesystem;
using Items = std::vector<std::string>;
constexpr const char* kServer = "ftp://127.0.0.1:2121/maj/";

// A workstation at version 1.0 without a pack, alone on the network.
class SearchTest : public Workstation {
protected:
    SearchTest() {
        ctx.version = ctx.compatVersion = "1.0";
        ctx.serverUrls = {kServer};
        CreateDefault();
        SetUpdate("Network", "0");
        WriteWorkstation(kGuid, "1.0");
    }
    std::unique_ptr<download::UpdateSearch> MakeSearch() {
        auto search = std::make_unique<download::UpdateSearch>(
            ctx, download::SourceMode::kInternet, "", [this](const std::string&, int probeOnly) { return probeOnly ? 1 : packAnswer; });
        search->State().baseAddress = kServer;
        return search;
    }
    void WriteWorkstation(const std::string& guid, const std::string& version, const std::string& sesam = "0") {
        config::UpdateConfXML(ctx, guid, version, "1.1.2026", "1.0", "1", sesam, "0");
    }
    long Mentions(const std::string& fragment) const {
        return std::ranges::count_if(Log(), [&](const std::string& l) { return l.find(fragment) != std::string::npos; });
    }

    const std::string versions = (tree / "versions.xml").string();
    CatalogueWriter catalogue;
    int packAnswer = 1;
};

TEST_F(SearchTest, TheWalkListsEachStepOnceFromItsSourceAndStopsWhereItMust) {
    const std::string recorded = "<?xml version=\"1.0\"?>\n<Files>\n\t<File Date=\"1.2.2026\" Name=\"a.exe\" Version=\"1.0\" NewVersion=\"1.1\" "
                                 "CanRestore=\"1\" Continue=\"1\" Compatibility=\"1\" />\n\t<File Date=\"1.2.2026\" Name=\"big.exe\" Version=\"1.2\" "
                                 "NewVersion=\"1.4\" CanRestore=\"1\" Continue=\"1\" Compatibility=\"1\" />\n</Files>\n";
    const std::string packRecorded = "<?xml version=\"1.0\"?>\n<Files>\n\t<SesamAll Date=\"2.3.2026\" Name=\"all-v1.exe\" "
                                     "CanRestore=\"1\" Continue=\"\" NoVerCheck=\"1\" />\n</Files>\n";
    const auto chain = [this](int steps) {
        for (int i = 0; i < steps; ++i) catalogue.AddStep("1." + std::to_string(i), "1." + std::to_string(i + 1), std::string(1, char('a' + i)) + ".exe");
    };
    const auto incompatible = [this](int answer) {
        for (const auto& [from, to, name] : {std::tuple{"1.0", "1.1", "a.exe"}, {"1.1", "1.2", "b.exe"}})
            catalogue.AddStep(from, to, name).attribute("Compatibility").set_value("0");
        catalogue.AddPack("SesamAll", "pack.exe", "1.1.2026"), presenter->answers = {answer};
    };
    const auto completePack = [&, this](const char* name, const char* noVerCheck) {
        tree.WriteFile("UpdateInfo/files.xml", packRecorded);
        catalogue.AddPack("SesamAll", name, "2.3.2026").append_attribute("NoVerCheck") = noVerCheck;
    };
    const auto installedPack = [this](const char* date) { tree.WriteFile("windows/sesam.ini", "[COMMUN]\n"), WriteWorkstation(kGuid, "1.0", date); };
    const std::string refused = "KTDownload : Unsafe file name, location or value refused (location = 1.1";
    const std::string added = "INFO KTDownload : Add item to download list : ";
    const struct {
        const char* what;
        std::function<void()> write;
        Items want;           // below the server's folder
        std::string logged;  // a log line the row adds; "": none asserted
    } rows[] = {
        // A critical run never asks; a compatibility change is never restorable.
        {"flags normalised for the installer",
         [this] {
             ctx.bCritical = 1;
             pugi::xml_node first = catalogue.AddStep("1.0", "1.1", "a.exe"), second = catalogue.AddStep("1.1", "1.2", "b.exe");
             first.attribute("Compatibility").set_value("0"), first.remove_attribute("Continue");
             second.attribute("Continue").set_value("yes"), second.attribute("CanRestore").set_value("0");
             catalogue.AddStep("1.2", "1.3", "c.exe").attribute("Continue").set_value("2");
         },
         {"1.3/c.exe;1.2.2026;1.2;1.3;1;1;2;1", "1.2/b.exe;1.2.2026;1.1;1.2;0;1;0;1", "1.1/a.exe;1.2.2026;1.0;1.1;0;0;0;1"}, added},
        // A step fetched before is skipped; one recorded package 1.2 -> 1.4 is followed instead.
        {"steps already recorded", [&, this] { chain(4), tree.WriteFile("UpdateInfo/files.xml", recorded); },
         {"1.3/c.exe;1.2.2026;1.2;1.4;1;1;1;1", "1.2/b.exe;1.2.2026;1.1;1.2;1;1;1;1"},
         "WARNING KTDownload : Already same old version (1.2 in files.xml but different new version = 1.4"},
        {"a cycle ends", [&, this] { chain(2), catalogue.AddStep("1.2", "1.0", "z.exe"); },
         {"1.0/z.exe;1.2.2026;1.2;1.0;1;1;1;1", "1.2/b.exe;1.2.2026;1.1;1.2;1;1;1;1", "1.1/a.exe;1.2.2026;1.0;1.1;1;1;1;1"},
         "WARNING KTDownload : versions.xml leads back to version 1.0 : stop searching update in versions.xml"},
        // A step after the catalogue's root element is not one of its steps.
        {"step outside the root",
         [this] { catalogue.AddStep("1.0", "1.1", "a.exe"); const pugi::xml_node stray = catalogue.AddStep("1.1", "1.2", "b.exe"); stray.root().append_move(stray); },
         {"1.1/a.exe;1.2.2026;1.0;1.1;1;1;1;1"}, ""},
        {"unsafe name", [this] { catalogue.AddStep("1.0", "1.1", "../x"), catalogue.AddStep("1.1", "1.2", "fine.exe"); }, {}, refused},
        // A value with ";" would shift the fields of the download list.
        {"value with ;", [this] { catalogue.AddStep("1.0", "1.1", "a.exe").attribute("Continue") = "1;0"; }, {}, refused},
        // The pack part still runs after the user declines.
        {"compatibility change declined", [&] { incompatible(hostsuite::kIdNo); }, {"sesam/pack.exe;1.1.2026;SesamAll;SesamAll;1;;1"},
         "WARNING KTDownload : Critical update not accepted by user (1.0 -> 1.1): stop searching update in versions.xml"},
        {"compatibility change accepted", [&] { incompatible(hostsuite::kIdYes); },
         {"sesam/pack.exe;1.1.2026;SesamAll;SesamAll;1;;1", "1.2/b.exe;1.2.2026;1.1;1.2;0;0;1;1", "1.1/a.exe;1.2.2026;1.0;1.1;0;0;1;1"},
         added},
        // Pack updates newer than the installed pack; a complete pack only for a workstation without one.
        {"pack updates",
         [&] {
             installedPack("15.4.2020");
             catalogue.AddPack("Sesam", "older.exe", "1.3.2020"), catalogue.AddPack("SESAM", "newer.exe", "1.6.2020");
             catalogue.AddPack("SesamAll", "all.exe", "1.1.2021");
         },
         {"sesam/newer.exe;1.6.2020;Sesam;Sesam;1;Sesam;1"}, ""},
        {"pack update of the installed pack's date", [&] { installedPack("15.4.2020"), catalogue.AddPack("Sesam", "same.exe", "15.4.2020"); },
         {}, ""},
        {"complete pack refused by the card reader check",
         [&, this] { installedPack("0"), catalogue.AddPack("SesamAll", "all.exe", "2.3.2026"), packAnswer = 0; }, {},
         "INFO KTDownload : Found Sesam node in versions.xml"},
        // Without the version check a newer complete pack replaces the one recorded, the same one is not fetched again;
        // with it, a complete pack of that date counts as recorded.
        {"complete pack replaced", [&] { completePack("all-v2.exe", "1"); }, {"sesam/all-v2.exe;2.3.2026;SesamAll;SesamAll;1;1;1"},
         "Found Sesam node"},
        {"complete pack in place", [&] { completePack("all-v1.exe", "1"); }, {}, "Found Sesam node"},
        {"complete pack checked", [&] { completePack("all-v2.exe", "0"); }, {}, "Found Sesam node"},
        // With only the pack asked for, neither the host steps nor the other workstations are looked at.
        {"only the pack",
         [this] {
             catalogue.AddStep("1.0", "1.1", "a.exe");
             catalogue.AddPack("SesamAll", "all.exe", "2.3.2026").append_attribute("NoVerCheck") = "0";
             SetUpdate("Network", "1"), WriteWorkstation("{00000000-0000-0000-0000-000000000002}", "1.0"), ctx.bSesamInstall = 1;
         },
         {"sesam/all.exe;2.3.2026;SesamAll;SesamAll;1;0;1"}, "Found Sesam node"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        catalogue = CatalogueWriter(), ctx.bCritical = ctx.bSesamInstall = 0, packAnswer = 1;
        for (const char* file : {"UpdateInfo/files.xml", "windows/sesam.ini"}) fs::remove(tree / file);
        WriteWorkstation(kGuid, "1.0");
        row.write();
        const std::string filesBefore = ReadFile(UpdateFile("files.xml"));
        const long before = Mentions(row.logged);
        EXPECT_TRUE(catalogue.Save(versions));
        download::DownloadList list{download::DownloadItem{}};
        EXPECT_EQ(1, MakeSearch()->GetUpdatesList(versions, list, {}));
        Items listed;  // newest first, below the server's folder
        for (const download::DownloadItem& item : list) listed.push_back(download::FormatDownloadItem(item).substr(std::string_view(kServer).size()));
        EXPECT_EQ(listed, row.want);
        EXPECT_TRUE(row.logged.empty() || Mentions(row.logged) > before);
        EXPECT_EQ(std::pair(ReadFile(UpdateFile("files.xml")), fs::exists(UpdateFile("tmp_files.xml"))), std::pair(filesBefore, false));
    }
    // The rows that ask: the compatibility question only.
    EXPECT_EQ(presenter->messages.size(), 2u);
}

TEST(PackageNameCheckTest, OnlyPlainNamesAndContainedLocationsPass) {
    using namespace download;
    for (const char* name : {"p.exe", "maj 5.2.exe", "..x", "x..", "1:x"}) EXPECT_TRUE(IsPlainFileName(name)) << name;
    for (const char* name : {"", ".", "..", "../x", "/etc/x", "a\\b", "C:", "C:x", "a;b", "a\tb", "a\x7f"}) EXPECT_FALSE(IsPlainFileName(name)) << name;
    for (const char* location : {"", "5.2", "sub/dir", "sub\\dir", "a/./b", "..x/y"}) EXPECT_TRUE(IsContainedLocation(location)) << location;
    for (const char* location : {"..", "a/../..", "a\\..\\b", "/etc", "\\share", "D:\\patch", "a;b", "a\nb"})
        EXPECT_FALSE(IsContainedLocation(location)) << location;
    EXPECT_EQ("sub/dir/x", LocationPath("sub\\dir\\x"));
}

// The search's index: enough keys to grow it several times; the first value
// stays; look-ups in order, out of order and of a missing key agree.
TEST(TextIndexTest, EachKeyKeepsItsFirstValueWhateverTheOrderOfLookUps) {
    download::TextIndex<int> index;
    for (int i = 0; i < 100; ++i) index.Add("k" + std::to_string(i), i);
    index.Add("k7", -1);
    EXPECT_EQ(index.Size(), 100u);
    for (const std::string key : {"k0", "k1", "k2", "k50", "k51", "k7", "k99", "k3", "k100", "k4"}) {
        const int* any = index.Find(key);
        EXPECT_EQ(index.FindNext(key), any) << key;
        EXPECT_EQ(any != nullptr ? *any : -2, key == "k100" ? -2 : std::stoi(key.substr(1))) << key;
    }
    index.Clear();
    EXPECT_EQ(index.Find("k1"), nullptr);
    EXPECT_EQ(index.FindNext("k0"), nullptr);
}

TEST_F(SearchTest, FetchedPackagesMoveToUpdateAndJoinFilesXmlInTheInstallersFormat) {
    const auto search = MakeSearch();
    for (const std::string name : {"a.exe", "s.exe", "all.exe", "all2.exe"}) tree.WriteFile("UpdateInfo/Temp/" + name, name);
    search->ProcessUpdate("1.0", "1.1", "3.1.2026", "a.exe", "1", "1", "0", "1");
    search->ProcessUpdate("Sesam", "Sesam", "4.1.2026", "s.exe", "1", "Sesam", "0", "1");
    search->ProcessUpdate("sesamall", "SesamAll", "5.1.2026", "all.exe", "0", "1", "", "1");
    EXPECT_EQ(ReadFile(UpdateFile("Update/a.exe")) + ReadFile(UpdateFile("Update/all.exe")), "a.exeall.exe");
    EXPECT_FALSE(fs::exists(UpdateFile("Temp/a.exe")));
    EXPECT_EQ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Files>\n"
              "\t<File Date=\"3.1.2026\" Name=\"a.exe\" Version=\"1.0\" NewVersion=\"1.1\" CanRestore=\"1\" Continue=\"0\" Compatibility=\"1\" />\n"
              "\t<Sesam Date=\"4.1.2026\" Name=\"s.exe\" CanRestore=\"1\" Continue=\"0\" />\n"
              "\t<SesamAll Date=\"5.1.2026\" Name=\"all.exe\" CanRestore=\"0\" Continue=\"\" NoVerCheck=\"1\" />\n</Files>\n",
              ReadFile(UpdateFile("files.xml")));
    // Only the latest complete pack stays.
    search->ProcessUpdate("SesamAll", "SesamAll", "1.2.2026", "all2.exe", "1", "0", "", "1");
    const std::string files = ReadFile(UpdateFile("files.xml"));
    EXPECT_TRUE(files.find("\"all2.exe\"") != std::string::npos && files.find("\"all.exe\"") == std::string::npos) << files;
}

}  // namespace
}  // namespace kt::test
