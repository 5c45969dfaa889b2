// The connection check of a workstation that dials its connection, with the
// dial-up service playing its notifications on a thread of its own.
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <utility>

#include "connect_fixture.h"
#include "support/update_server.h"

namespace kt::test {
namespace {

using connect::ScriptedDialer;
using namespace std::chrono_literals;
using Handles = std::vector<connect::DialHandle>;
using Pauses = std::vector<std::chrono::milliseconds>;

class DialupCheckTest : public CheckTest {
protected:
    DialupCheckTest() {
        SetUpdate("Modem", "1");
        SetUpdate("RASName", "Talvo");
        script.entries = {"Talvo"};
    }
    // A check dialling with a fresh dialer of `script`, the user answering from `answers`.
    int Dial(const std::string& answers) {
        dialer = std::make_shared<ScriptedDialer>(script);
        connection.reset();
        UseScript(answers);
        return Check({ftp.Url()});
    }

    ScriptedDialer::Script script;
    UpdateServer ftp{{.generate = false}};
};

TEST_F(DialupCheckTest, AnEmptyEntryNameShowsNoDialog) {
    SetUpdate("RASName", "");
    EXPECT_EQ(Dial(""), 0);
    EXPECT_TRUE(Logged("INFO Connexion with a modem"));
    EXPECT_TRUE(Logged("ERROR Invalid RAS"));
    EXPECT_EQ(Journal(), (Strings{"MJ_MAIN_IIC : Démarrage IIC.", "MJ_MAIN_IIC : Connexion avec un modem.",
                                  "MJ_MAIN_IIC_2 : Nom de la connexion RAS invalide !"}));
    EXPECT_TRUE(Transcript().empty());
    EXPECT_TRUE(dialer->Dials().empty());
}

TEST_F(DialupCheckTest, AnEntryAloneOnTheLineIsUsedAsItIs) {
    script.active = {{0x77, "Talvo"}};
    script.passwordSaved = false;
    EXPECT_EQ(Dial(""), 1);
    EXPECT_EQ(Transcript(), (Strings{"dialog 144 open caption=\"Connexion\"", "dialog 144 end 1"}));
    EXPECT_TRUE(dialer->Dials().empty());
    // Not this check's connection: nothing to hang up after the download.
    EXPECT_EQ(Connection().DialupHandle(), 0u);
    Connection().HangUpDialup();
    EXPECT_TRUE(dialer->HangUps().empty());

    // With several connections up, or another entry alone, the entry is dialled.
    script.passwordSaved = true;
    script.steps = {{connect::kRasConnected, 0, 0ms}};
    for (auto active : {std::vector<connect::RasConnection>{{0x77, "Talvo"}, {0x78, "Autre"}}, {{0x78, "talvo"}}}) {
        script.active = active;
        EXPECT_EQ(Dial(""), 1);
        EXPECT_EQ(dialer->Dials().size(), 1u);
        EXPECT_EQ(Connection().DialupHandle(), 0x4B54u);
    }
}

TEST_F(DialupCheckTest, ACallThatConnectsIsKeptForTheDownload) {
    script.passwordSaved = false;
    script.savedUser = "cabinet";
    script.steps = {{connect::kRasPortOpened, 0, 0ms}, {connect::kRasConnectDevice, 0, 5ms},
                    {connect::kRasDeviceConnected, 0, 5ms}, {connect::kRasAuthenticate, 0, 5ms},
                    {connect::kRasAuthenticated, 0, 5ms}, {connect::kRasConnected, 0, 5ms}};
    EXPECT_EQ(Dial("dialog 135: text 1030 \"secret\"; click 1"), 1);
    EXPECT_TRUE(Shown("dialog 144 text 1034=\"Connexion établie!\""));
    ASSERT_EQ(dialer->Dials().size(), 1u);
    EXPECT_EQ(dialer->Dials()[0].entryName, "Talvo");
    EXPECT_EQ(dialer->Dials()[0].userName, "cabinet");
    EXPECT_EQ(dialer->Dials()[0].password, "secret");
    EXPECT_TRUE(pauses.empty());

    EXPECT_EQ(Connection().DialupHandle(), 0x4B54u);
    EXPECT_TRUE(dialer->HangUps().empty());
    Connection().HangUpDialup();
    EXPECT_EQ(dialer->HangUps(), Handles{0x4B54});
    EXPECT_EQ(Connection().DialupHandle(), 0u);
}

TEST_F(DialupCheckTest, ATypedPasswordIsDialledAsTypedUpToWhatTheParametersHold) {
    script.passwordSaved = false;
    script.savedPassword = "ignored";
    script.steps = {{connect::kRasConnected, 0, 0ms}};
    EXPECT_EQ(Dial("dialog 135: text 1030 \"" + std::string(300, 'x') + "\"; click 1"), 1);
    ASSERT_EQ(dialer->Dials().size(), 1u);
    EXPECT_EQ(dialer->Dials()[0].password, std::string(256, 'x'));

    script.passwordSaved = true;
    script.savedPassword = "enregistré";
    EXPECT_EQ(Dial(""), 1);
    ASSERT_EQ(dialer->Dials().size(), 1u);
    EXPECT_EQ(dialer->Dials()[0].password, "enregistré");
}

TEST_F(DialupCheckTest, ACallThatDoesNotConnectIsHungUpAndEndsTheCheck) {
    using Steps = std::vector<ScriptedDialer::Step>;
    const struct {
        const char* what;
        std::function<void(ScriptedDialer::Script&)> set;
        const char* answers;
        std::size_t dials;
        Handles hungUp;
        Strings shown;
    } cases[] = {
        {"password refused", [](auto& s) { s.passwordSaved = false; }, "dialog 135: click 2", 0, {}, {"dialog 135 end 2"}},
        {"user cancelling", [](auto& s) { s.steps = Steps{{connect::kRasPortOpened, 0, 0ms}, {connect::kRasConnected, 0, 20s}}; },
         "dialog 144: sleep 300; click 2", 1, {0x4B54}, {"dialog 144 end 2"}},
        {"dial failing at once", [](auto& s) { s.dialError = 633; }, "", 1, {0x4B54}, {}},
        // Without a connection the dialog waits for the user.
        {"dial failing at once, no connection", [](auto& s) { s.dialError = 633, s.dialHandle = 0; },
         "dialog 144: sleep 200; click 2", 1, {}, {"dialog 144 do click 2"}},
        {"line dropped", [](auto& s) { s.steps = Steps{{connect::kRasConnectDevice, 0, 0ms}, {connect::kRasDisconnected, 0, 0ms}}; },
         "", 1, {0x4B54}, {"dialog 144 text 1034=\"Déconnecté.\""}},
        // An error stays on screen until the user gives up.
        {"error", [](auto& s) { s.steps = Steps{{connect::kRasDeviceConnected, 691, 0ms}, {12, 0, 0ms}}; },
         "dialog 144: sleep 300; click 2", 1, {0x4B54}, {"dialog 144 text 1034=\"Erreur de connexion.\"", "dialog 144 do click 2"}},
    };
    for (const auto& each : cases) {
        SCOPED_TRACE(each.what);
        script = {};
        script.entries = {"Talvo"};
        each.set(script);
        pauses.clear();
        EXPECT_EQ(Dial(each.answers), 0);
        EXPECT_EQ(dialer->Dials().size(), each.dials);
        EXPECT_EQ(dialer->HangUps(), each.hungUp);
        EXPECT_EQ(Connection().DialupHandle(), 0u);
        EXPECT_EQ(pauses, Pauses{3000ms});
        EXPECT_EQ(Journal().back(), "MJ_MAIN_IIC_3 : Problème dans la connexion RAS !");
        for (const std::string& line : each.shown) EXPECT_TRUE(Shown(line)) << line;
    }
    EXPECT_EQ(Count(Log(), "ERROR Error during RAS connexion"), 6);
    EXPECT_EQ(ftp.Log().find("FTP session opened"), std::string::npos);
}

TEST_F(DialupCheckTest, UnreadableDialParametersAreShownOnlyAtStart) {
    ctx.bAtStart = 1;
    // The workstation's own dialer has no dial-up at all: its own text.
    connection = std::make_unique<connect::InternetConnection>(
        ctx, connect::ConnectionServices{nullptr, firewall, nullptr, [](std::chrono::milliseconds) {}});
    EXPECT_EQ(Check({ftp.Url()}), 0);
    EXPECT_EQ(Connection().DialupHandle(), 0u);
    EXPECT_TRUE(Shown("message id=- caption=\"Talvo\" style=0x10 flag=1 "
                      "text=\"Aucune connexion d'accès à distance n'est disponible sur ce poste.\" -> ok unscripted"));
    // An error without a text of its own.
    script.paramsError = 624;
    EXPECT_EQ(Dial(""), 0);
    EXPECT_TRUE(Shown("message id=1080 caption=\"Talvo\" style=0x10 flag=1 text=\"Erreur dans le RAS.\" -> ok unscripted"));

    ctx.bAtStart = 0;
    EXPECT_EQ(Dial(""), 0);
    EXPECT_EQ(Transcript(), (Strings{"dialog 144 open caption=\"Connexion\"", "dialog 144 end 2"}));
    EXPECT_TRUE(dialer->Dials().empty());
}

// A dial-up service that fails by throwing, at the start or at the dial.
class ThrowingDialer : public ScriptedDialer {
public:
    ThrowingDialer(Script script, bool atDial) : ScriptedDialer(std::move(script)), atDial_(atDial) {}
    unsigned GetEntryDialParams(const std::string& entry, connect::DialParams& params, bool& saved) override {
        if (!atDial_) throw std::runtime_error("phone book unreadable");
        return ScriptedDialer::GetEntryDialParams(entry, params, saved);
    }
    unsigned Dial(const connect::DialParams&, connect::DialNotification, connect::DialHandle&) override { throw 7; }

private:
    const bool atDial_;
};

TEST_F(DialupCheckTest, ADialerThatThrowsEndsTheDialogAsAFailedDial) {
    for (const auto& [atDial, logged] : {std::pair{false, "phone book unreadable"}, std::pair{true, "unknown exception"}}) {
        SCOPED_TRACE(logged);
        dialer = std::make_shared<ThrowingDialer>(script, atDial);
        connection.reset();
        UseScript("");
        EXPECT_EQ(Check({ftp.Url()}), 0);
        EXPECT_EQ(Transcript(), (Strings{"dialog 144 open caption=\"Connexion\"", "dialog 144 end 2"}));
        EXPECT_TRUE(Logged(std::string("ERROR Worker thread dial-up : stopped by an exception : ") + logged));
        EXPECT_EQ(Journal().back(), "MJ_MAIN_IIC_3 : Problème dans la connexion RAS !");
    }
    EXPECT_EQ(Count(Log(), "ERROR Error during RAS connexion"), 2);
}

}  // namespace
}  // namespace kt::test
