// The no-connection dialog, alone and in the callers' retry protocol.
#include <gtest/gtest.h>

#include "check_fixture.h"
#include "connect/connection_retry.h"
#include "dialogs/no_connection_dialog.h"
#include "hostsuite/dialog_skin.h"
#include "support/ftp_server.h"
#include "support/server_process.h"

namespace kt::test {
namespace {

using dialogs::CKTMessageBox;

// Stands in for the options dialog: counts its runs, checks what it is
// shown over, and applies the settings change of the test.
struct OptionsDouble {
    int runs = 0;
    int result = hostsuite::kIdCancel;
    std::function<void()> change;
    std::optional<int> parentBackground;

    dialogs::OpenOptions Opener() {
        return [this](hostsuite::Window parent) {
            ++runs;
            parentBackground = hostsuite::DialogBackgroundImage(parent);
            if (change) change();
            return result;
        };
    }
};

class NoConnectionDialogTest : public CheckTest {
protected:
    int Run() {
        CKTMessageBox dialog(ctx, options.Opener());
        const int result = hostsuite::ActivePresenter().RunDialog(dialog);
        window = dialog.Handle();
        return result;
    }
    int ChecksRun() const {
        const std::vector<std::string> journal = Journal();
        return static_cast<int>(std::count(journal.begin(), journal.end(), "MJ_MAIN_IIC : Démarrage IIC."));
    }

    OptionsDouble options;
    hostsuite::Window window = nullptr;
};

TEST_F(NoConnectionDialogTest, ShowsItsTextsUnderTheApplicationTitle) {
    UseScript("dialog 145: click 1");
    EXPECT_EQ(Run(), hostsuite::kIdOk);
    EXPECT_TRUE(Shown("dialog 145 open caption=\"Talvo\""));
    EXPECT_TRUE(Shown("dialog 145 text 1038=\"Erreur lors de l'établissement de la connexion internet.\""));
    EXPECT_TRUE(Shown("dialog 145 text 1102=\"Cliquez sur OK pour réessayer ou Annuler pour abandonner.\""));
    EXPECT_TRUE(Shown("dialog 145 text 1103=\"Pour changer ou vérifier les paramètres de connexion, cliquez sur Paramétrer.\""));
    // Its skin is released with it.
    EXPECT_FALSE(hostsuite::DialogBackgroundImage(window).has_value());

    ctx.appTitle.clear();
    UseScript("dialog 145: escape");
    EXPECT_EQ(Run(), hostsuite::kIdCancel);
    EXPECT_TRUE(Shown("dialog 145 open caption=\"l'Application\""));

    UseScript("dialog 145: click 2");
    EXPECT_EQ(Run(), hostsuite::kIdCancel);
    EXPECT_EQ(options.runs, 0);
}

TEST_F(NoConnectionDialogTest, SettingsOpenTheOptionsAndTheDialogStays) {
    options.result = hostsuite::kIdOk;
    UseScript("dialog 145: click 1037; click 1037; click 1");
    EXPECT_EQ(Run(), hostsuite::kIdOk);
    EXPECT_EQ(options.runs, 2);
    // The options are shown over the painted no-connection dialog.
    EXPECT_EQ(options.parentBackground, CKTMessageBox::kBackgroundImage);
}

TEST_F(NoConnectionDialogTest, OkRetriesWithUnchangedSettingsAndCancelGivesUp) {
    networkUp = false;
    UseScript("dialog 145: click 1037; click 1\ndialog 145: click 2");
    EXPECT_EQ(connect::CheckConnectionWithRetry(Connection(), ctx, owner, {"ftp://127.0.0.1/"}, nullptr,
                                                options.Opener()),
              0);
    EXPECT_EQ(options.runs, 1);
    EXPECT_EQ(ChecksRun(), 2);
}

TEST_F(NoConnectionDialogTest, SettingsChangedInTheOptionsCountForTheRetry) {
    FtpServer ftp;
    SetProxy("Active", "1");
    SetProxy("Address", ("127.0.0.1:" + std::to_string(UnusedLoopbackPort())).c_str());
    options.result = hostsuite::kIdOk;
    options.change = [this] { SetProxy("Active", "0"); };
    UseScript("dialog 145: click 1037; click 1");
    std::string found;
    EXPECT_EQ(connect::CheckConnectionWithRetry(Connection(), ctx, owner, {ftp.Url()}, &found, options.Opener()), 1);
    EXPECT_EQ(found, ftp.Url());
    EXPECT_EQ(ChecksRun(), 2);
    EXPECT_TRUE(Logged("INFO Internet session created : direct"));
}

}  // namespace
}  // namespace kt::test
