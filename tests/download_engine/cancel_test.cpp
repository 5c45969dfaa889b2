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

class CancelTest : public DownloadTest {
protected:
    // Four packages of 16 KiB from a server that sends `rate` bytes at a
    // time, once a second.
    void StartSlowServer(long rate) {
        UpdateServer::Options options;
        options.packageSize = 16 * 1024;
        options.packSize = 16 * 1024;
        options.throttle = rate;
        StartServer(options);
    }
};

TEST_F(CancelTest, YesDuringATransferStopsItAndKeepsThePartialFile) {
    StartSlowServer(4096);
    UseScript("message 1062 -> yes\ndialog 130: wait 1022 4; click 2");
    EXPECT_EQ(Run(), hostsuite::kIdCancel);
    EXPECT_EQ(attempts, (std::vector<unsigned>{download::kTransferCancelled}));
    EXPECT_EQ(ctx.m_nDownloadStatus, -2);
    // The package being fetched stays in Temp, unrecorded.
    const fs::path partial = UpdatePath("Temp") / "sesam_pack.exe";
    ASSERT_TRUE(fs::exists(partial));
    EXPECT_LT(fs::file_size(partial), 16u * 1024);
    EXPECT_FALSE(fs::exists(UpdatePath("files.xml")));
    // The question only; no error box.
    EXPECT_EQ(Messages(), (std::vector<std::string>{
                              "message id=1062 caption=\"Attention !\" style=0x34 flag=1 text=\"Le téléchargement n'est "
                              "pas terminé.\\r\\n\\r\\nVoulez-vous annuler la mise à jour ?\" -> yes"}));
    EXPECT_TRUE(Shown("dialog 130 text 1028=\"Fin de l'opération en cours...\""));
    EXPECT_TRUE(Logged("INFO KTDownload : Annulation par l'utilisateur"));
    EXPECT_TRUE(Journaled("MJ_DWL_DU : Annulé par l'utilisateur.") ||
                Journaled("MJ_DWL_DU : Annuleé par l'utilisateur."));
    // No split folder after a cancel.
    EXPECT_FALSE(Logged("INFO KTDownload : DownloadUpdates : first try, FRACTIONNE"));
}

TEST_F(CancelTest, NoChangesNothing) {
    StartSlowServer(16 * 1024);
    UseScript("message 1062 -> no\ndialog 130: wait 1024 4; click 2; close; escape");
    EXPECT_EQ(Run(), hostsuite::kIdOk);
    EXPECT_EQ(attempts, (std::vector<unsigned>{download::kTransferDone}));
    EXPECT_EQ(ctx.m_nDownloadStatus, 0);
    EXPECT_TRUE(fs::exists(UpdatePath("Update") / "talvo_5.2.0_5.2.1.exe"));
    // Annuler, the close box and Escape each asked.
    EXPECT_EQ(Messages().size(), 3u);
}

TEST_F(CancelTest, EscapeAsksBeforeItCancels) {
    StartSlowServer(4096);
    UseScript("message 1062 -> yes\ndialog 130: wait 1022 4; escape");
    EXPECT_EQ(Run(), hostsuite::kIdCancel);
    EXPECT_EQ(attempts, (std::vector<unsigned>{download::kTransferCancelled}));
    EXPECT_EQ(Messages().size(), 1u);
}

TEST_F(CancelTest, AStalledServerDoesNotHoldTheCancel) {
    UpdateServer::Options options;
    options.stall["/maj/sesam/sesam_pack.exe"] = 4096;
    StartServer(options);
    UseScript("message 1062 -> yes\ndialog 130: wait 1024 4; sleep 300; click 2");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Run(), hostsuite::kIdCancel);
    // Reaching the stall takes well under a second, the pause 300 ms, the
    // cancel at most one second; a read waiting on the server would take minutes.
    EXPECT_LT(std::chrono::steady_clock::now() - start, 4s);
    EXPECT_EQ(attempts, (std::vector<unsigned>{download::kTransferCancelled}));
    EXPECT_EQ(fs::file_size(UpdatePath("Temp") / "sesam_pack.exe"), 4096u);
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
    UpdateServer::Options options;
    options.stall["/maj/sesam/sesam_pack.exe"] = 4096;
    StartServer(options);
    hostsuite::InstallPresenter(std::make_shared<AbandoningPresenter>());
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Run(), hostsuite::kIdCancel);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 4s);
    // The worker saw the cancel and was done before the dialog went away.
    EXPECT_EQ(attempts, (std::vector<unsigned>{download::kTransferCancelled}));
    EXPECT_EQ(ctx.m_nDownloadStatus, -2);
}

}  // namespace
}  // namespace kt::test
