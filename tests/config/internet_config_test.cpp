// The connection settings handed to the download engine.
#include <gtest/gtest.h>

#include "config/internet_config.h"
#include "support/workstation.h"

namespace kt::config {
namespace {

class InternetConfigTest : public test::ConfiguredWorkstation {
protected:
    // The settings read as "mode address:port login/password speed".
    std::string Settings() {
        InternetConfig c;
        if (ReadInternetConfig(ctx, c) != 1) return "refused";
        return std::to_string(c.connectionMode) + " " + c.proxyAddress + ":" + std::to_string(c.proxyPort) + " " +
               c.proxyLogin + "/" + c.proxyPassword + " " + std::to_string(c.speedLimit);
    }
};

TEST_F(InternetConfigTest, ModeProxyAndLimitAreReadOrTheFailureJournalled) {
    const std::string proxy = "<Proxy Active=\"1\" Address=\"proxy.local\" Login=\"sec\" Pass=\"abcdefghijklmnopqrstuvwxyz0123\" ";
    const struct {
        std::string update;  // empty: the default configuration
        std::string settings;
        const char* journal = "MJ_DWL_RC : Lecture de la config reussi.";
    } cases[] = {
        {"", std::to_string(kConnectionSystem) + " :0 / 0.000000"},
        {"<Update Speed=\"12.5\"><Proxy UseIE=\"0\"/></Update>", std::to_string(kConnectionDirect) + " :0 / 12.500000"},
        // 25 characters of password.
        {"<Update Speed=\"0\">" + proxy + "Port=\"3128\"/></Update>",
         std::to_string(kConnectionProxy) + " proxy.local:3128 sec/abcdefghijklmnopqrstuvwxy 0.000000"},
        // A port out of range is no port, not another one.
        {"<Update Speed=\"0\">" + proxy + "Port=\"70000\"/></Update>",
         std::to_string(kConnectionProxy) + " proxy.local:0 sec/abcdefghijklmnopqrstuvwxy 0.000000"},
        // The proxy outside Update cannot be read; the speed only from the Update directly under Workstation.
        {"<Update Speed=\"0\"/><Proxy Active=\"1\" UseIE=\"0\"/>", "refused", "MJ_DWL_RC_1 : Lecture de la config echoué."},
        {"<Settings><Update Speed=\"5\"><Proxy Active=\"0\" UseIE=\"1\"/></Update></Settings>", "refused",
         "MJ_DWL_RC_7 : Lecture de la config echoué."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.update);
        if (!c.update.empty()) WriteAppId("<Workstation>" + c.update + "</Workstation>");
        EXPECT_EQ(Settings(), c.settings);
        ASSERT_GE(Journal().size(), 2u);
        EXPECT_EQ(Journal().end()[-2], "MJ_DWL_RC : Lecture de la config.");
        EXPECT_EQ(Journal().back(), c.journal);
    }
}

}  // namespace
}  // namespace kt::config
