// The files machine-wide settings live in: INI files and registry values.
#include <filesystem>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

#include "platform/machine_values.h"
#include "platform/private_profile.h"
#include "platform_fixture.h"

namespace kt::test {
namespace {

namespace fs = std::filesystem;
using namespace platform;

const char* const kSesamIni =
    "; poste de test\r\nOrpheline=hors section\r\n"
    "[COMMUN]\r\nRepertoireTravail = /opt/Sesam/ADM  \r\n  repertoiretable=  \"/partage/Sesam/SSV\"  \r\n"
    "ligne sans egal\r\nVide=\r\n\r\n"
    "[ ssv ]\r\n;RepertoireTable=/ancien\r\nRepertoireTable=/opt/Sesam/SSV\r\nApostrophes='a'\r\n"
    "[COMMUN]\r\nDoublon=seconde section\r\n";

class PrivateProfileTest : public PlatformTest {
protected:
    std::string Read(const char* section, const char* key, const char* fallback = "absent", std::size_t size = 260) {
        return GetPrivateProfileString(section, key, fallback, size, ini);
    }
    std::string ini = tree.WriteFile("windows/sesam.ini", kSesamIni).string();
};

// Names match in any case and trimmed; keys before the first section, lines
// without "=", comments and a second section of a name hold nothing.
TEST_F(PrivateProfileTest, FindsValuesAsTheKernelDoesAndGivesTheDefaultForWhatIsNotThere) {
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"commun", "REPERTOIRETRAVAIL", "/opt/Sesam/ADM"}, {"COMMUN", "RepertoireTable", "/partage/Sesam/SSV"},
        {"SSV", "Apostrophes", "a"},         {"  COMMUN ", " Vide ", ""},  {"SRT", "RepertoireTable", "absent"},
        {"COMMUN", "Orpheline", "absent"},   {"COMMUN", "ligne sans egal", "absent"},
        {"COMMUN", "Doublon", "absent"},     {"SSV", ";RepertoireTable", "absent"},
    };
    for (const auto& [section, key, value] : cases) EXPECT_EQ(Read(section, key), value) << section << "/" << key;
    EXPECT_EQ(GetPrivateProfileString("SSV", "repertoireTable", "", 260, "sesam.ini"), "/opt/Sesam/SSV")
        << "a bare file name is in the Windows folder";
    EXPECT_EQ(GetPrivateProfileString("COMMUN", "RepertoireTravail", "defaut  ", 260, ini + ".absent"), "defaut");
}

// Values are cut to the buffer at character boundaries; numbers read after a byte-order mark.
TEST_F(PrivateProfileTest, CutsValuesBetweenCharactersAndReadsIntegers) {
    ini = tree.WriteFile("windows/t.ini", "\xEF\xBB\xBF[N]\nA=12\nB= -7 \nC=+3\nD=42abc\nE=abc\nF=\nG=\"15\"\nH=4294967295\n"
                                          "Nom=Données\n").string();
    const std::pair<std::size_t, const char*> cut[] = {{8, "Données"}, {6, "Donné"}, {5, "Donn"}, {1, ""}, {0, ""}};
    for (const auto& [size, expected] : cut) EXPECT_EQ(Read("N", "Nom", "", size), expected) << size;
    EXPECT_EQ(Read("N", "Autre", "éèà", 3), "éè");
    const std::pair<const char*, int> cases[] = {{"a", 12}, {"B", -7}, {"C", 3},  {"D", 42}, {"E", 0},
                                                 {"F", 99}, {"G", 15}, {"H", -1}, {"Z", 99}};
    for (const auto& [key, expected] : cases) EXPECT_EQ(GetPrivateProfileInt("n", key, 99, ini), expected) << key;
    EXPECT_EQ(GetPrivateProfileInt("N", "A", 99, ini + ".absent"), 99);
}

// The file is replaced whole: a reader that opened the old one keeps it,
// its permissions stay and no temporary file is left behind.
TEST_F(PrivateProfileTest, WritingChangesOneLineKeepsTheRestAndCreatesWhatIsMissing) {
    const auto permissions = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    fs::permissions(ini, permissions);
    fs::create_hard_link(ini, tree / "lecteur.ini");
    ASSERT_TRUE(WritePrivateProfileString("ssv", "REPERTOIRETABLE", "/partage/Sesam/SSV", ini));
    ASSERT_TRUE(WritePrivateProfileString("COMMUN", "Nouvelle", "oui", ini));
    ASSERT_TRUE(WritePrivateProfileString("SRT", "RepertoireTable", "/partage/Sesam/SRT", ini));
    EXPECT_EQ(ReadFile(ini),
              "; poste de test\r\nOrpheline=hors section\r\n"
              "[COMMUN]\r\nRepertoireTravail = /opt/Sesam/ADM  \r\n  repertoiretable=  \"/partage/Sesam/SSV\"  \r\n"
              "ligne sans egal\r\nVide=\r\nNouvelle=oui\r\n\r\n"
              "[ ssv ]\r\n;RepertoireTable=/ancien\r\nRepertoireTable=/partage/Sesam/SSV\r\nApostrophes='a'\r\n"
              "[COMMUN]\r\nDoublon=seconde section\r\n"
              "\r\n[SRT]\r\nRepertoireTable=/partage/Sesam/SRT\r\n");
    EXPECT_EQ(ReadFile(tree / "lecteur.ini"), kSesamIni);
    EXPECT_EQ(fs::status(ini).permissions() & fs::perms::mask, permissions);
    EXPECT_EQ(std::distance(fs::directory_iterator(tree / "windows"), {}), 2) << "the file and its lock, no temporary";
    ini = (tree / "windows/new.ini").string();
    for (const char* value : {"/partage/ADM", "/autre"}) ASSERT_TRUE(WritePrivateProfileString("COMMUN", "RepertoireTravail", value, ini));
    EXPECT_EQ(ReadFile(ini), "[COMMUN]\nRepertoireTravail=/autre\n") << "a new file, then its first line's section";
}

