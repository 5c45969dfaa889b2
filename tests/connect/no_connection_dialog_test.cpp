// The no-connection dialog: Paramètres opens the options over it, OK checks again, Annuler gives up.
#include "connect/connection_retry.h"
#include "connect_fixture.h"
#include "dialogs/no_connection_dialog.h"
#include "support/update_server.h"

namespace kt::test {
namespace {

TEST_F(CheckTest, TheNoConnectionDialogChecksAgainWithTheSettingsOfTheOptionsUntilCancelled) {
    const auto checksRun = [this] { return std::ranges::count(Journal(), std::string("MJ_MAIN_IIC : Démarrage IIC.")); };
    // The options dialog itself, over the no-connection dialog.
    networkUp = false;
    UseScript("dialog 145: click 1037; click 1\ndialog 131: click 1\ndialog 145: click 2");
    EXPECT_EQ(connect::CheckConnectionWithRetry(Connection(), ctx, {"ftp://127.0.0.1/"}, nullptr), 0);
    EXPECT_TRUE(InOrder(Transcript(), {"dialog 145 do click 1037", "dialog 131 open caption=\"Options\"", "dialog 131 end 1",
                                       "dialog 145 do click 1", "dialog 145 end 1", "dialog 145 open caption=\"Talvo\"",
                                       "dialog 145 end 2"}));
    EXPECT_EQ(checksRun(), 2);

    // Options that turn off an unreachable proxy; the dialog stays open over them.
    networkUp = true;
    UpdateServer ftp{{.generate = false}};
    SetProxy("Active", "1"), SetProxy("Address", "127.0.0.1:" + std::to_string(UnusedLoopbackPort()));
    int optionsRuns = 0;
    const dialogs::OpenOptions options = [&](hostsuite::Window) { return ++optionsRuns, SetProxy("Active", "0"), hostsuite::kIdOk; };
    UseScript("dialog 145: click 1037; click 1037; click 1");
    std::string found;
    EXPECT_EQ(connect::CheckConnectionWithRetry(Connection(), ctx, {ftp.Url()}, &found, options), 1);
    EXPECT_EQ(std::pair(found, optionsRuns), std::pair(ftp.Url(), 2));
    EXPECT_EQ(checksRun(), 4);
    EXPECT_TRUE(Logged("INFO Internet session created : direct"));
}

}  // namespace
}  // namespace kt::test
