// The dial-up dialog on its own, run by the scripted presenter, with the
// dial-up service playing its notifications on a thread of its own.
#include <gtest/gtest.h>

#include "connect/default_dialer.h"
#include "connect/ras_dialog.h"
#include "connect/scripted_dialer.h"
#include "connect_fixture.h"
#include "dialogs/password_dialog.h"

namespace kt::test {
namespace {

using connect::CRASDlg;
using connect::ScriptedDialer;
using namespace std::chrono_literals;

class RasDialogTest : public ConnectTest {
protected:
    RasDialogTest() { script.entries = {"Talvo"}; }

    // Runs the dialog for entry "Talvo"; returns its result.
    int Run(connect::Dialer& dialer) {
        CRASDlg dialog(ctx, dialer, "Talvo", 20ms);
        const int result = hostsuite::ActivePresenter().RunDialog(dialog);
        handle = dialog.ConnectionHandle();
        return result;
    }
    int Run() {
        dialer = std::make_unique<ScriptedDialer>(script);
        return Run(*dialer);
    }

    ScriptedDialer::Script script;
    std::unique_ptr<ScriptedDialer> dialer;
    connect::DialHandle handle = 0;
};

TEST_F(RasDialogTest, WithSeveralActiveConnectionsTheEntryIsDialled) {
    script.active = {{0x77, "Talvo"}, {0x78, "Autre"}};
    script.steps = {{connect::kRasConnected, 0, 0ms}};
    EXPECT_EQ(Run(), hostsuite::kIdOk);
    EXPECT_EQ(dialer->Dials().size(), 1u);
    EXPECT_EQ(handle, 0x4B54u);

    // Another entry alone on the line does not count either.
    script.active = {{0x78, "talvo"}};
    EXPECT_EQ(Run(), hostsuite::kIdOk);
    EXPECT_EQ(dialer->Dials().size(), 1u);
}

TEST_F(RasDialogTest, UnreadableDialParametersAreShownOnlyAtStart) {
    script.paramsError = 624;
    script.errorTexts = {{624, "Le fichier annuaire est illisible."}};
    ctx.bAtStart = 1;
    EXPECT_EQ(Run(), hostsuite::kIdCancel);
    EXPECT_TRUE(Shown("message id=- caption=\"Talvo\" style=0x10 flag=1 text=\"Le fichier annuaire est illisible.\" -> ok unscripted"));

    script.errorTexts.clear();
    EXPECT_EQ(Run(), hostsuite::kIdCancel);
    EXPECT_TRUE(Shown("message id=1080 caption=\"Talvo\" style=0x10 flag=1 text=\"Erreur dans le RAS.\" -> ok unscripted"));

    UseScript("");
    ctx.bAtStart = 0;
    EXPECT_EQ(Run(), hostsuite::kIdCancel);
    for (const std::string& line : Transcript()) EXPECT_NE(line.rfind("message", 0), 0u) << line;
    EXPECT_TRUE(dialer->Dials().empty());
}

TEST_F(RasDialogTest, TheDefaultDialerHasNoDialUp) {
    connect::DefaultDialer none;
    ctx.bAtStart = 1;
    EXPECT_EQ(Run(none), hostsuite::kIdCancel);
    EXPECT_EQ(handle, 0u);
    EXPECT_TRUE(Shown("message id=- caption=\"Talvo\" style=0x10 flag=1 "
                      "text=\"Aucune connexion d'accès à distance n'est disponible sur ce poste.\" -> ok unscripted"));
}

TEST_F(RasDialogTest, ACallThatFailsAtOnce) {
    // With a connection: it is hung up and the dialog ends.
    script.dialError = 633;
    EXPECT_EQ(Run(), hostsuite::kIdCancel);
    EXPECT_EQ(dialer->HangUps(), (std::vector<connect::DialHandle>{0x4B54}));
    EXPECT_EQ(handle, 0u);

    // Without one: the dialog waits for the user.
    script.dialHandle = 0;
    UseScript("dialog 144: sleep 200; click 2");
    EXPECT_EQ(Run(), hostsuite::kIdCancel);
    EXPECT_TRUE(Shown("dialog 144 do click 2"));
    EXPECT_TRUE(dialer->HangUps().empty());
}

TEST_F(RasDialogTest, TheStatusLineFollowsTheCall) {
    script.steps = {{connect::kRasPortOpened, 0, 0ms}, {connect::kRasConnectDevice, 0, 0ms},
                    {connect::kRasDisconnected, 0, 0ms}};
    EXPECT_EQ(Run(), hostsuite::kIdCancel);
    EXPECT_TRUE(Shown("dialog 144 text 1034=\"Déconnecté.\""));

    // An error stays on screen until the user gives up.
    script.steps = {{connect::kRasConnectDevice, 0, 0ms}, {connect::kRasDeviceConnected, 691, 0ms},
                    {12, 0, 0ms}};
    UseScript("dialog 144: sleep 300; click 2");
    EXPECT_EQ(Run(), hostsuite::kIdCancel);
    EXPECT_TRUE(dialer->WaitPlayed(5s));
    EXPECT_TRUE(Shown("dialog 144 text 1034=\"Erreur de connexion.\""));
    EXPECT_TRUE(Shown("dialog 144 do click 2"));
}

TEST_F(RasDialogTest, ConnectedShowsBeforeTheDialogEnds) {
    script.steps = {{connect::kRasAuthenticated, 0, 0ms}, {connect::kRasConnected, 0, 0ms}};
    const auto start = std::chrono::steady_clock::now();
    dialer = std::make_unique<ScriptedDialer>(script);
    CRASDlg dialog(ctx, *dialer, "Talvo", 400ms);
    EXPECT_EQ(hostsuite::ActivePresenter().RunDialog(dialog), hostsuite::kIdOk);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 400ms);
    EXPECT_EQ(dialog.Text(CRASDlg::kStatusText), "Connexion établie!");
    EXPECT_EQ(CRASDlg::kConnectedHold, 2000ms);
}

TEST_F(RasDialogTest, ATypedPasswordIsDialledAsTyped) {
    script.passwordSaved = false;
    script.savedPassword = "ignored";
    script.steps = {{connect::kRasConnected, 0, 0ms}};
    UseScript("dialog 135: click 1");
    EXPECT_EQ(Run(), hostsuite::kIdOk);
    ASSERT_EQ(dialer->Dials().size(), 1u);
    EXPECT_EQ(dialer->Dials()[0].password, "");

    UseScript("dialog 135: text 1030 \"" + std::string(300, 'x') + "\"; click 1");
    EXPECT_EQ(Run(), hostsuite::kIdOk);
    ASSERT_EQ(dialer->Dials().size(), 1u);
    EXPECT_EQ(dialer->Dials()[0].password, std::string(dialogs::CKTPassword::kMaxPasswordLength, 'x'));

    script.passwordSaved = true;
    script.savedPassword = "enregistré";
    EXPECT_EQ(Run(), hostsuite::kIdOk);
    EXPECT_EQ(dialer->Dials()[0].password, "enregistré");
}

}  // namespace
}  // namespace kt::test
