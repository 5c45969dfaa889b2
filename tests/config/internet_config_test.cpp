// The connection settings handed to the download engine.
#include <gtest/gtest.h>

#include "config/default_config.h"
#include "config/internet_config.h"
#include "config/node_data.h"
#include "config_fixture.h"

namespace kt::config {
namespace {

class InternetConfigTest : public test::ConfigTest {
protected:
    void SetUp() override { ASSERT_EQ(CreateDefaultConfig(ctx, kGuid, test::LocalTime(31, 3, 2026)), 1); }

    void SetProxy(const char* attribute, const char* value) {
        ASSERT_EQ(SetNodeData(AppId(), "Update", "Proxy", nullptr, attribute, value), 1);
    }

    std::string Journal() const { return test::ReadFile(ctx.appDir + "mjlog.log"); }

    bool Journalled(const std::string& message) const {
        return Journal().find(" - " + message + "\r\n") != std::string::npos;
    }
};

TEST_F(InternetConfigTest, DefaultsUseTheSystemSettingsWithoutLimit) {
    InternetConfig config;
    ASSERT_EQ(ReadInternetConfig(ctx, nullptr, config), 1);
    EXPECT_EQ(config.connectionMode, kConnectionSystem);
    EXPECT_EQ(config.speedLimit, 0.0);
    EXPECT_TRUE(Journalled("MJ_DWL_RC : Lecture de la config."));
    EXPECT_TRUE(Journalled("MJ_DWL_RC : Lecture de la config reussi."));

    SetProxy("UseIE", "0");
    ASSERT_EQ(SetNodeData(AppId(), "Workstation", "Update", nullptr, "Speed", "12.5"), 1);
    ASSERT_EQ(ReadInternetConfig(ctx, nullptr, config), 1);
    EXPECT_EQ(config.connectionMode, kConnectionDirect);
    EXPECT_DOUBLE_EQ(config.speedLimit, 12.5);
}

TEST_F(InternetConfigTest, NamedProxyIsReadWithItsLimits) {
    SetProxy("Active", "1");
    SetProxy("Address", "proxy.cabinet.local");
    SetProxy("Port", "3128");
    SetProxy("Login", "secretariat");
    SetProxy("Pass", "abcdefghijklmnopqrstuvwxyz0123");
    InternetConfig config;
    ASSERT_EQ(ReadInternetConfig(ctx, nullptr, config), 1);
    EXPECT_EQ(config.connectionMode, kConnectionProxy);
    EXPECT_EQ(config.proxyAddress, "proxy.cabinet.local");
    EXPECT_EQ(config.proxyPort, 3128);
    EXPECT_EQ(config.proxyLogin, "secretariat");
    EXPECT_EQ(config.proxyPassword, "abcdefghijklmnopqrstuvwxy") << "25 characters are read";

    SetProxy("Port", "70000");
    ASSERT_EQ(ReadInternetConfig(ctx, nullptr, config), 1);
    EXPECT_EQ(config.proxyPort, 0) << "a port that does not fit is no port, not another one";
}

TEST_F(InternetConfigTest, UnreadableSettingsAreJournalledAndRefused) {
    InternetConfig config;
    // The proxy element outside Update cannot be read.
    WriteAppId("<Workstation><Update Speed=\"0\"/><Proxy Active=\"1\" UseIE=\"0\"/></Workstation>");
    EXPECT_EQ(ReadInternetConfig(ctx, nullptr, config), 0);
    EXPECT_TRUE(Journalled("MJ_DWL_RC_1 : Lecture de la config echoué."));
    EXPECT_FALSE(Journalled("MJ_DWL_RC : Lecture de la config reussi."));

    // The speed is read from the Update element directly under Workstation.
    WriteAppId("<Workstation><Settings><Update Speed=\"5\"><Proxy Active=\"0\" UseIE=\"1\"/></Update></Settings>"
               "</Workstation>");
    EXPECT_EQ(ReadInternetConfig(ctx, nullptr, config), 0);
    EXPECT_TRUE(Journalled("MJ_DWL_RC_7 : Lecture de la config echoué."));
    EXPECT_FALSE(Journalled("MJ_DWL_RC : Lecture de la config reussi."));
}

}  // namespace
}  // namespace kt::config
