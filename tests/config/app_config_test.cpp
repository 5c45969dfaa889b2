// The default configuration of a new workstation, and the start-of-run
// check of appid.xml against the running application; both publish GUID.xml.
#include <gtest/gtest.h>

#include <filesystem>

#include "config/app_config_check.h"
#include "support/workstation.h"

namespace kt::config {
namespace {

using test::ReadFile;
using test::kGuid;

constexpr const char* kPublished = "INFO Update GUID.xml with appid.xml info";

class AppConfigTest : public test::ConfiguredWorkstation {
protected:
    std::optional<std::string> Published(const char* element, const char* attribute = nullptr) const {
        return Read(GuidFile(), "Workstation", element, attribute);
    }
};

TEST_F(AppConfigTest, DefaultReplacesAnyOldFileByteForByte) {
    WriteAppId("<Workstation GUID=\"{old}\"><History><Item>5.1.0</Item></History></Workstation>");
    ASSERT_EQ(CreateDefaultConfig(ctx, kGuid, LocalTime(31, 3, 2026, 10, 15)), 1);
    std::string appId = ReadFile(std::string(KT_CONFIG_GOLDEN_DIR) + "/appid_default.xml");
    ASSERT_NE(appId.find("@APP_DIR@"), std::string::npos);
    EXPECT_EQ(ReadFile(AppId()), appId.replace(appId.find("@APP_DIR@"), 9, ctx.appDir));
    EXPECT_EQ(ReadFile(GuidFile()), ReadFile(std::string(KT_CONFIG_GOLDEN_DIR) + "/guid_default.xml"));
    EXPECT_EQ(CountLogged("INFO Create default config in appid.xml"), 2);
    EXPECT_EQ(CountLogged(kPublished), 2);
    // Its last update is a month back: the last day of a shorter month, across the year.
    EXPECT_EQ(DateText(OneMonthBack(LocalTime(31, 3, 2026))), "31.2.2026");
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

TEST_F(AppConfigTest, SameVersionsPublishOnceOthersAreCorrectedOnce) {
    ASSERT_EQ(SetNodeData(AppId(), "Workstation", "Sesam", "4.12.2026", "Shared", "1"), 1);
    ASSERT_EQ(SetNodeData(AppId(), "Workstation", "Update", nullptr, "Type", "3"), 1);
    const std::string before = ReadFile(AppId());
    std::filesystem::remove(GuidFile());
    EXPECT_EQ(IsAppConfig(ctx, kGuid), 1);
    EXPECT_EQ(CountLogged(kPublished), 2);
    EXPECT_EQ(ReadFile(AppId()), before) << "nothing to correct";
    // Only an Internet source shares.
    EXPECT_EQ(Published("Sesam").value_or("-") + " " + Published("Sesam", "Shared").value_or("-") + " " +
                  Published("LastUpdate").value_or("-") + " " + Published("LastUpdate", "Type").value_or("-"),
              "4.12.2026 1 31.2.2026 0");

    ASSERT_EQ(SetNodeData(AppId(), "Workstation", "Version", "5.1.0", "CompatVersion", "5.2.0"), 1);
    ASSERT_EQ(SetNodeData(AppId(), "Workstation", "Update", nullptr, "Type", "1"), 1);
    EXPECT_EQ(IsAppConfig(ctx, kGuid), 1);
    EXPECT_EQ(CountLogged(kPublished), 4) << "published after the correction and at the end";
    EXPECT_EQ(CountLogged("INFO IsAppConfig : Overwrite versions in appid.xml from KTVer.dll"), 1);
    EXPECT_EQ(Read(AppId(), "Workstation", "Version").value_or("-") + " " + Published("Version").value_or("-") + " " +
                  Published("LastUpdate", "Type").value_or("-"),
              "5.2.0 5.2.0 1");
    EXPECT_EQ(IsAppConfig(ctx, kGuid), 1);
    EXPECT_EQ(CountLogged(kPublished), 5) << "corrected once, then in step";

    ctx.compatVersion = "5.3.0";
    EXPECT_EQ(IsAppConfig(ctx, kGuid), 1);
    EXPECT_TRUE(Logged("ERROR IsAppConfig : KTVer compat version (5.3.0) != appid compat version (5.2.0). "
                       "That should not happen."));
    EXPECT_EQ(Read(AppId(), "Workstation", "Version", "CompatVersion"), "5.3.0");
    EXPECT_EQ(Published("Version", "CompatVersion"), "5.3.0");
}

}  // namespace
}  // namespace kt::config
