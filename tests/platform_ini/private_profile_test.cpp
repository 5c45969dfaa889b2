#include "platform/private_profile.h"

#include <sys/stat.h>

#include <filesystem>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "support/temp_tree.h"

namespace kt::platform {
namespace {

namespace fs = std::filesystem;
using kt::test::ReadFile;
using kt::test::TempTree;

const char* const kSesamIni =
    "; poste de test\r\n"
    "Orpheline=hors section\r\n"
    "[COMMUN]\r\n"
    "RepertoireTravail = /opt/Sesam/ADM  \r\n"
    "  repertoiretable=  \"/partage/Sesam/SSV\"  \r\n"
    "ligne sans egal\r\n"
    "Vide=\r\n"
    "\r\n"
    "[ ssv ]\r\n"
    ";RepertoireTable=/ancien\r\n"
    "RepertoireTable=/opt/Sesam/SSV\r\n"
    "Apostrophes='a'\r\n"
    "[COMMUN]\r\n"
    "Doublon=seconde section\r\n";

std::string Read(const std::string& file, const char* section, const char* key, const char* fallback = "absent",
                 std::size_t size = 260) {
    return GetPrivateProfileString(section, key, fallback, size, file);
}

TEST(PrivateProfileRead, FindsValuesAsTheKernelDoes) {
    TempTree tree;
    const std::string ini = tree.WriteFile("windows/sesam.ini", kSesamIni).string();

    EXPECT_EQ(Read(ini, "commun", "REPERTOIRETRAVAIL"), "/opt/Sesam/ADM");
    EXPECT_EQ(Read(ini, "COMMUN", "RepertoireTable"), "/partage/Sesam/SSV");
    EXPECT_EQ(Read(ini, "SSV", "repertoireTable"), "/opt/Sesam/SSV");
    EXPECT_EQ(Read(ini, "SSV", "Apostrophes"), "a");
    EXPECT_EQ(Read(ini, "  COMMUN ", " Vide "), "") << "an empty value is a value, not the default";
}

TEST(PrivateProfileRead, GivesTheDefaultForWhatIsNotThere) {
    TempTree tree;
    const std::string ini = tree.WriteFile("windows/sesam.ini", kSesamIni).string();

    EXPECT_EQ(Read(ini, "SRT", "RepertoireTable"), "absent");
    EXPECT_EQ(Read(ini, "COMMUN", "Orpheline"), "absent") << "keys before the first section belong to none";
    EXPECT_EQ(Read(ini, "COMMUN", "ligne sans egal"), "absent");
    EXPECT_EQ(Read(ini, "COMMUN", "Doublon"), "absent") << "only the first section of a name counts";
    EXPECT_EQ(Read(ini, "SSV", ";RepertoireTable"), "absent") << "comments hold no keys";
    EXPECT_EQ(Read((tree / "windows/missing.ini").string(), "COMMUN", "RepertoireTravail", "defaut  "), "defaut");
}

TEST(PrivateProfileRead, IgnoresAByteOrderMark) {
    TempTree tree;
    const std::string ini = tree.WriteFile("windows/t.ini", "\xEF\xBB\xBF[SSV]\nRepertoireTable=/opt/SSV\n").string();
    EXPECT_EQ(Read(ini, "SSV", "RepertoireTable"), "/opt/SSV");
}

TEST(PrivateProfileRead, BareFileNameIsInTheWindowsFolder) {
    TempTree tree;
    tree.WriteFile("windows/sesam.ini", kSesamIni);
    EXPECT_EQ(Read("sesam.ini", "SSV", "RepertoireTable"), "/opt/Sesam/SSV");
}

TEST(PrivateProfileRead, CutsToTheBufferSizeAtCharacterBoundaries) {
    TempTree tree;
    const std::string ini = tree.WriteFile("windows/t.ini", "[S]\nNom=Données\n").string();

    EXPECT_EQ(Read(ini, "S", "Nom", "", 6), "Donné");
    EXPECT_EQ(Read(ini, "S", "Nom", "", 5), "Donn");
    EXPECT_EQ(Read(ini, "S", "Nom", "", 1), "");
    EXPECT_EQ(Read(ini, "S", "Nom", "", 0), "");
    EXPECT_EQ(Read(ini, "S", "Nom", "", 8), "Données");
    EXPECT_EQ(Read(ini, "S", "Autre", "éèà", 3), "éè");
}

TEST(PrivateProfileRead, ReadsIntegers) {
    TempTree tree;
    const std::string ini = tree.WriteFile("windows/t.ini",
                                           "[N]\nA=12\nB= -7 \nC=+3\nD=42abc\nE=abc\nF=\nG=\"15\"\nH=4294967295\n")
                                .string();

    EXPECT_EQ(GetPrivateProfileInt("n", "a", 99, ini), 12);
    EXPECT_EQ(GetPrivateProfileInt("N", "B", 99, ini), -7);
    EXPECT_EQ(GetPrivateProfileInt("N", "C", 99, ini), 3);
    EXPECT_EQ(GetPrivateProfileInt("N", "D", 99, ini), 42);
    EXPECT_EQ(GetPrivateProfileInt("N", "E", 99, ini), 0);
    EXPECT_EQ(GetPrivateProfileInt("N", "F", 99, ini), 99);
    EXPECT_EQ(GetPrivateProfileInt("N", "G", 99, ini), 15);
    EXPECT_EQ(GetPrivateProfileInt("N", "H", 99, ini), -1);
    EXPECT_EQ(GetPrivateProfileInt("N", "Z", 99, ini), 99);
    EXPECT_EQ(GetPrivateProfileInt("N", "A", 99, (tree / "none.ini").string()), 99);
}

TEST(PrivateProfileWrite, CreatesTheFileSectionAndKey) {
    TempTree tree;
    const std::string ini = (tree / "windows/sesam.ini").string();

    ASSERT_TRUE(WritePrivateProfileString("COMMUN", "RepertoireTravail", "/partage/ADM", ini));
    EXPECT_EQ(ReadFile(ini), "[COMMUN]\nRepertoireTravail=/partage/ADM\n");
    ASSERT_TRUE(WritePrivateProfileString("SSV", "RepertoireTable", "/partage/SSV", ini));
    ASSERT_TRUE(WritePrivateProfileString("commun", "RepertoireTable", "/partage/SSV", ini));
    EXPECT_EQ(ReadFile(ini),
              "[COMMUN]\nRepertoireTravail=/partage/ADM\nRepertoireTable=/partage/SSV\n"
              "\n[SSV]\nRepertoireTable=/partage/SSV\n");
}

TEST(PrivateProfileWrite, ChangesOneLineAndKeepsTheRest) {
    TempTree tree;
    const std::string ini = tree.WriteFile("windows/sesam.ini", kSesamIni).string();

    ASSERT_TRUE(WritePrivateProfileString("ssv", "REPERTOIRETABLE", "/partage/Sesam/SSV", ini));
    ASSERT_TRUE(WritePrivateProfileString("COMMUN", "Nouvelle", "oui", ini));
    ASSERT_TRUE(WritePrivateProfileString("SRT", "RepertoireTable", "/partage/Sesam/SRT", ini));

    EXPECT_EQ(ReadFile(ini),
              "; poste de test\r\n"
              "Orpheline=hors section\r\n"
              "[COMMUN]\r\n"
              "RepertoireTravail = /opt/Sesam/ADM  \r\n"
              "  repertoiretable=  \"/partage/Sesam/SSV\"  \r\n"
              "ligne sans egal\r\n"
              "Vide=\r\n"
              "Nouvelle=oui\r\n"
              "\r\n"
              "[ ssv ]\r\n"
              ";RepertoireTable=/ancien\r\n"
              "RepertoireTable=/partage/Sesam/SSV\r\n"
              "Apostrophes='a'\r\n"
              "[COMMUN]\r\n"
              "Doublon=seconde section\r\n"
              "\r\n"
              "[SRT]\r\n"
              "RepertoireTable=/partage/Sesam/SRT\r\n");
    EXPECT_EQ(Read(ini, "SRT", "RepertoireTable"), "/partage/Sesam/SRT");
}

TEST(PrivateProfileWrite, RefusesWhatWouldNotStayOnOneLine) {
    TempTree tree;
    const std::string ini = tree.WriteFile("windows/sesam.ini", kSesamIni).string();

    EXPECT_FALSE(WritePrivateProfileString("SSV", "RepertoireTable", "/x\n[COMMUN]\nRepertoireTravail=/y", ini));
    EXPECT_FALSE(WritePrivateProfileString("SSV\r\n[COMMUN", "RepertoireTable", "/x", ini));
    EXPECT_FALSE(WritePrivateProfileString("SSV", "Cle=valeur", "/x", ini));
    EXPECT_FALSE(WritePrivateProfileString("SSV", ";Cle", "/x", ini));
    EXPECT_FALSE(WritePrivateProfileString("SSV", "[Cle", "/x", ini));
    EXPECT_FALSE(WritePrivateProfileString("SSV", "  ", "/x", ini));
    EXPECT_FALSE(WritePrivateProfileString("SSV", "Cle", std::string_view("a\0b", 3), ini));
    EXPECT_EQ(ReadFile(ini), kSesamIni);
}

TEST(PrivateProfileWrite, FailsWithoutTouchingAnythingWhenItCannotWrite) {
    TempTree tree;
    EXPECT_FALSE(WritePrivateProfileString("S", "K", "v", (tree / "nowhere/t.ini").string()));
    EXPECT_FALSE(fs::exists(tree / "nowhere"));

    const fs::path folderInTheWay = tree.MakeDir("windows/dossier.ini");
    EXPECT_FALSE(WritePrivateProfileString("S", "K", "v", folderInTheWay.string()));
    EXPECT_TRUE(fs::is_directory(folderInTheWay));
    EXPECT_EQ(std::distance(fs::directory_iterator(tree / "windows"), fs::directory_iterator()), 1);
}

TEST(PrivateProfileWrite, ReplacesTheFileWholeAndKeepsItsPermissions) {
    TempTree tree;
    const fs::path ini = tree.WriteFile("windows/sesam.ini", "[S]\nK=ancien\n");
    fs::permissions(ini, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    // A reader that opened the old file keeps the old content: the new one is a new file.
    fs::create_hard_link(ini, tree / "lecteur.ini");

    ASSERT_TRUE(WritePrivateProfileString("S", "K", "nouveau", ini.string()));

    EXPECT_EQ(ReadFile(ini), "[S]\nK=nouveau\n");
    EXPECT_EQ(ReadFile(tree / "lecteur.ini"), "[S]\nK=ancien\n");
    EXPECT_EQ(fs::status(ini).permissions() & fs::perms::mask,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(tree / "windows")) names.insert(entry.path().filename().string());
    EXPECT_EQ(names, std::set<std::string>{"sesam.ini"}) << "no temporary file is left behind";
}

TEST(PrivateProfileWrite, ConcurrentWritersOfOneProcessLoseNoChange) {
    TempTree tree;
    const std::string ini = (tree / "windows/t.ini").string();
    constexpr int kThreads = 4;
    constexpr int kKeysEach = 25;
    std::vector<std::thread> writers;
    for (int t = 0; t < kThreads; ++t) {
        writers.emplace_back([&ini, t] {
            for (int k = 0; k < kKeysEach; ++k)
                WritePrivateProfileString("S", "K" + std::to_string(t) + "_" + std::to_string(k), "v", ini);
        });
    }
    for (auto& writer : writers) writer.join();

    for (int t = 0; t < kThreads; ++t)
        for (int k = 0; k < kKeysEach; ++k)
            EXPECT_EQ(Read(ini, "S", ("K" + std::to_string(t) + "_" + std::to_string(k)).c_str()), "v");
}

}  // namespace
}  // namespace kt::platform
