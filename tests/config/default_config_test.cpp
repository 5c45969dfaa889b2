// The default configuration of a new workstation and its published state.
#include <gtest/gtest.h>

#include "config/default_config.h"
#include "config/node_data.h"
#include "config_fixture.h"

namespace kt::config {
namespace {

using test::LocalTime;
using test::ReadFile;

std::string Golden(const std::string& name) { return ReadFile(std::string(KT_CONFIG_GOLDEN_DIR) + "/" + name); }

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from);
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

class DefaultConfigTest : public test::ConfigTest {};

TEST_F(DefaultConfigTest, WritesTheDefaultTreeByteForByte) {
    ASSERT_EQ(CreateDefaultConfig(ctx, kGuid, LocalTime(31, 3, 2026, 10, 15)), 1);
    const std::string golden = Golden("appid_default.xml");
    ASSERT_FALSE(golden.empty());
    EXPECT_EQ(ReadFile(AppId()), Replace(golden, "@APP_DIR@", ctx.appDir));
    EXPECT_EQ(ReadFile(UpdateFile(std::string(kGuid) + ".xml")), Golden("guid_default.xml"));
    EXPECT_TRUE(log.Has("INFO Create default config in appid.xml"));
    EXPECT_TRUE(log.Has("INFO Update GUID.xml with appid.xml info"));
}

TEST_F(DefaultConfigTest, LastUpdateIsOneMonthBack) {
    ASSERT_EQ(CreateDefaultConfig(ctx, kGuid, LocalTime(15, 1, 2027)), 1);
    std::string date;
    GetNodeData(AppId(), "Workstation", "LastUpdate", &date, 12, nullptr, nullptr, 0);
    EXPECT_EQ(date, "15.12.2026");
    GetNodeData(UpdateFile(std::string(kGuid) + ".xml"), "Workstation", "LastUpdate", &date, 12, nullptr, nullptr, 0);
    EXPECT_EQ(date, "15.12.2026");

    const CalendarDate back = OneMonthBack(LocalTime(1, 2, 2027));
    EXPECT_EQ(DateText(back), "1.1.2027");
}

TEST_F(DefaultConfigTest, ReplacesAnExistingFileWhole) {
    WriteAppId("<Workstation GUID=\"{old}\"><History><Item>5.1.0</Item></History></Workstation>");
    ASSERT_EQ(CreateDefaultConfig(ctx, kGuid, LocalTime(31, 3, 2026)), 1);
    std::string text;
    EXPECT_EQ(GetNodeData(AppId(), nullptr, "History", &text, 10, nullptr, nullptr, 0), 0);
    EXPECT_EQ(ReadFile(AppId()), Replace(Golden("appid_default.xml"), "@APP_DIR@", ctx.appDir));
}

}  // namespace
}  // namespace kt::config
