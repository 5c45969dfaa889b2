// The connection check of a workstation that dials its connection, with the
// dial-up service playing its notifications on a thread of its own.
#include <gtest/gtest.h>

#include <functional>
#include <utility>

#include "connect_fixture.h"
#include "support/update_server.h"

namespace kt::test {
namespace {

using connect::ScriptedDialer;
using namespace std::chrono_literals;
using Handles = std::vector<connect::DialHandle>;
using Steps = std::vector<ScriptedDialer::Step>;

// A dial-up service that fails by throwing what is no exception.
struct ThrowingDialer : ScriptedDialer {
    using ScriptedDialer::ScriptedDialer;
    unsigned Dial(const connect::DialParams&, connect::DialNotification, connect::DialHandle&) override { throw 7; }
};

enum class Service { kScripted, kThrowing, kNone };

class DialupCheckTest : public CheckTest {
protected:
    DialupCheckTest() {
        SetUpdate("Modem", "1");
        SetUpdate("RASName", "Talvo");
    }
    // A check dialling the entry "Talvo" with a fresh service playing `set`'s script, the user answering from `answers`.
    int Dial(const std::function<void(ScriptedDialer::Script&)>& set, const std::string& answers, Service service = Service::kScripted) {
        ScriptedDialer::Script script;
        script.entries = {"Talvo"};
        set(script);
        dialer = service == Service::kScripted ? std::make_shared<ScriptedDialer>(script)
                 : service == Service::kNone   ? nullptr
                                               : std::make_shared<ThrowingDialer>(script);
        connection.reset();
        pauses.clear();
        UseScript(answers);
        return Check({ftp.Url()});
    }

    UpdateServer ftp{{.generate = false}};
};

// Kept until the download is over, then hung up if this check dialled it.
TEST_F(DialupCheckTest, AConnectionUpOrDialledIsKeptForTheDownload) {
    const std::vector<connect::RasConnection> alone{{0x77, "Talvo"}};
    const struct {
        const char* what;
        std::function<void(ScriptedDialer::Script&)> set;
        std::string answers;
        std::string dialled;  // entry, user and password; "": no dial
        connect::DialHandle handle;
        const char* shown;
    } rows[] = {
        {"the entry alone on the line", [&](auto& s) { s.active = alone, s.passwordSaved = false; }, "", "", 0,
         "dialog 144 end 1"},
        {"several connections up",
         [&](auto& s) { s.active = {alone[0], {0x78, "Autre"}}, s.savedPassword = "enregistré", s.steps = {{connect::kRasConnected, 0, 0ms}}; },
         "", "Talvo  enregistré", 0x4B54, "dialog 144 end 1"},
        {"another entry alone",
         [](auto& s) { s.active = {{0x78, "talvo"}}, s.savedPassword = "enregistré", s.steps = {{connect::kRasConnected, 0, 0ms}}; },
         "", "Talvo  enregistré", 0x4B54, "dialog 144 end 1"},
        // A typed password is dialled as typed, up to what the parameters hold.
        {"a typed password",
         [](auto& s) {
             s.passwordSaved = false, s.savedUser = "cabinet", s.savedPassword = "ignored";
             s.steps = {{connect::kRasPortOpened, 0, 0ms}, {connect::kRasConnectDevice, 0, 5ms}, {connect::kRasDeviceConnected, 0, 5ms},
                        {connect::kRasAuthenticate, 0, 5ms}, {connect::kRasAuthenticated, 0, 5ms}, {connect::kRasConnected, 0, 5ms}};
         },
         "dialog 135: text 1030 \"" + std::string(300, 'x') + "\"; click 1", "Talvo cabinet " + std::string(256, 'x'), 0x4B54,
         "dialog 144 text 1034=\"Connexion établie!\""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_EQ(Dial(row.set, row.answers), 1);
        EXPECT_TRUE(Shown(row.shown));
        ASSERT_EQ(dialer->Dials().size(), row.dialled.empty() ? 0u : 1u);
        for (const connect::DialParams& d : dialer->Dials()) EXPECT_EQ(d.entryName + " " + d.userName + " " + d.password, row.dialled);
        EXPECT_TRUE(pauses.empty());
        EXPECT_EQ(Connection().DialupHandle(), row.handle);
        EXPECT_TRUE(dialer->HangUps().empty());
        Connection().HangUpDialup();
        EXPECT_EQ(dialer->HangUps(), row.handle ? Handles{row.handle} : Handles{});
        EXPECT_EQ(Connection().DialupHandle(), 0u);
    }
}

// Whatever fails, the line is freed and given time to settle, and the check ends without the server.
TEST_F(DialupCheckTest, ACallThatDoesNotConnectIsHungUpAndEndsTheCheck) {
    const struct {
        const char* what;
        std::function<void(ScriptedDialer::Script&)> set;
        const char* answers;
        std::size_t dials;
        Handles hungUp;
        Strings shown;
        Service service = Service::kScripted;
        bool atStart = false;  // an unusable service is told in a box only then
        const char* logged = "";
    } rows[] = {
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
        {"parameters unreadable", [](auto& s) { s.paramsError = 624; }, "", 0, {}, {"dialog 144 end 2"}},
        {"parameters unreadable at start, an error without a text of its own", [](auto& s) { s.paramsError = 624; }, "", 0, {},
         {"message id=1080 caption=\"Talvo\" style=0x10 flag=1 text=\"Erreur dans le RAS.\" -> ok unscripted"}, Service::kScripted, true},
        {"no dial-up service at start", [](auto&) {}, "", 0, {},
         {"message id=- caption=\"Talvo\" style=0x10 flag=1 text=\"Aucune connexion d'accès à distance n'est disponible sur ce "
          "poste.\" -> ok unscripted"}, Service::kNone, true},
        {"service throwing at the dial", [](auto&) {}, "", 0, {}, {"dialog 144 end 2"}, Service::kThrowing, false,
         "ERROR Worker thread dial-up : stopped by an exception : unknown exception"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        ctx.bAtStart = row.atStart;
        EXPECT_EQ(Dial(row.set, row.answers, row.service), 0);
        if (row.service != Service::kNone) {
            EXPECT_EQ(dialer->Dials().size(), row.dials);
            EXPECT_EQ(dialer->HangUps(), row.hungUp);
        }
        EXPECT_EQ(Connection().DialupHandle(), 0u);
        EXPECT_EQ(pauses, std::vector{3000ms});
        EXPECT_EQ(Journal().back(), "MJ_MAIN_IIC_3 : Problème dans la connexion RAS !");
        for (const std::string& line : row.shown) EXPECT_TRUE(Shown(line)) << line;
        EXPECT_EQ(Messages().size(), row.atStart ? 1u : 0u);
        EXPECT_TRUE(!*row.logged || Logged(row.logged)) << row.logged;
    }
    EXPECT_EQ(CountLogged("ERROR Error during RAS connexion"), static_cast<long>(std::size(rows)));
    EXPECT_EQ(ftp.Log().find("FTP session opened"), std::string::npos);
}

}  // namespace
}  // namespace kt::test
