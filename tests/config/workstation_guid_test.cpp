// New GUIDs, their text form, and the GUID kept in appid.xml.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <tuple>

#include "config/app_guid.h"
#include "config/workstation_guid.h"
#include "config_fixture.h"
#include "support/recording_presenter.h"

namespace kt::config {
namespace {

using ::testing::MatchesRegex;

class GuidTest : public test::ConfigTest {
protected:
    GuidTest() { hostsuite::InstallPresenter(presenter); }
    ~GuidTest() override { hostsuite::InstallPresenter(nullptr); }

    std::shared_ptr<test::RecordingPresenter> presenter = std::make_shared<test::RecordingPresenter>();
    const GuidSource zero = [] { return Guid{}; };
    const GuidSource sample = [] { return Guid{0x1A2B3C4D, 0x5E6F, 0x7A8B, {0x9C, 0x0D, 0x1E, 0x2F, 0x3A, 0x4B, 0x5C, 0x6D}}; };
};

TEST_F(GuidTest, NewGuidsAreRandomVersionFourGuidsWithALowerCaseThirdField) {
    EXPECT_EQ(FormatGuid(sample()), kGuid);
    EXPECT_EQ(FormatGuid(Guid{0xABC, 0xD, 0xEF, {0, 1, 2, 3, 4, 5, 6, 0xFF}}), "{00000ABC-000D-00ef-0001-0203040506FF}");
    std::set<std::string> seen;
    for (int i = 0; i < 50; ++i) {
        std::string text;
        ASSERT_EQ(GetFormattedGuid(ctx, &text, 128), 1);
        EXPECT_THAT(text, MatchesRegex("\\{[0-9A-F]{8}-[0-9A-F]{4}-4[0-9a-f]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}\\}"));
        seen.insert(text);
    }
    EXPECT_EQ(seen.size(), 50u);

    std::string text;
    ASSERT_EQ(GetFormattedGuid(ctx, &text, 10, sample), 1);
    EXPECT_EQ(text, "{1A2B3C4D-");
    EXPECT_EQ(Logged(std::string("INFO New GUID generated : ") + kGuid), 1);
    EXPECT_TRUE(presenter->messages.empty());
}

TEST_F(GuidTest, AllZeroGuidIsAFailureShownToTheUser) {
    std::string text = "unchanged";
    EXPECT_EQ(GetFormattedGuid(ctx, &text, 128, zero), 0);
    EXPECT_EQ(text, "unchanged");
    ASSERT_EQ(presenter->messages.size(), 1u);
    const hostsuite::MessageRequest& shown = presenter->messages[0];
    EXPECT_EQ(std::tie(shown.stringId, shown.text, shown.caption, shown.style),
              std::tuple(1000, "Impossible de créer le GUID. Mise à jour terminée.", "Talvo", 0x10u));
    EXPECT_EQ(Logged("ERROR Can't generate new GUID"), 1);

    EXPECT_EQ(GetAppFormattedGuid(ctx, &text, 128, zero), 0) << "no appid.xml to take it from";
    EXPECT_EQ(presenter->messages.size(), 2u);
}

TEST_F(GuidTest, WorkstationGuidComesFromAUsableAppIdOnly) {
    CreateDefault();
    std::string text;
    ASSERT_EQ(GetAppFormattedGuid(ctx, &text, 128, zero), 1);
    EXPECT_EQ(text, kGuid);
    WriteAppId("<Workstation Version=\"1\"/>");
    ASSERT_EQ(GetAppFormattedGuid(ctx, &text, 128, zero), 1);
    EXPECT_EQ(text, "") << "a Workstation without GUID gives an empty one";
    EXPECT_TRUE(presenter->messages.empty());

    // Unusable: deleted and replaced by a new GUID; creating it again is the caller's job.
    for (const char* content : {"<Settings><Version>5.2.0</Version></Settings>", "<Workstation GUID=\"{trunc", ""}) {
        WriteAppId(content);
        ASSERT_EQ(GetAppFormattedGuid(ctx, &text, 128, sample), 1) << content;
        EXPECT_EQ(text, kGuid);
        EXPECT_FALSE(std::filesystem::exists(AppId())) << content;
    }
    ASSERT_EQ(GetAppFormattedGuid(ctx, &text, 128, sample), 1);
    EXPECT_EQ(text, kGuid);
    EXPECT_EQ(Logged("INFO No appid.xml file found : create a new one"), 1);
}

}  // namespace
}  // namespace kt::config
