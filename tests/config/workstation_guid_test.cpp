// New GUIDs, their text form, and the GUID kept in appid.xml.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <set>
#include <vector>

#include "config/app_guid.h"
#include "config/default_config.h"
#include "config/workstation_guid.h"
#include "config_fixture.h"
#include "dialogs/string_table.h"
#include "hostsuite/presenter.h"

namespace kt::config {
namespace {

class RecordingPresenter : public hostsuite::Presenter {
public:
    int ShowMessage(const hostsuite::MessageRequest& request) override {
        messages.push_back(request);
        return hostsuite::kIdOk;
    }
    int ShowButtons(const hostsuite::ButtonsRequest&) override { return hostsuite::kIdButton2; }
    std::optional<hostsuite::Credentials> AskCredentials(const std::string&) override { return std::nullopt; }
    int RunDialog(hostsuite::DialogModel&) override { return hostsuite::kIdCancel; }

    std::vector<hostsuite::MessageRequest> messages;
};

Guid Sample() { return Guid{0x1A2B3C4D, 0x5E6F, 0x7A8B, {0x9C, 0x0D, 0x1E, 0x2F, 0x3A, 0x4B, 0x5C, 0x6D}}; }

class GuidTest : public test::ConfigTest {
protected:
    GuidTest() : presenter(std::make_shared<RecordingPresenter>()) { hostsuite::InstallPresenter(presenter); }

    std::shared_ptr<RecordingPresenter> presenter;
    const GuidSource zero = [] { return Guid{}; };
    const GuidSource sample = [] { return Sample(); };
};

TEST_F(GuidTest, TextFormHasALowerCaseThirdField) {
    EXPECT_EQ(FormatGuid(Sample()), "{1A2B3C4D-5E6F-7a8b-9C0D-1E2F3A4B5C6D}");
    EXPECT_EQ(FormatGuid(Guid{0xABC, 0xD, 0xEF, {0, 1, 2, 3, 4, 5, 6, 0xFF}}), "{00000ABC-000D-00ef-0001-0203040506FF}");
    EXPECT_EQ(dialogs::LoadString(1001), "{%08lX-%04X-%04x-%02X%02X-%02X%02X%02X%02X%02X%02X}")
        << "the string table and the formatting must agree";
}

TEST_F(GuidTest, NewGuidsAreRandomVersionFourGuids) {
    std::set<std::string> seen;
    for (int i = 0; i < 50; ++i) {
        std::string text;
        ASSERT_EQ(GetFormattedGuid(ctx, &text, 128), 1);
        ASSERT_EQ(text.size(), 38u);
        EXPECT_EQ(text[15], '4') << text;
        EXPECT_NE(std::string("89AB").find(text[20]), std::string::npos) << text;
        seen.insert(text);
    }
    EXPECT_EQ(seen.size(), 50u);
    EXPECT_TRUE(presenter->messages.empty());
}

TEST_F(GuidTest, NewGuidIsLoggedAndCut) {
    std::string text;
    ASSERT_EQ(GetFormattedGuid(ctx, &text, 10, sample), 1);
    EXPECT_EQ(text, "{1A2B3C4D-");
    EXPECT_TRUE(log.Has("INFO New GUID generated : {1A2B3C4D-5E6F-7a8b-9C0D-1E2F3A4B5C6D}"));
}

TEST_F(GuidTest, AllZeroGuidIsAFailureShownToTheUser) {
    std::string text = "unchanged";
    EXPECT_EQ(GetFormattedGuid(ctx, &text, 128, zero), 0);
    EXPECT_EQ(text, "unchanged");
    ASSERT_EQ(presenter->messages.size(), 1u);
    const hostsuite::MessageRequest& shown = presenter->messages[0];
    EXPECT_EQ(shown.stringId, 1000);
    EXPECT_EQ(shown.text, "Impossible de créer le GUID. Mise à jour terminée.");
    EXPECT_EQ(shown.caption, "Talvo");
    EXPECT_EQ(shown.style, 0x10u);
    EXPECT_TRUE(log.Has("ERROR Can't generate new GUID"));
}

TEST_F(GuidTest, WorkstationGuidComesFromAppId) {
    ASSERT_EQ(CreateDefaultConfig(ctx, kGuid, test::LocalTime(31, 3, 2026)), 1);
    std::string text;
    ASSERT_EQ(GetAppFormattedGuid(ctx, &text, 128, zero), 1);
    EXPECT_EQ(text, kGuid);

    WriteAppId("<Workstation Version=\"1\"/>");
    ASSERT_EQ(GetAppFormattedGuid(ctx, &text, 128, zero), 1);
    EXPECT_EQ(text, "") << "a Workstation without GUID gives an empty one";
    EXPECT_TRUE(presenter->messages.empty());
}

TEST_F(GuidTest, WithoutAppIdANewGuidIsMade) {
    std::string text;
    ASSERT_EQ(GetAppFormattedGuid(ctx, &text, 128, sample), 1);
    EXPECT_EQ(text, FormatGuid(Sample()));
    EXPECT_TRUE(log.Has("INFO No appid.xml file found : create a new one"));
    EXPECT_FALSE(std::filesystem::exists(AppId())) << "creating appid.xml is the caller's job";

    EXPECT_EQ(GetAppFormattedGuid(ctx, &text, 128, zero), 0);
    EXPECT_EQ(presenter->messages.size(), 1u);
}

TEST_F(GuidTest, UnusableAppIdIsDeletedAndReplacedByANewGuid) {
    for (const char* content : {"<Settings><Version>5.2.0</Version></Settings>", "<Workstation GUID=\"{trunc", ""}) {
        WriteAppId(content);
        std::string text;
        ASSERT_EQ(GetAppFormattedGuid(ctx, &text, 128, sample), 1) << content;
        EXPECT_EQ(text, FormatGuid(Sample()));
        EXPECT_FALSE(std::filesystem::exists(AppId())) << content;
    }
}

}  // namespace
}  // namespace kt::config
