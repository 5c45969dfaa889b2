// The connection check of a workstation that dials its connection.
#include <functional>

#include "connect_fixture.h"
#include "support/update_server.h"

namespace kt::test {
namespace {

using connect::ScriptedDialer;
using namespace std::chrono_literals;
using Handles = std::vector<connect::DialHandle>;
using Steps = std::vector<ScriptedDialer::Step>;
using SetScript = std::function<void(ScriptedDialer::Script&)>;

// A dial-up service that fails by throwing what is no exception.
struct ThrowingDialer : ScriptedDialer {
    using ScriptedDialer::ScriptedDialer;
    unsigned Dial(const connect::DialParams&, connect::DialNotification, connect::DialHandle&) override { throw 7; }
};

enum class Service { kScripted, kThrowing, kNone };

class DialupCheckTest : public CheckTest {
protected:
    DialupCheckTest() { SetUpdate("Modem", "1"), SetUpdate("RASName", "Talvo"); }
    // A check dialling "Talvo" with a fresh service playing `set`'s script, the user answering from `answers`.
    int Dial(const SetScript& set, const std::string& answers, Service service = Service::kScripted) {
        ScriptedDialer::Script script;
        script.entries = {"Talvo"};
        set(script);
        dialer = service == Service::kScripted ? std::make_shared<ScriptedDialer>(script)
                 : service == Service::kThrowing ? std::make_shared<ThrowingDialer>(script) : nullptr;
        connection.reset();
        pauses.clear();
        UseScript(answers);
        return Check({ftp.Url()});
    }

    UpdateServer ftp{{.generate = false}};
};

// Whatever fails, the line is freed and given time to settle, and the check ends without the server.
TEST_F(DialupCheckTest, ACallThatDoesNotConnectIsHungUpAndEndsTheCheck) {
    const struct {
        const char* what;
        SetScript set;
        const char* answers;
        std::size_t dials;
        Handles hungUp;
        const char* shown;
        Service service = Service::kScripted;
        bool atStart = false;  // an unusable service is told in a box only then
    } rows[] = {
        {"password refused", [](auto& s) { s.passwordSaved = false; }, "dialog 135: click 2", 0, {}, "dialog 135 end 2"},
        {"user cancelling", [](auto& s) { s.steps = Steps{{connect::kRasPortOpened, 0, 0ms}, {connect::kRasConnected, 0, 20s}}; },
         "dialog 144: sleep 300; click 2", 1, {0x4B54}, "dialog 144 end 2"},
        // Without a connection the dialog waits for the user.
        {"dial failing, no connection", [](auto& s) { s.dialError = 633, s.dialHandle = 0; }, "dialog 144: sleep 200; click 2", 1, {},
         "dialog 144 do click 2"},
        {"line dropped", [](auto& s) { s.steps = Steps{{connect::kRasConnectDevice, 0, 0ms}, {connect::kRasDisconnected, 0, 0ms}}; },
         "", 1, {0x4B54}, "dialog 144 text 1034=\"Déconnecté.\""},
        // An error stays on screen until the user gives up.
        {"error", [](auto& s) { s.steps = Steps{{connect::kRasDeviceConnected, 691, 0ms}, {12, 0, 0ms}}; },
         "dialog 144: sleep 300; click 2", 1, {0x4B54}, "dialog 144 text 1034=\"Erreur de connexion.\""},
        {"parameters unreadable", [](auto& s) { s.paramsError = 624; }, "", 0, {}, "dialog 144 end 2"},
        {"parameters unreadable at start", [](auto& s) { s.paramsError = 624; }, "", 0, {},
         "message id=1080 caption=\"Talvo\" style=0x10 flag=1 text=\"Erreur dans le RAS.\" -> ok unscripted", Service::kScripted, true},
        {"the workstation's own service at start", [](auto&) {}, "", 0, {},
         "message id=- caption=\"Talvo\" style=0x10 flag=1 text=\"Aucune connexion d'accès à distance n'est disponible sur ce "
         "poste.\" -> ok unscripted", Service::kNone, true},
        {"service throwing", [](auto&) {}, "", 0, {}, "dialog 144 end 2", Service::kThrowing},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        ctx.bAtStart = row.atStart;
        EXPECT_EQ(Dial(row.set, row.answers, row.service), 0);
        EXPECT_TRUE(!dialer || std::pair(dialer->Dials().size(), dialer->HangUps()) == std::pair(row.dials, row.hungUp));
        EXPECT_EQ(std::pair(Connection().DialupHandle(), pauses), std::pair(connect::DialHandle{0}, std::vector{3000ms}));
        EXPECT_EQ(Journal().back(), "MJ_MAIN_IIC_3 : Problème dans la connexion RAS !");
        EXPECT_TRUE(Shown(row.shown));
        EXPECT_EQ(Messages().size(), row.atStart ? 1u : 0u);
    }
    EXPECT_TRUE(Logged("ERROR Worker thread dial-up : stopped by an exception : unknown exception"));
    EXPECT_EQ(ftp.Log().find("FTP session opened"), std::string::npos);
}

// A call already up for the entry is used as it is: nothing dialled, nothing hung up. A call the check made is
// kept for the run, which hangs it up once at its end.
TEST_F(DialupCheckTest, AnEntryAlreadyConnectedIsUsedWithoutDiallingACallMadeIsHungUpOnceAtTheEnd) {
    EXPECT_EQ(Dial([](auto& s) { s.active = {{0x4B55, "Talvo"}}; }, ""), 1);
    EXPECT_EQ(std::pair(dialer->Dials().size(), dialer->HangUps()), std::pair(std::size_t{0}, Handles{}));
    EXPECT_EQ(Dial([](auto& s) { s.steps = Steps{{connect::kRasPortOpened, 0, 0ms}, {connect::kRasConnected, 0, 0ms}}; }, ""), 1);
    EXPECT_EQ(std::pair(dialer->Dials().size(), Connection().DialupHandle()), std::pair(std::size_t{1}, connect::DialHandle{0x4B54}));
    Connection().HangUpDialup();
    Connection().HangUpDialup();
    EXPECT_EQ(dialer->HangUps(), Handles{0x4B54});
}

}  // namespace
}  // namespace kt::test