TEST_F(PrivateProfileTest, WritingRefusesWhatWouldNotStayOnOneLineOrCannotBeWritten) {
    const std::vector<std::vector<std::string>> refused = {
        {"SSV", "RepertoireTable", "/x\n[COMMUN]\nRepertoireTravail=/y"}, {"SSV\r\n[COMMUN", "RepertoireTable", "/x"},
        {"SSV", "Cle=valeur", "/x"}, {"SSV", ";Cle", "/x"}, {"SSV", "[Cle", "/x"}, {"SSV", "  ", "/x"},
        {"SSV", "Cle", std::string("a\0b", 3)}};
    for (const auto& w : refused) EXPECT_FALSE(WritePrivateProfileString(w[0], w[1], w[2], ini)) << w[0] << " " << w[1];
    EXPECT_EQ(ReadFile(ini), kSesamIni);
    // Nor is a file written where it cannot be: a missing folder, a folder in the way.
    EXPECT_FALSE(WritePrivateProfileString("S", "K", "v", (tree / "nowhere/t.ini").string()));
    EXPECT_FALSE(fs::exists(tree / "nowhere"));
    EXPECT_FALSE(WritePrivateProfileString("S", "K", "v", tree.MakeDir("windows/dossier.ini").string()));
    EXPECT_TRUE(fs::is_directory(tree / "windows/dossier.ini"));
}

using MachineValueTest = PlatformTest;
constexpr const char* kKey = "Software/Talvo/Talvo";

// Only a whole 32-bit number, possibly with a line end, reads as a value.
TEST_F(MachineValueTest, OnlyAWholeDwordReadsBack) {
    ASSERT_TRUE(MachineValue(kKey, "FailCount").WriteDword(0xFFFFFFFFu));
    EXPECT_EQ(MachineValue("Software\\Talvo\\Talvo", "FailCount").ReadDword(), 0xFFFFFFFFu);
    EXPECT_EQ(std::distance(fs::directory_iterator(tree / "registry" / kKey), {}), 2)
        << "the value and its lock file, no temporary";
    const std::pair<std::string, std::optional<std::uint32_t>> cases[] = {
        {"3\r\n", 3u},    {"", std::nullopt},    {"abc", std::nullopt},   {"-1", std::nullopt},
        {"4294967296", std::nullopt}, {"12 34", std::nullopt}, {"7x", std::nullopt}, {"\n", std::nullopt},
        {std::string(4096, '1'), std::nullopt}};
    for (const auto& [content, value] : cases) {
        tree.WriteFile("registry/Software/Talvo/Talvo/FailCount", content);
        EXPECT_EQ(MachineValue(kKey, "FailCount").ReadDword(), value) << '"' << content << '"';
    }
}

TEST_F(MachineValueTest, WritesThatCannotBeMadeOrLeadOutOfTheRegistryAreRefused) {
    for (const auto& [key, name] : {std::pair{"../outside", "FailCount"}, {kKey, ".."}, {kKey, ""}}) {
        EXPECT_FALSE(MachineValue(key, name).WriteDword(1)) << key << " " << name;
    }
    EXPECT_FALSE(fs::exists(tree / "outside"));
    tree.WriteFile("secret", "5");
    EXPECT_FALSE(MachineValue("..", "secret").ReadDword());
    tree.WriteFile("registry/Software", "a file where the key should be");
    EXPECT_FALSE(MachineValue(kKey, "FailCount").WriteDword(1));
}

// Two processes increment it at once: the file lock loses no change.
TEST_F(MachineValueTest, TwoProcessesIncrementingItLoseNoChange) {
    ChildProcess first({"count", "150"}), second({"count", "150"});
    EXPECT_TRUE(first.ReadLine() == "done" && second.ReadLine() == "done");
    EXPECT_EQ(MachineValue(kKey, "FailCount").ReadDword(), 300u);
}

}  // namespace
}  // namespace kt::test
