// New GUIDs, their text form, and the GUID kept in appid.xml.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <tuple>

#include "config/app_guid.h"
#include "config/workstation_guid.h"
#include "support/workstation.h"

namespace kt::config {
namespace {

class GuidTest : public test::Workstation {
protected:
    const GuidSource zero = [] { return Guid{}; };
    const GuidSource sample = [] { return Guid{0x1A2B3C4D, 0x5E6F, 0x7A8B, {0x9C, 0x0D, 0x1E, 0x2F, 0x3A, 0x4B, 0x5C, 0x6D}}; };
};

TEST_F(GuidTest, NewGuidsAreRandomVersionFourGuidsWithALowerCaseThirdField) {
    EXPECT_EQ(FormatGuid(Guid{0xABC, 0xD, 0xEF, {0, 1, 2, 3, 4, 5, 6, 0xFF}}), "{00000ABC-000D-00ef-0001-0203040506FF}");
    std::set<std::string> seen;
    for (int i = 0; i < 50; ++i) {
        std::string text;
        ASSERT_EQ(GetFormattedGuid(ctx, &text, 128), 1);
        EXPECT_THAT(text, ::testing::MatchesRegex("\\{[0-9A-F]{8}-[0-9A-F]{4}-4[0-9a-f]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}\\}"));
        seen.insert(text);
    }
    EXPECT_EQ(seen.size(), 50u);

    std::string text;
    ASSERT_EQ(GetFormattedGuid(ctx, &text, 10, sample), 1);
    EXPECT_EQ(text, "{1A2B3C4D-");
    EXPECT_TRUE(Logged(std::string("INFO New GUID generated : ") + test::kGuid));
    EXPECT_TRUE(presenter->messages.empty());

    // An all-zero GUID is a failure shown to the user.
    text = "unchanged";
    EXPECT_EQ(GetFormattedGuid(ctx, &text, 128, zero), 0);
    EXPECT_EQ(text, "unchanged");
    ASSERT_EQ(presenter->messages.size(), 1u);
    const hostsuite::MessageRequest& shown = presenter->messages[0];
    EXPECT_EQ(std::tie(shown.stringId, shown.caption, shown.style), std::tuple(1000, "Talvo", 0x10u));
    EXPECT_TRUE(Logged("ERROR Can't generate new GUID"));
    EXPECT_EQ(GetAppFormattedGuid(ctx, &text, 128, zero), 0) << "no appid.xml to take it from";
    EXPECT_EQ(presenter->messages.size(), 2u);
}

TEST_F(GuidTest, WorkstationGuidComesFromAUsableAppIdOnly) {
    const struct {
        const char* content;  // null: the default configuration
        const char* guid;
        bool kept;
    } cases[] = {
        {nullptr, test::kGuid, true},
        {"<Workstation Version=\"1\"/>", "", true},  // a Workstation without GUID gives an empty one
        // Unusable: deleted and replaced by a new GUID; creating it again is the caller's job.
        {"<Settings><Version>5.2.0</Version></Settings>", test::kGuid, false},
        {"<Workstation GUID=\"{trunc", test::kGuid, false},
        {"", test::kGuid, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.content ? c.content : "default");
        if (c.content) WriteAppId(c.content);
        else CreateDefault();
        std::string text;
        ASSERT_EQ(GetAppFormattedGuid(ctx, &text, 128, c.kept ? zero : sample), 1);
        EXPECT_EQ(text, c.guid);
        EXPECT_EQ(std::filesystem::exists(AppId()), c.kept);
    }
    std::string text;
    ASSERT_EQ(GetAppFormattedGuid(ctx, &text, 128, sample), 1);
    EXPECT_EQ(text, test::kGuid);
    EXPECT_TRUE(Logged("INFO No appid.xml file found : create a new one"));
    EXPECT_TRUE(presenter->messages.empty());
}

}  // namespace
}  // namespace kt::config
