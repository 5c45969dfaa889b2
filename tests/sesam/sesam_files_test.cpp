#include <gtest/gtest.h>

#include <filesystem>

#include "sesam/sesam_folders.h"
#include "sesam/sesam_ini.h"
#include "sesam/sesam_xml.h"
#include "sesam/version_number.h"
#include "support/temp_tree.h"

namespace kt::sesam {
namespace {

using Strings = std::vector<std::string>;

Strings Folders(const TableSet& set) { return {set.common, set.ssv, set.srt, set.sts}; }

TEST(SesamFiles, IniXmlAndLocalSetNameTheTableFolders) {
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
    EXPECT_EQ(Folders(ReadSharedTableSet(xml).value_or(TableSet{})),
              (Strings{"//srv/Sesam/ADM", "//srv/Sesam/SSV", "//srv/Sesam/SRT", "//srv/Sesam/STS"}));
    const std::string local = (tree / "programfiles/Sesam/").string();
    EXPECT_EQ(Folders(LocalTableSet()), (Strings{local + "ADM", local + "SSV", local + "SRT", local + "STS"}));
}

TEST(SesamFiles, CreatedFolder) {
    test::TempTree tree;
    const std::string temp = tree.MakeDir("temp").string();
    tree.WriteFile("blocked/Sesam", "a file in the way");
    const std::pair<std::string, int> cases[] = {{temp, 1}, {temp + "/", 1}, {(tree / "blocked").string(), 0},
                                                 {(tree / "missing/parent").string(), 0}};
    for (const auto& [parent, created] : cases) EXPECT_EQ(CreateSesamFolder(parent), created) << parent;
    EXPECT_TRUE(std::filesystem::is_directory(tree / "temp/Sesam"));
}

// Further parts are joined without their leading zeros, the first stays as
// written; text that is no number reads as zero or its leading digits.
TEST(SesamFiles, VersionJoinsItsPartsAsOneNumber) {
    const std::pair<const char*, long long> cases[] = {{"1.40", 140}, {"1.4", 14}, {"1.04", 14}, {"2", 2},
                                                       {"3.0.12", 3012}, {"01.5", 15}, {"", 0}, {".", 0},
                                                       {"abc", 0}, {"7.x", 70}};
    for (const auto& [text, number] : cases) EXPECT_EQ(VersionToNumber(text), number) << text;
}

}  // namespace
}  // namespace kt::sesam
