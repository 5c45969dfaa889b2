// The connection settings handed to the download engine.
#include <gtest/gtest.h>

#include "config/internet_config.h"
#include "config_fixture.h"

namespace kt::config {
namespace {

class InternetConfigTest : public test::ConfiguredTest {
protected:
    bool Journalled(const std::string& message) const {
        return test::ReadFile(ctx.appDir + "mjlog.log").find(" - " + message + "\r\n") != std::string::npos;
    }
    // The settings read as "mode address:port login/password speed".
    std::string Settings() {
        InternetConfig c;
        if (ReadInternetConfig(ctx, c) != 1) return "refused";
        return std::to_string(c.connectionMode) + " " + c.proxyAddress + ":" + std::to_string(c.proxyPort) + " " +
               c.proxyLogin + "/" + c.proxyPassword + " " + std::to_string(c.speedLimit);
    }
};

TEST_F(InternetConfigTest, ModeProxyAndLimitAreRead) {
    EXPECT_EQ(Settings(), std::to_string(kConnectionSystem) + " :0 / 0.000000") << "the default configuration";
    EXPECT_TRUE(Journalled("MJ_DWL_RC : Lecture de la config."));
    EXPECT_TRUE(Journalled("MJ_DWL_RC : Lecture de la config reussi."));

    const std::string proxy = "Address=\"proxy.cabinet.local\" Login=\"secretariat\" Pass=\"abcdefghijklmnopqrstuvwxyz0123\"";
    const struct {
        std::string update;
        std::string settings;
    } cases[] = {
        {"<Update Speed=\"12.5\"><Proxy UseIE=\"0\"/></Update>", std::to_string(kConnectionDirect) + " :0 / 12.500000"},
        {"<Update Speed=\"0\"><Proxy Active=\"1\" Port=\"3128\" " + proxy + "/></Update>",  // 25 characters of password
         std::to_string(kConnectionProxy) + " proxy.cabinet.local:3128 secretariat/abcdefghijklmnopqrstuvwxy 0.000000"},
        {"<Update Speed=\"0\"><Proxy Active=\"1\" Port=\"70000\" " + proxy + "/></Update>",  // no port, not another one
         std::to_string(kConnectionProxy) + " proxy.cabinet.local:0 secretariat/abcdefghijklmnopqrstuvwxy 0.000000"},
    };
    for (const auto& c : cases) {
        WriteAppId("<Workstation>" + c.update + "</Workstation>");
        EXPECT_EQ(Settings(), c.settings) << c.update;
    }
}

TEST_F(InternetConfigTest, UnreadableSettingsAreJournalledAndRefused) {
    // The proxy element outside Update cannot be read; the speed only from
    // the Update element directly under Workstation.
    for (const auto& [content, code] :
         {std::pair{"<Workstation><Update Speed=\"0\"/><Proxy Active=\"1\" UseIE=\"0\"/></Workstation>", "MJ_DWL_RC_1"},
          {"<Workstation><Settings><Update Speed=\"5\"><Proxy Active=\"0\" UseIE=\"1\"/></Update></Settings>"
           "</Workstation>",
           "MJ_DWL_RC_7"}}) {
        WriteAppId(content);
        EXPECT_EQ(Settings(), "refused") << code;
        EXPECT_TRUE(Journalled(std::string(code) + " : Lecture de la config echoué."));
    }
    EXPECT_FALSE(Journalled("MJ_DWL_RC : Lecture de la config reussi."));
}

}  // namespace
}  // namespace kt::config
