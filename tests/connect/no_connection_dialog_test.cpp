// The no-connection dialog, alone and in the callers' retry protocol.
#include <gtest/gtest.h>

#include <functional>
#include <optional>

#include "connect/connection_retry.h"
#include "connect_fixture.h"
#include "dialogs/no_connection_dialog.h"
#include "hostsuite/dialog_skin.h"
#include "support/update_server.h"

namespace kt::test {
namespace {

using dialogs::CKTMessageBox;

class NoConnectionDialogTest : public CheckTest {
protected:
    // Stands in for the options dialog: counts its runs, notes what it is
    // shown over and applies the settings change of the test.
    dialogs::OpenOptions Options() {
        return [this](hostsuite::Window parent) {
            ++optionsRuns;
            optionsParentBackground = hostsuite::DialogBackgroundImage(parent);
            if (settingsChange) settingsChange();
            return hostsuite::kIdOk;
        };
    }
    int Retry(const std::list<std::string>& urls, std::string* found = nullptr) {
        return connect::CheckConnectionWithRetry(Connection(), ctx, urls, found, Options());
    }
    int ChecksRun() const { return Count(Journal(), "MJ_MAIN_IIC : Démarrage IIC."); }

    int optionsRuns = 0;
    std::optional<int> optionsParentBackground;
    std::function<void()> settingsChange;
};

TEST_F(NoConnectionDialogTest, ShowsItsTextsAndStaysOpenOverTheOptions) {
    UseScript("dialog 145: click 1037; click 1037; click 1");
    hostsuite::Window window = nullptr;
    {
        CKTMessageBox dialog(ctx, Options());
        EXPECT_EQ(hostsuite::ActivePresenter().RunDialog(dialog), hostsuite::kIdOk);
        window = dialog.Handle();
    }
    EXPECT_EQ(Transcript(), (Strings{"dialog 145 open caption=\"Talvo\"", "dialog 145 do click 1037", "dialog 145 do click 1037",
                                     "dialog 145 do click 1", "dialog 145 text 1038=\"Erreur lors de l'établissement de la connexion internet.\"",
                                     "dialog 145 text 1102=\"Cliquez sur OK pour réessayer ou Annuler pour abandonner.\"",
                                     "dialog 145 text 1103=\"Pour changer ou vérifier les paramètres de connexion, cliquez sur Paramétrer.\"",
                                     "dialog 145 end 1"}));
    EXPECT_EQ(optionsRuns, 2);
    // The options are shown over the painted dialog, whose skin goes with it.
    EXPECT_EQ(optionsParentBackground, CKTMessageBox::kBackgroundImage);
    EXPECT_FALSE(hostsuite::DialogBackgroundImage(window).has_value());

    ctx.appTitle.clear();
    UseScript("dialog 145: escape");
    CKTMessageBox untitled(ctx, Options());
    EXPECT_EQ(hostsuite::ActivePresenter().RunDialog(untitled), hostsuite::kIdCancel);
    EXPECT_TRUE(Shown("dialog 145 open caption=\"l'Application\""));
}

TEST_F(NoConnectionDialogTest, OkRetriesWithUnchangedSettingsAndCancelGivesUp) {
    networkUp = false;
    UseScript("dialog 145: click 1037; click 1\ndialog 145: click 2");
    EXPECT_EQ(Retry({"ftp://127.0.0.1/"}), 0);
    EXPECT_EQ(optionsRuns, 1);
    EXPECT_EQ(ChecksRun(), 2);
}

TEST_F(NoConnectionDialogTest, SettingsChangedInTheOptionsCountForTheRetry) {
    UpdateServer ftp{{.generate = false}};
    SetProxy("Active", "1");
    SetProxy("Address", "127.0.0.1:" + std::to_string(UnusedLoopbackPort()));
    settingsChange = [this] { SetProxy("Active", "0"); };
    UseScript("dialog 145: click 1037; click 1");
    std::string found;
    EXPECT_EQ(Retry({ftp.Url()}, &found), 1);
    EXPECT_EQ(found, ftp.Url());
    EXPECT_EQ(ChecksRun(), 2);
    EXPECT_TRUE(Logged("INFO Internet session created : direct"));
}

TEST_F(NoConnectionDialogTest, SettingsOpensTheOptionsOverItWithTheDialersEntries) {
    networkUp = false;
    connect::ScriptedDialer::Script phoneBook;
    phoneBook.entries = {"Orange", "Free"};
    dialer = std::make_shared<connect::ScriptedDialer>(phoneBook);
    UseScript("dialog 145: click 1037; click 1\n"
              "dialog 131: click 1026; select 1025 \"Orange\"; click 1027; click 1\n"
              "dialog 145: click 2");
    EXPECT_EQ(connect::CheckConnectionWithRetry(Connection(), ctx, {"ftp://127.0.0.1/"}, nullptr), 0);
    EXPECT_TRUE(InOrder(Transcript(), {"dialog 145 do click 1037", "dialog 131 open caption=\"Options\"",
                                       "dialog 131 end 1", "dialog 145 do click 1", "dialog 145 end 1",
                                       "dialog 145 open caption=\"Talvo\"", "dialog 145 end 2"}));
    EXPECT_EQ(ChecksRun(), 2);
    std::string modem;
    std::string entry;
    ASSERT_EQ(config::GetNodeData(config::AppIdPath(ctx), "Workstation", "Update", nullptr, 0, "Modem", &modem, 50), 1);
    ASSERT_EQ(config::GetNodeData(config::AppIdPath(ctx), "Workstation", "Update", nullptr, 0, "RASName", &entry, 50), 1);
    EXPECT_EQ(modem + " " + entry, "0 Orange");
}

}  // namespace
}  // namespace kt::test
