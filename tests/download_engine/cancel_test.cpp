// Cancelling a download: the question, its answers, the three ways to ask
// (Annuler, the close box, Escape), and a server that stops sending.
#include <chrono>

#include "download/download_controls.h"
#include "download/transfers.h"
#include "download_fixture.h"

namespace kt::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Attempts = std::vector<unsigned>;

class CancelTest : public DownloadTest {
protected:
    // A server that stops sending the Sesam pack after 4 KiB.
    void StartStalledServer() {
        UpdateServer::Options options;
        options.stall["/maj/sesam/sesam_pack.exe"] = 4096;
        StartServer(options);
    }
};

TEST_F(CancelTest, YesDuringATransferStopsItAndKeepsThePartialFile) {
    StartStalledServer();
    UseScript("message 1062 -> yes\ndialog 130: wait 1024 4; sleep 300; click 2");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Run(), hostsuite::kIdCancel);
    // Reaching the stall takes well under a second, the pause 300 ms, the
    // cancel at most one second; a read waiting on the server would take minutes.
    EXPECT_LT(std::chrono::steady_clock::now() - start, 4s);
    EXPECT_EQ(attempts, Attempts{download::kTransferCancelled});
    EXPECT_EQ(ctx.m_nDownloadStatus, -2);
    // The package being fetched stays in Temp, unrecorded.
    EXPECT_EQ(fs::file_size(UpdatePath("Temp") / "sesam_pack.exe"), 4096u);
    EXPECT_FALSE(fs::exists(UpdatePath("files.xml")));
    // The question only; no error box.
    EXPECT_EQ(Messages(), Strings{"message id=1062 caption=\"Attention !\" style=0x34 flag=1 text=\"Le téléchargement n'est "
                                  "pas terminé.\\r\\n\\r\\nVoulez-vous annuler la mise à jour ?\" -> yes"});
    EXPECT_TRUE(Shown("dialog 130 text 1028=\"Fin de l'opération en cours...\""));
    EXPECT_TRUE(Logged("INFO KTDownload : Annulation par l'utilisateur"));
    EXPECT_TRUE(Journaled("MJ_DWL_DU : Annulé par l'utilisateur.") ||
                Journaled("MJ_DWL_DU : Annuleé par l'utilisateur."));
    // No split folder after a cancel.
    EXPECT_FALSE(Logged("INFO KTDownload : DownloadUpdates : first try, FRACTIONNE"));
}

TEST_F(CancelTest, NoChangesNothingAndTheSlowTransferShowsItsSpeed) {
    UpdateServer::Options options;
    options.chain = {"5.2.0", "5.2.1"};
    options.packageSize = 24 * 1024;
    options.packSize = 8 * 1024;
    options.throttle = 8 * 1024;
    StartServer(options);
    UseScript("message 1062 -> no\ndialog 130: wait 1024 4; click 2; close; escape");
    EXPECT_EQ(Run(), hostsuite::kIdOk);
    EXPECT_EQ(attempts, Attempts{download::kTransferDone});
    EXPECT_EQ(ctx.m_nDownloadStatus, 0);
    EXPECT_TRUE(fs::exists(UpdatePath("Update") / "talvo_5.2.0_5.2.1.exe"));
    // Annuler, the close box and Escape each asked.
    EXPECT_EQ(Messages().size(), 3u);

    std::string speed;
    std::string left;
    for (const std::string& line : Transcript()) {
        if (line.rfind("dialog 130 text 1029=", 0) == 0) speed = line;
        if (line.rfind("dialog 130 text 1028=", 0) == 0) left = line;
    }
    EXPECT_EQ(speed.rfind("dialog 130 text 1029=\"Vitesse : ", 0), 0u) << speed;
    EXPECT_NE(speed.find(" Ko/sec\""), std::string::npos) << speed;
    EXPECT_EQ(left.rfind("dialog 130 text 1028=\"Temps restant : ", 0), 0u) << left;
    EXPECT_NE(left.find(" de 32.0 Ko copiés)\""), std::string::npos) << left;
}

// Ends the dialog by itself as soon as the first package arrives, as a
// presenter may, without waiting for the worker.
class AbandoningPresenter : public hostsuite::Presenter {
public:
    int ShowMessage(const hostsuite::MessageRequest&) override { return hostsuite::kIdOk; }
    int ShowButtons(const hostsuite::ButtonsRequest&) override { return hostsuite::kIdButton2; }
    std::optional<hostsuite::Credentials> AskCredentials(const std::string&) override { return std::nullopt; }
    int RunDialog(hostsuite::DialogModel& dialog) override {
        dialog.BeginModal();
        dialog.PumpUntil([&] { return dialog.Position(download::kFileBar) >= 2; }, 20s);
        dialog.EndDialog(hostsuite::kIdCancel);
        dialog.EndModal();
        return dialog.Result();
    }
};

TEST_F(CancelTest, TheDialogStopsAndWaitsForItsWorkerWhenItEndsFirst) {
    StartStalledServer();
    hostsuite::InstallPresenter(std::make_shared<AbandoningPresenter>());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Run(), hostsuite::kIdCancel);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 4s);
    // The worker saw the cancel and was done before the dialog went away.
    EXPECT_EQ(attempts, Attempts{download::kTransferCancelled});
    EXPECT_EQ(ctx.m_nDownloadStatus, -2);
}

}  // namespace
}  // namespace kt::test
