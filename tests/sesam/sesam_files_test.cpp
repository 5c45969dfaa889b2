#include <gtest/gtest.h>

#include <filesystem>

#include "sesam/sesam_folders.h"
#include "sesam/sesam_ini.h"
#include "sesam/sesam_xml.h"
#include "support/temp_tree.h"

namespace kt::sesam {
namespace {

TEST(SesamIni, PresenceAndTableFolders) {
    test::TempTree tree;
    EXPECT_FALSE(IsSesamPackInstalled());
    tree.WriteFile("windows/sesam.ini",
                   "[commun]\nRepertoireTravail = /srv/sesam/ADM\nRepertoireTable=/old\n"
                   "[SSV]\nRepertoireTable=/srv/sesam/SSV\n[SRT]\nrepertoiretable=/srv/sesam/SRT\n");
    EXPECT_TRUE(IsSesamPackInstalled());
    const TableSet tables = ReadSesamIniTables(SesamIniPath());
    EXPECT_EQ(tables.common, "/srv/sesam/ADM");
    EXPECT_EQ(tables.ssv, "/srv/sesam/SSV");
    EXPECT_EQ(tables.srt, "/srv/sesam/SRT");
    EXPECT_EQ(tables.sts, "");
}

TEST(SesamFolders, LocalSetAndCreatedFolder) {
    test::TempTree tree;
    const TableSet local = LocalTableSet();
    EXPECT_EQ(local.common, (tree / "programfiles/Sesam/ADM").string());
    EXPECT_EQ(local.sts, (tree / "programfiles/Sesam/STS").string());

    const std::string temp = tree.MakeDir("temp").string();
    EXPECT_EQ(CreateSesamFolder(temp), 1);
    EXPECT_TRUE(std::filesystem::is_directory(tree / "temp/Sesam"));
    EXPECT_EQ(CreateSesamFolder(temp + "/"), 1);  // already there
    tree.WriteFile("blocked/Sesam", "a file in the way");
    EXPECT_EQ(CreateSesamFolder((tree / "blocked").string()), 0);
    EXPECT_EQ(CreateSesamFolder((tree / "missing/parent").string()), 0);
}

TEST(SesamXml, ReadsTheSharedSet) {
    test::TempTree tree;
    const std::string path = (tree / "sesam.xml").string();
    EXPECT_FALSE(ReadSharedTableSet(path).has_value());
    tree.WriteFile("sesam.xml",
                   "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Sesam>\n\t<Version />\n"
                   "\t<COMMUN>//srv/share/Sesam/ADM</COMMUN>\n\t<STS>//srv/share/Sesam/STS</STS>\n"
                   "\t<SRT>//srv/share/Sesam/SRT</SRT>\n\t<SSV>//srv/share/Sesam/SSV</SSV>\n</Sesam>\n");
    const auto shared = ReadSharedTableSet(path);
    ASSERT_TRUE(shared.has_value());
    EXPECT_EQ(shared->common, "//srv/share/Sesam/ADM");
    EXPECT_EQ(shared->ssv, "//srv/share/Sesam/SSV");
    EXPECT_EQ(shared->srt, "//srv/share/Sesam/SRT");
    EXPECT_EQ(shared->sts, "//srv/share/Sesam/STS");
}

}  // namespace
}  // namespace kt::sesam
