#include <gtest/gtest.h>

#include <filesystem>

#include "sesam/sesam_folders.h"
#include "sesam/sesam_ini.h"
#include "sesam/sesam_xml.h"
#include "support/temp_tree.h"

namespace kt::sesam {
namespace {

using Strings = std::vector<std::string>;

Strings Folders(const TableSet& set) { return {set.common, set.ssv, set.srt, set.sts}; }

TEST(SesamFiles, IniAndXmlNameTheTableFolders) {
    test::TempTree tree;
    tree.WriteFile("windows/sesam.ini",
                   "[commun]\nRepertoireTravail = /srv/sesam/ADM\nRepertoireTable=/old\n"
                   "[SSV]\nRepertoireTable=/srv/sesam/SSV\n[SRT]\nrepertoiretable=/srv/sesam/SRT\n");
    EXPECT_EQ(Folders(ReadSesamIniTables(SesamIniPath())),
              (Strings{"/srv/sesam/ADM", "/srv/sesam/SSV", "/srv/sesam/SRT", ""}));

    const std::string xml = (tree / "sesam.xml").string();
    EXPECT_FALSE(ReadSharedTableSet(xml).has_value());
    tree.WriteFile("sesam.xml",
                   "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Sesam>\n\t<Version />\n"
                   "\t<COMMUN>//srv/Sesam/ADM</COMMUN>\n\t<STS>//srv/Sesam/STS</STS>\n"
                   "\t<SRT>//srv/Sesam/SRT</SRT>\n\t<SSV>//srv/Sesam/SSV</SSV>\n</Sesam>\n");
    const auto shared = ReadSharedTableSet(xml);
    ASSERT_TRUE(shared.has_value());
    EXPECT_EQ(Folders(*shared), (Strings{"//srv/Sesam/ADM", "//srv/Sesam/SSV", "//srv/Sesam/SRT", "//srv/Sesam/STS"}));
}

TEST(SesamFiles, LocalSetAndCreatedFolder) {
    test::TempTree tree;
    const std::string local = (tree / "programfiles/Sesam/").string();
    EXPECT_EQ(Folders(LocalTableSet()), (Strings{local + "ADM", local + "SSV", local + "SRT", local + "STS"}));

    const std::string temp = tree.MakeDir("temp").string();
    EXPECT_EQ(CreateSesamFolder(temp), 1);
    EXPECT_TRUE(std::filesystem::is_directory(tree / "temp/Sesam"));
    EXPECT_EQ(CreateSesamFolder(temp + "/"), 1);  // already there
    tree.WriteFile("blocked/Sesam", "a file in the way");
    EXPECT_EQ(CreateSesamFolder((tree / "blocked").string()), 0);
    EXPECT_EQ(CreateSesamFolder((tree / "missing/parent").string()), 0);
}

}  // namespace
}  // namespace kt::sesam
