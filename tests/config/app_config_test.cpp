// A new workstation's identity and default configuration; appid.xml checked against the running application.
#include <gmock/gmock.h>

#include "config/app_config_check.h"
#include "config/app_guid.h"
#include "config/workstation_guid.h"
#include "support/workstation.h"

namespace kt::config {
namespace {

using test::ReadFile;
using test::kGuid;

using GuidTest = test::Workstation;
const GuidSource zero = [] { return Guid{}; };
const GuidSource sample = [] { return Guid{0x1A2B3C4D, 0x5E6F, 0x7A8B, {0x9C, 0x0D, 0x1E, 0x2F, 0x3A, 0x4B, 0x5C, 0x6D}}; };

TEST_F(GuidTest, NewGuidsAreRandomVersionFourGuidsWithALowerCaseThirdField) {
    EXPECT_EQ(FormatGuid(Guid{0xABC, 0xD, 0xEF, {0, 1, 2, 3, 4, 5, 6, 0xFF}}), "{00000ABC-000D-00ef-0001-0203040506FF}");
    std::string first, second;
    ASSERT_EQ(GetFormattedGuid(ctx, &first, 128) + GetFormattedGuid(ctx, &second, 128), 2);
    EXPECT_THAT(first, ::testing::MatchesRegex("\\{[0-9A-F]{8}-[0-9A-F]{4}-4[0-9a-f]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}\\}"));
    EXPECT_NE(first.substr(20), second.substr(20)) << "random to the last byte";
    ASSERT_EQ(GetFormattedGuid(ctx, &first, 10, sample), 1);
    EXPECT_EQ(first, "{1A2B3C4D-");
    EXPECT_TRUE(Logged(std::string("INFO New GUID generated : ") + kGuid));

    // An all-zero GUID is a failure shown to the user.
    EXPECT_EQ(GetFormattedGuid(ctx, &first, 128, zero), 0);
    EXPECT_EQ(first, "{1A2B3C4D-");
    ASSERT_EQ(presenter->messages.size(), 1u);
    const hostsuite::MessageRequest& shown = presenter->messages[0];
    EXPECT_EQ(std::tie(shown.stringId, shown.caption, shown.style), std::tuple(1000, "Talvo", 0x10u));
    EXPECT_TRUE(Logged("ERROR Can't generate new GUID"));
    EXPECT_EQ(GetAppFormattedGuid(ctx, &first, 128, zero), 0) << "no appid.xml to take it from";
    EXPECT_EQ(presenter->messages.size(), 2u);
}

TEST_F(GuidTest, WorkstationGuidComesFromAUsableAppIdOnly) {
    const std::tuple<const char*, const char*, bool> cases[] = {
        {nullptr, kGuid, true},  // the default configuration
        {"<Workstation Version=\"1\"/>", "", true},
        {"<Settings><Version>5.2.0</Version></Settings>", kGuid, false},
        {"<Workstation GUID=\"{trunc", kGuid, false},
        {"", kGuid, false},
        {"-", kGuid, false},  // none left
    };
    for (const auto& [content, guid, kept] : cases) {
        SCOPED_TRACE(content ? content : "default");
        if (!content) CreateDefault();
        else if (content != std::string_view("-")) WriteAppId(content);
        std::string text;
        ASSERT_EQ(GetAppFormattedGuid(ctx, &text, 128, kept ? zero : sample), 1);
        EXPECT_EQ(text, guid);
        EXPECT_EQ(std::filesystem::exists(AppId()), kept);
    }
    EXPECT_TRUE(presenter->messages.empty());
}

constexpr const char* kPublished = "INFO Update GUID.xml with appid.xml info";

class AppConfigTest : public test::ConfiguredWorkstation {
protected:
    auto Published(const char* element, const char* attribute = nullptr) const { return Read(GuidFile(), "Workstation", element, attribute); }
};

TEST_F(AppConfigTest, DefaultReplacesAnyOldFileByteForByte) {
    WriteAppId("<Workstation GUID=\"{old}\"><History><Item>5.1.0</Item></History></Workstation>");
    ASSERT_EQ(CreateDefaultConfig(ctx, kGuid, LocalTime(31, 3, 2026, 10, 15)), 1);
    std::string appId = ReadFile(std::string(KT_CONFIG_GOLDEN_DIR) + "/appid_default.xml");
    EXPECT_EQ(ReadFile(AppId()), appId.replace(appId.find("@APP_DIR@"), 9, ctx.appDir));
    EXPECT_EQ(ReadFile(GuidFile()), ReadFile(std::string(KT_CONFIG_GOLDEN_DIR) + "/guid_default.xml"));
    EXPECT_EQ(CountLogged("INFO Create default config in appid.xml"), 2);
    EXPECT_EQ(CountLogged(kPublished), 2);
    // Its last update is a month back (31.2.2026 above), across the year too.
    EXPECT_EQ(DateText(OneMonthBack(LocalTime(15, 1, 2027))), "15.12.2026");
}

TEST_F(AppConfigTest, UnusableConfigurationIsRefusedAndAnIncompleteOneCompleted) {
    for (const char* content : {"", "<Workstation GUID=\"x\"><Sesam>0</Sesam></Workstation>",
                                "<Workstation GUID=\"x\"><Version>5.2"}) {
        WriteAppId(content);
        EXPECT_EQ(IsAppConfig(ctx, kGuid), 0) << content;
    }
    std::filesystem::remove(AppId());
    EXPECT_EQ(IsAppConfig(ctx, kGuid), 0);
    EXPECT_EQ(CountLogged(kPublished), 1) << "only the default configuration was published";

    // Without a last update and a Sesam pack: published as today, and none.
    WriteAppId("<Workstation GUID=\"x\"><Version CompatVersion=\"5.2.0\">5.1.0</Version></Workstation>");
    EXPECT_EQ(IsAppConfig(ctx, kGuid, LocalTime(6, 12, 2026)), 1);
    EXPECT_EQ(Published("LastUpdate"), "6.12.2026");
    EXPECT_EQ(Published("Sesam"), "");
}

TEST_F(AppConfigTest, OtherVersionsAreCorrectedOnceThenPublished) {
    ASSERT_EQ(SetNodeData(AppId(), "Workstation", "Version", "5.1.0", "CompatVersion", "5.2.0"), 1);
    ASSERT_EQ(SetNodeData(AppId(), "Workstation", "Update", nullptr, "Type", "1"), 1);
    EXPECT_EQ(IsAppConfig(ctx, kGuid), 1);
    EXPECT_EQ(CountLogged(kPublished), 3) << "published after the correction and at the end";
    EXPECT_EQ(Read(AppId(), "Workstation", "Version").value_or("-") + " " + Published("Version").value_or("-") + " " +
                  Published("LastUpdate", "Type").value_or("-"),
              "5.2.0 5.2.0 1");
    EXPECT_EQ(IsAppConfig(ctx, kGuid), 1);
    EXPECT_EQ(CountLogged(kPublished), 4) << "corrected once, then in step";

    ctx.compatVersion = "5.3.0";
    EXPECT_EQ(IsAppConfig(ctx, kGuid), 1);
    EXPECT_TRUE(Logged("ERROR IsAppConfig : KTVer compat version (5.3.0) != appid compat version (5.2.0). "
                       "That should not happen."));
    EXPECT_EQ(Read(AppId(), "Workstation", "Version", "CompatVersion"), "5.3.0");
    EXPECT_EQ(Published("Version", "CompatVersion"), "5.3.0");
}

}  // namespace
}  // namespace kt::config
