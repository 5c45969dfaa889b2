// The connection check of a workstation that dials its connection.
#include <gtest/gtest.h>

#include "check_fixture.h"
#include "support/ftp_server.h"

namespace kt::test {
namespace {

using connect::ScriptedDialer;
using namespace std::chrono_literals;

class DialupCheckTest : public CheckTest {
protected:
    DialupCheckTest() {
        SetUpdate("Modem", "1");
        SetUpdate("RASName", "Talvo");
    }

    void UseDialer(ScriptedDialer::Script script) {
        if (script.entries.empty()) script.entries = {"Talvo"};
        dialer = std::make_shared<ScriptedDialer>(std::move(script));
    }
    static std::vector<ScriptedDialer::Step> CallThatConnects() {
        return {{connect::kRasPortOpened, 0, 0ms},      {connect::kRasConnectDevice, 0, 5ms},
                {connect::kRasDeviceConnected, 0, 5ms}, {connect::kRasAuthenticate, 0, 5ms},
                {connect::kRasAuthenticated, 0, 5ms},   {connect::kRasConnected, 0, 5ms}};
    }
    bool DialogShown(int dialog) const {
        for (const std::string& line : Transcript()) {
            if (line.rfind("dialog " + std::to_string(dialog) + " ", 0) == 0) return true;
        }
        return false;
    }

    FtpServer ftp;
};

TEST_F(DialupCheckTest, AnEmptyEntryNameShowsNoDialog) {
    SetUpdate("RASName", "");
    EXPECT_EQ(Check({ftp.Url()}), 0);
    EXPECT_TRUE(Logged("INFO Connexion with a modem"));
    EXPECT_TRUE(Logged("ERROR Invalid RAS"));
    EXPECT_EQ(Journal(), (std::vector<std::string>{"MJ_MAIN_IIC : Démarrage IIC.",
                                                   "MJ_MAIN_IIC : Connexion avec un modem.",
                                                   "MJ_MAIN_IIC_2 : Nom de la connexion RAS invalide !"}));
    EXPECT_FALSE(DialogShown(144));
    EXPECT_TRUE(dialer->Dials().empty());
}

TEST_F(DialupCheckTest, AnEntryAlreadyConnectedIsUsedAsItIs) {
    ScriptedDialer::Script script;
    script.active = {{0x77, "Talvo"}};
    script.passwordSaved = false;
    UseDialer(script);
    EXPECT_EQ(Check({ftp.Url()}), 1);
    // Not this check's connection: nothing to hang up after the download.
    EXPECT_EQ(Connection().DialupHandle(), 0u);
    EXPECT_TRUE(Shown("dialog 144 open caption=\"Connexion\""));
    EXPECT_TRUE(Shown("dialog 144 end 1"));
    EXPECT_FALSE(DialogShown(135));
    EXPECT_TRUE(dialer->Dials().empty());
    Connection().HangUpDialup();
    EXPECT_TRUE(dialer->HangUps().empty());
}

TEST_F(DialupCheckTest, ARefusedPasswordDialsNothing) {
    ScriptedDialer::Script script;
    script.passwordSaved = false;
    UseDialer(script);
    UseScript("dialog 135: click 2");
    EXPECT_EQ(Check({ftp.Url()}), 0);
    EXPECT_TRUE(Shown("dialog 135 end 2"));
    EXPECT_TRUE(Shown("dialog 144 end 2"));
    EXPECT_TRUE(dialer->Dials().empty());
    EXPECT_TRUE(Logged("ERROR Error during RAS connexion"));
    EXPECT_EQ(Journal().back(), "MJ_MAIN_IIC_3 : Problème dans la connexion RAS !");
    EXPECT_EQ(pauses, (std::vector<std::chrono::milliseconds>{3000ms}));
}

TEST_F(DialupCheckTest, ACallThatConnectsIsKeptForTheDownload) {
    ScriptedDialer::Script script;
    script.passwordSaved = false;
    script.savedUser = "cabinet";
    script.steps = CallThatConnects();
    UseDialer(script);
    UseScript("dialog 135: text 1030 \"secret\"; click 1");
    std::string found;
    EXPECT_EQ(Check({ftp.Url()}, &found), 1);
    EXPECT_EQ(found, ftp.Url());
    EXPECT_TRUE(Shown("dialog 144 text 1034=\"Connexion établie!\""));
    EXPECT_TRUE(Shown("dialog 144 end 1"));
    ASSERT_EQ(dialer->Dials().size(), 1u);
    EXPECT_EQ(dialer->Dials()[0].entryName, "Talvo");
    EXPECT_EQ(dialer->Dials()[0].userName, "cabinet");
    EXPECT_EQ(dialer->Dials()[0].password, "secret");
    EXPECT_EQ(Connection().DialupHandle(), 0x4B54u);
    EXPECT_TRUE(dialer->HangUps().empty());
    EXPECT_TRUE(pauses.empty());

    Connection().HangUpDialup();
    EXPECT_EQ(dialer->HangUps(), (std::vector<connect::DialHandle>{0x4B54}));
    EXPECT_EQ(Connection().DialupHandle(), 0u);
}

TEST_F(DialupCheckTest, TheUserCancellingHangsUpTheCall) {
    ScriptedDialer::Script script;
    script.steps = {{connect::kRasPortOpened, 0, 0ms}, {connect::kRasConnected, 0, 20s}};
    UseDialer(script);
    UseScript("dialog 144: sleep 300; click 2");
    EXPECT_EQ(Check({ftp.Url()}), 0);
    EXPECT_TRUE(Shown("dialog 144 end 2"));
    EXPECT_EQ(dialer->HangUps(), (std::vector<connect::DialHandle>{0x4B54}));
    EXPECT_EQ(Connection().DialupHandle(), 0u);
    EXPECT_EQ(pauses, (std::vector<std::chrono::milliseconds>{3000ms}));
    EXPECT_EQ(Journal().back(), "MJ_MAIN_IIC_3 : Problème dans la connexion RAS !");
    EXPECT_EQ(ftp.Log().find("FTP session opened"), std::string::npos);
}

}  // namespace
}  // namespace kt::test
