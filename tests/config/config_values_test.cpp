// Single values of the module's XML files: read, written, and what is read from them.
#include "config/internet_config.h"
#include "config/last_update_age.h"
#include "config/version_compare.h"
#include "support/workstation.h"

namespace kt::config {
namespace {

using test::ReadFile;
using NodeDataTest = test::ConfiguredWorkstation;

TEST_F(NodeDataTest, ReadsTheFirstElementOfItsNameUnderItsDirectParentCutBetweenCharacters) {
    EXPECT_EQ(Read(AppId(), "Update", "Proxy", "Address"), "");
    EXPECT_EQ(Read(AppId(), nullptr, "Proxy", "UseIE"), "1");
    EXPECT_EQ(Read(AppId(), "Workstation", "Schedule", "NoSuchAttribute"), "") << "a missing attribute reads as empty";
    std::string text, compat;
    ASSERT_EQ(GetNodeData(AppId(), "Workstation", "Version", &text, 50, "CompatVersion", &compat, 50), 1);
    EXPECT_EQ(text + " " + compat, "5.2.0 5.2.0");

    ASSERT_EQ(SetNodeData(AppId(), "Update", "Proxy", nullptr, "Login", "élève-ßü"), 1);
    EXPECT_EQ(Read(AppId(), "Update", "Proxy", "Login", 4), "élèv");
    EXPECT_EQ(Read(AppId(), "Update", "Proxy", "Login", 8), "élève-ßü");
    // 8-bit text left by older versions: one character per byte.
    WriteAppId("<?xml version=\"1.0\" encoding=\"UTF-8\"?><Workstation><Folder>caf\xe9 cr\xe8me</Folder></Workstation>");
    EXPECT_EQ(Read(AppId(), nullptr, "Folder", nullptr, 6), "caf\xe9 c");

    WriteAppId("<Workstation><A><Item>deep</Item></A><Item>late</Item></Workstation>");
    EXPECT_EQ(Read(AppId(), nullptr, "Item"), "deep");
    EXPECT_EQ(Read(AppId(), "Workstation", "Item"), std::nullopt) << "the first Item is not a direct child";
}

TEST_F(NodeDataTest, WritesInPlaceAndAppendsWhatIsMissing) {
    ASSERT_EQ(SetNodeData(AppId(), "Workstation", "Update", nullptr, "Configured", "1"), 1);
    ASSERT_EQ(SetNodeData(AppId(), "Workstation", "History", nullptr, nullptr, nullptr), 1);
    ASSERT_EQ(SetNodeData(AppId(), "History", "Item", "5.2.0", "Date", "4.12.2026"), 1);
    EXPECT_EQ(SetNodeData(AppId(), "NoParent", "Item", "x", nullptr, nullptr), 0);
    EXPECT_NE(ReadFile(AppId()).find("\t</Update>\n\t<History>\n\t\t<Item Date=\"4.12.2026\">5.2.0</Item>\n\t</History>\n"),
              std::string::npos);

    // Update holds Proxy: giving it a text must not lose the proxy settings.
    ASSERT_EQ(SetNodeData(AppId(), "Workstation", "Update", "note", nullptr, nullptr), 1);
    EXPECT_EQ(Read(AppId(), "Update", "Proxy", "UseIE"), "1");

    // Several values in one replacement: one without a place is left out, the others are written.
    EXPECT_EQ(SetNodeValues(AppId(), {{"Update", "Proxy", "Port", "3128"}, {"NoParent", "Item", "A", "x"},
                                      {"Workstation", "Schedule", "Time", "09:30"}}), 0);
    EXPECT_EQ(Read(AppId(), "Update", "Proxy", "Port"), "3128");
    EXPECT_EQ(Read(AppId(), "Workstation", "Schedule", "Time"), "09:30");

    // A text split around a comment: the new text replaces all of it and reads back whole.
    WriteAppId("<Workstation><LastUpdate>1.1<!-- edited -->.2020<Item/>5</LastUpdate></Workstation>");
    ASSERT_EQ(SetNodeData(AppId(), "Workstation", "LastUpdate", "6.12.2026", nullptr, nullptr), 1);
    EXPECT_EQ(Read(AppId(), "Workstation", "LastUpdate"), "6.12.2026");
    EXPECT_EQ(Read(AppId(), "LastUpdate", "Item"), "");
}

TEST_F(NodeDataTest, MissingOrBrokenFileIsNeitherReadNorWritten) {
    const std::string absent = ctx.appDir + "absent.xml";
    EXPECT_EQ(Read(absent, "Update", "Proxy", "Pass"), std::nullopt);
    EXPECT_TRUE(Logged("WARNING No file " + absent + " in search for parent = Update, node = Proxy, attribut = Pass"));
    EXPECT_EQ(SetNodeData(absent, "Update", "Proxy", nullptr, "Pass", "x"), 0);
    EXPECT_FALSE(std::filesystem::exists(absent));

    const std::string broken = "<?xml version=\"1.0\"?>\n<Workstation GUID=\"x\">\n\t<Version>5.2";
    WriteAppId(broken);
    EXPECT_EQ(Read(AppId(), nullptr, "Workstation", "GUID"), std::nullopt);
    EXPECT_EQ(SetNodeData(AppId(), nullptr, "Version", "5.3.0", nullptr, nullptr), 0);
    EXPECT_EQ(ReadFile(AppId()), broken);
}

TEST(CompareVersionsTest, PartsCompareAsNumbersAndAnAbsentVersionIsLowest) {
    const std::string zeros(48, '0');  // only the first 51 characters count
    const std::string cut1 = "5.0" + zeros + "1", cut2 = "5.0" + zeros + "2", fit1 = "5." + zeros + "1",
                      fit2 = "5." + zeros + "2";
    const std::tuple<const char*, const char*, int> cases[] = {
        {"5.10.1", "5.9.3", 1}, {"5.2", "5.2.0", -1},     {"5.2.0.7", "5.2.0.1", 0}, {"6", "5.99.99", 1},
        {"5.2.99999999999999999999", "5.2.1", 1},         {nullptr, "5.2.0", -1},    {nullptr, nullptr, 0},
        {"", "0", -1},          {cut1.c_str(), cut2.c_str(), 0},                     {fit1.c_str(), fit2.c_str(), -1},
    };
    for (const auto& [a, b, expected] : cases) {
        SCOPED_TRACE(std::string(a ? a : "null") + " vs " + (b ? b : "null"));
        EXPECT_EQ(CompareVersions(a, b), expected);
        EXPECT_EQ(CompareVersions(b, a), -expected);
    }
}

using LastUpdateAgeTest = test::Workstation;

TEST_F(LastUpdateAgeTest, CountsWholeDaysFromMidnight) {
    constexpr int kVeryOld = 40000;
    const std::tuple<const char*, std::tm, int> cases[] = {  // date (null: none, "-": no appid.xml), now, days
        {"-", LocalTime(1, 1, 2027), kUnknownLastUpdateAge},  // first, before any appid.xml
        {"31.2.2026", LocalTime(31, 3, 2026, 9, 30), 31},  // the last day of February, not 3 March
        {"5.12.2026", LocalTime(5, 12, 2026, 23, 59, 59), 0}, {"5.12.2026", LocalTime(6, 12, 2026, 0, 0, 0), 1},
        {"5.12.2026", LocalTime(4, 1, 2027, 8, 0, 0), 30},    {"5.12.2026", LocalTime(3, 12, 2026, 12, 0, 0), -1},
        {"5.12.2026", LocalTime(4, 12, 2026, 12, 0, 0), 0},  // truncated toward zero
        {nullptr, LocalTime(1, 1, 2027), kUnknownLastUpdateAge},
        {"12.13.2026", LocalTime(1, 1, 2027), kVeryOld},  // impossible dates are very old
        {"hier", LocalTime(1, 1, 2027), kVeryOld},
    };
    for (const auto& [date, now, days] : cases) {
        SCOPED_TRACE(std::string(date ? date : "none") + " on " + std::to_string(now.tm_mday));
        const std::string dated = date ? std::string("<LastUpdate>") + date + "</LastUpdate>" : "";
        if (dated != "<LastUpdate>-</LastUpdate>") WriteAppId("<Workstation><Version>5.2.0</Version>" + dated + "</Workstation>");
        if (days == kVeryOld) EXPECT_GT(DaysSinceLastUpdate(AppId(), now), kVeryOld);
        else EXPECT_EQ(DaysSinceLastUpdate(AppId(), now), days);
    }
}

using InternetConfigTest = test::ConfiguredWorkstation;

TEST_F(InternetConfigTest, ModeProxyAndLimitAreReadOrTheFailureJournalled) {
    const auto settings = [&](InternetConfig c = {}) {  // "mode address:port login/password speed"
        return ReadInternetConfig(ctx, c) != 1 ? "refused" : std::to_string(c.connectionMode) + " " + c.proxyAddress + ":" +
               std::to_string(c.proxyPort) + " " + c.proxyLogin + "/" + c.proxyPassword + " " + std::to_string(c.speedLimit);
    };
    const std::string proxy = "<Proxy Active=\"1\" Address=\"proxy.local\" Login=\"sec\" Pass=\"abcdefghijklmnopqrstuvwxyz0123\" ";
    const char* const ok = "MJ_DWL_RC : Lecture de la config reussi.";
    const std::tuple<std::string, std::string, const char*> cases[] = {  // Update (none: the default), settings, journal
        {"", std::to_string(kConnectionSystem) + " :0 / 0.000000", ok},
        {"<Update Speed=\"12.5\"><Proxy UseIE=\"0\"/></Update>", std::to_string(kConnectionDirect) + " :0 / 12.500000", ok},
        // 25 characters of password.
        {"<Update Speed=\"0\">" + proxy + "Port=\"3128\"/></Update>",
         std::to_string(kConnectionProxy) + " proxy.local:3128 sec/abcdefghijklmnopqrstuvwxy 0.000000", ok},
        // A port out of range is no port, not another one.
        {"<Update Speed=\"0\">" + proxy + "Port=\"70000\"/></Update>",
         std::to_string(kConnectionProxy) + " proxy.local:0 sec/abcdefghijklmnopqrstuvwxy 0.000000", ok},
        // The proxy outside Update cannot be read; the speed only from the Update directly under Workstation.
        {"<Update Speed=\"0\"/><Proxy Active=\"1\" UseIE=\"0\"/>", "refused", "MJ_DWL_RC_1 : Lecture de la config echoué."},
        {"<Settings><Update Speed=\"5\"><Proxy Active=\"0\" UseIE=\"1\"/></Update></Settings>", "refused",
         "MJ_DWL_RC_7 : Lecture de la config echoué."},
    };
    for (const auto& [update, read, journal] : cases) {
        SCOPED_TRACE(update);
        if (!update.empty()) WriteAppId("<Workstation>" + update + "</Workstation>");
        EXPECT_EQ(settings(), read);
        ASSERT_GE(Journal().size(), 2u);
        EXPECT_EQ(Journal().end()[-2] + " / " + Journal().back(), "MJ_DWL_RC : Lecture de la config. / " + std::string(journal));
    }
}

}  // namespace
}  // namespace kt::config
