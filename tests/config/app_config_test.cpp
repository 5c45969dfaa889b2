// The start-of-run check of appid.xml against the running application.
#include <gtest/gtest.h>

#include <cstdio>

#include "config/app_config_check.h"
#include "config/default_config.h"
#include "config/node_data.h"
#include "config_fixture.h"

namespace kt::config {
namespace {

using test::LocalTime;

class AppConfigTest : public test::ConfigTest {
protected:
    std::string GuidFile() const { return UpdateFile(std::string(kGuid) + ".xml"); }

    std::string Read(const std::string& file, const char* element, const char* attribute = nullptr) const {
        std::string text;
        std::string value;
        GetNodeData(file, "Workstation", element, &text, 50, attribute, &value, 50);
        return attribute != nullptr ? value : text;
    }

    static constexpr const char* kGuidXmlLine = "INFO Update GUID.xml with appid.xml info";
};

TEST_F(AppConfigTest, UnusableConfigurationIsRefused) {
    EXPECT_EQ(IsAppConfig(ctx, kGuid), 0);
    WriteAppId("<Workstation GUID=\"x\"><Sesam>0</Sesam></Workstation>");
    EXPECT_EQ(IsAppConfig(ctx, kGuid), 0);
    WriteAppId("<Workstation GUID=\"x\"><Version>5.2");
    EXPECT_EQ(IsAppConfig(ctx, kGuid), 0);
    EXPECT_EQ(log.Count(kGuidXmlLine), 0);
}

TEST_F(AppConfigTest, SameVersionsPublishOnce) {
    ASSERT_EQ(CreateDefaultConfig(ctx, kGuid, LocalTime(31, 3, 2026)), 1);
    ASSERT_EQ(SetNodeData(AppId(), "Workstation", "Sesam", "4.12.2026", "Shared", "1"), 1);
    ASSERT_EQ(SetNodeData(AppId(), "Workstation", "Update", nullptr, "Type", "3"), 1);
    const std::string before = test::ReadFile(AppId());
    std::remove(GuidFile().c_str());
    const int linesBefore = log.Count(kGuidXmlLine);

    EXPECT_EQ(IsAppConfig(ctx, kGuid), 1);
    EXPECT_EQ(log.Count(kGuidXmlLine), linesBefore + 1);
    EXPECT_EQ(test::ReadFile(AppId()), before) << "nothing to correct";
    EXPECT_EQ(Read(GuidFile(), "Sesam"), "4.12.2026");
    EXPECT_EQ(Read(GuidFile(), "Sesam", "Shared"), "1");
    EXPECT_EQ(Read(GuidFile(), "LastUpdate"), "31.2.2026");
    EXPECT_EQ(Read(GuidFile(), "LastUpdate", "Type"), "0") << "only an Internet source shares";
}

TEST_F(AppConfigTest, UpgradeRewritesTheVersionAndPublishesTwice) {
    ctx.version = "5.1.0";
    ASSERT_EQ(CreateDefaultConfig(ctx, kGuid, LocalTime(31, 3, 2026)), 1);
    ctx.version = "5.2.0";
    const int linesBefore = log.Count(kGuidXmlLine);

    EXPECT_EQ(IsAppConfig(ctx, kGuid), 1);
    EXPECT_EQ(log.Count(kGuidXmlLine), linesBefore + 2);
    EXPECT_TRUE(log.Has("INFO IsAppConfig : Overwrite versions in appid.xml from KTVer.dll"));
    EXPECT_EQ(Read(AppId(), "Version"), "5.2.0");
    EXPECT_EQ(Read(AppId(), "Version", "CompatVersion"), "5.2.0");
    for (const std::string& line : log.Lines()) EXPECT_NE(line.rfind("ERROR", 0), 0u) << line;
    EXPECT_EQ(Read(GuidFile(), "Version"), "5.2.0");
    EXPECT_EQ(Read(GuidFile(), "LastUpdate", "Type"), "1");

    const int linesAfter = log.Count(kGuidXmlLine);
    EXPECT_EQ(IsAppConfig(ctx, kGuid), 1);
    EXPECT_EQ(log.Count(kGuidXmlLine), linesAfter + 1) << "corrected once, then in step";
}

TEST_F(AppConfigTest, DifferentCompatibilityVersionIsCorrectedAndLogged) {
    ASSERT_EQ(CreateDefaultConfig(ctx, kGuid, LocalTime(31, 3, 2026)), 1);
    ctx.compatVersion = "5.3.0";
    EXPECT_EQ(IsAppConfig(ctx, kGuid), 1);
    EXPECT_TRUE(log.Has("ERROR IsAppConfig : KTVer compat version (5.3.0) != appid compat version (5.2.0). "
                        "That should not happen."));
    EXPECT_EQ(Read(AppId(), "Version", "CompatVersion"), "5.3.0");
    EXPECT_EQ(Read(GuidFile(), "Version", "CompatVersion"), "5.3.0");
}

TEST_F(AppConfigTest, MissingLastUpdateIsPublishedAsToday) {
    WriteAppId("<Workstation GUID=\"x\"><Version CompatVersion=\"5.2.0\">5.1.0</Version></Workstation>");
    EXPECT_EQ(IsAppConfig(ctx, kGuid, LocalTime(6, 12, 2026)), 1);
    EXPECT_EQ(Read(GuidFile(), "LastUpdate"), "6.12.2026");
    EXPECT_EQ(Read(GuidFile(), "Sesam"), "");
}

}  // namespace
}  // namespace kt::config
