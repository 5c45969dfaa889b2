// Moving fetched packages to the Update folder and recording them in
// files.xml for the installer.
#include <gtest/gtest.h>

#include <filesystem>

#include "search_fixture.h"

namespace kt::test {
namespace {

namespace fs = std::filesystem;

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
    EXPECT_EQ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
              "<Files>\n"
              "\t<File Date=\"3.1.2026\" Name=\"a.exe\" Version=\"1.0\" NewVersion=\"1.1\" CanRestore=\"1\" "
              "Continue=\"0\" Compatibility=\"1\" />\n"
              "\t<Sesam Date=\"4.1.2026\" Name=\"s.exe\" CanRestore=\"1\" Continue=\"0\" />\n"
              "\t<SesamAll Date=\"5.1.2026\" Name=\"all.exe\" CanRestore=\"0\" Continue=\"\" NoVerCheck=\"1\" />\n"
              "</Files>\n",
              ReadFile(UpdateFile("files.xml")));
    EXPECT_TRUE(Logged("INFO", "KTDownload : copy a.exe to " + UpdateFile("Update/a.exe")));
    EXPECT_EQ(1, CountLogged("KTDownload : Can't find files.xml, create a new one"));
    EXPECT_EQ(3, CountLogged("KTDownload : ProcessUpdate : Add node to files.xml"));
}

TEST_F(ProcessUpdateTest, OnlyTheLatestCompletePackStays) {
    Fetched("all1.exe", "1");
    search->ProcessUpdate("SesamAll", "SesamAll", "1.1.2026", "all1.exe", "1", "0", "", "1");
    Fetched("all2.exe", "2");
    search->ProcessUpdate("SesamAll", "SesamAll", "1.2.2026", "all2.exe", "1", "0", "", "1");

    pugi::xml_document files;
    ASSERT_TRUE(files.load_file(UpdateFile("files.xml").c_str()));
    const pugi::xpath_node_set packs = files.select_nodes("//SesamAll");
    ASSERT_EQ(1u, packs.size());
    EXPECT_STREQ("all2.exe", packs.first().node().attribute("Name").value());
}

TEST_F(ProcessUpdateTest, NothingIsRecordedForAPackageThatIsNotThere) {
    search->ProcessUpdate("1.0", "1.1", "3.1.2026", "missing.exe", "1", "1", "0", "1");
    EXPECT_FALSE(fs::exists(UpdateFile("files.xml")));

    // A files.xml without its root is left alone.
    tree.WriteFile("UpdateInfo/files.xml", "<Other />\n");
    Fetched("b.exe", "b");
    search->ProcessUpdate("1.1", "1.2", "3.1.2026", "b.exe", "1", "1", "0", "1");
    EXPECT_EQ("<Other />\n", ReadFile(UpdateFile("files.xml")));
}

TEST_F(ProcessUpdateTest, UnsafeNamesWriteNothingOutsideTheUpdateFolder) {
    tree.WriteFile("UpdateInfo/x", "temp sibling");
    tree.WriteFile("x", "outside");
    search->ProcessUpdate("1.0", "1.1", "3.1.2026", "../x", "1", "1", "0", "1");
    search->ProcessUpdate("1.0", "1.1", "3.1.2026", (tree / "x").string(), "1", "1", "0", "1");

    EXPECT_EQ("temp sibling", ReadFile(UpdateFile("x")));
    EXPECT_EQ("outside", ReadFile(tree / "x"));
    EXPECT_FALSE(fs::exists(UpdateFile("files.xml")));
    EXPECT_EQ(2, CountLogged("KTDownload : ProcessUpdate : unsafe file name refused : "));
}

}  // namespace
}  // namespace kt::test
