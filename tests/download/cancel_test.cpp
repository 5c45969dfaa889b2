// How a download ends before its end: the cancel question, its answers, the
// three ways to ask (Annuler, the close box, Escape), a server that stops
// sending, a presenter that ends the dialog first, a worker stopped by an exception.
#include <chrono>
#include <functional>
#include <stdexcept>

#include "dialogs/no_connection_dialog.h"
#include "download/download_controls.h"
#include "download/transfers.h"
#include "download_fixture.h"

namespace kt::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Attempts = std::vector<unsigned>;

using CancelTest = DownloadTest;
// A server that stops sending the Sesam pack after 4 KiB.
const UpdateServer::Options kStalled{.stall = {{"/maj/sesam/sesam_pack.exe", 4096}}};

TEST_F(CancelTest, NoChangesNothingAndTheSlowTransferShowsItsSpeed) {
    StartServer({.chain = {"5.2.0", "5.2.1"}, .packageSize = 24 * 1024, .packSize = 8 * 1024, .throttle = 8 * 1024});
    UseScript("message 1062 -> no\ndialog 130: wait 1024 4; click 2; close; escape");
    EXPECT_EQ(Run(), hostsuite::kIdOk);
    EXPECT_EQ(attempts, Attempts{download::kTransferDone});
    EXPECT_EQ(ctx.m_nDownloadStatus, 0);
    EXPECT_TRUE(fs::exists(UpdatePath("Update") / "talvo_5.2.0_5.2.1.exe"));
    // Annuler, the close box and Escape each asked.
    EXPECT_EQ(Messages().size(), 3u);
    std::string speed, left;
    for (const std::string& line : Transcript()) {
        if (line.starts_with("dialog 130 text 1029=")) speed = line;
        if (line.starts_with("dialog 130 text 1028=")) left = line;
    }
    EXPECT_TRUE(speed.starts_with("dialog 130 text 1029=\"Vitesse : ") && speed.ends_with(" Ko/sec\"")) << speed;
    EXPECT_TRUE(left.starts_with("dialog 130 text 1028=\"Temps restant : ") && left.ends_with(" de 32.0 Ko copiés)\"")) << left;
}

// The scripted presenter, except for the dialogs `act` takes over: it gives
// their result, or nothing to let the script run them.
class InterferingPresenter : public hostsuite::Presenter {
public:
    using Act = std::function<std::optional<int>(hostsuite::DialogModel&)>;
    InterferingPresenter(std::shared_ptr<hostsuite::Presenter> inner, Act act) : inner_(std::move(inner)), act_(std::move(act)) {}
    int ShowMessage(const hostsuite::MessageRequest& request) override { return inner_->ShowMessage(request); }
    int ShowButtons(const hostsuite::ButtonsRequest& request) override { return inner_->ShowButtons(request); }
    std::optional<hostsuite::Credentials> AskCredentials(const std::string& target) override {
        return inner_->AskCredentials(target);
    }
    int RunDialog(hostsuite::DialogModel& dialog) override {
        if (const std::optional<int> result = act_(dialog)) return *result;
        return inner_->RunDialog(dialog);
    }

private:
    std::shared_ptr<hostsuite::Presenter> inner_;
    Act act_;
};

// Ends the download dialog by itself once the transfer is under way, as a
// presenter may, without waiting for the worker.
std::optional<int> EndAbruptly(hostsuite::DialogModel& dialog) {
    if (dialog.ResourceId() != 130) return std::nullopt;
    dialog.BeginModal();
    dialog.PumpUntil([&] { return dialog.Position(download::kFileBar) >= 2; }, 20s);
    dialog.EndDialog(hostsuite::kIdCancel);
    dialog.EndModal();
    return dialog.Result();
}

// Yes to the question, or a presenter that ends the dialog first: the worker
// stops the transfer and is done before the dialog goes away.
TEST_F(CancelTest, ACancelDuringATransferStopsItAndKeepsThePartialFile) {
    for (const bool abrupt : {false, true}) {
        SCOPED_TRACE(abrupt ? "presenter ends first" : "yes");
        Fresh();
        StartServer(kStalled);
        UseScript("message 1062 -> yes\ndialog 130: wait 1024 4; sleep 300; click 2");
        if (abrupt) hostsuite::InstallPresenter(std::make_shared<InterferingPresenter>(scripted, EndAbruptly));
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(Run(), hostsuite::kIdCancel);
        // Reaching the stall takes well under a second, the pause 300 ms, the
        // cancel at most one second; a read waiting on the server would take minutes.
        EXPECT_LT(std::chrono::steady_clock::now() - start, 4s);
        EXPECT_EQ(std::pair(attempts, ctx.m_nDownloadStatus.load()), std::pair(Attempts{download::kTransferCancelled}, -2));
        // The package being fetched stays in Temp, unrecorded; no error box, no split folder after a cancel.
        EXPECT_EQ(fs::file_size(UpdatePath("Temp") / "sesam_pack.exe"), 4096u);
        EXPECT_FALSE(fs::exists(UpdatePath("files.xml")));
        EXPECT_EQ(Messages().size(), abrupt ? 0u : 1u);
        EXPECT_TRUE(Journaled("MJ_DWL_DU : Annulé par l'utilisateur.") || Journaled("MJ_DWL_DU : Annuleé par l'utilisateur."));
        EXPECT_FALSE(Logged("INFO KTDownload : DownloadUpdates : first try, FRACTIONNE"));
    }
}

// The worker meets an exception (the no-connection dialog it asks for cannot
// be shown): the process goes on, the transfer ends as failed, the dialog
// closes and the journal keeps it.
TEST_F(CancelTest, AWorkerStoppedByAnExceptionEndsTheDownloadAsFailed) {
    StartServer();
    connect::ConnectionServices offline;
    offline.isNetworkConnected = [] { return false; };
    connect::InternetConnection connection(ctx, offline);
    services.connection = &connection;
    hostsuite::InstallPresenter(std::make_shared<InterferingPresenter>(scripted, [](hostsuite::DialogModel& dialog) {
        if (dialog.ResourceId() == dialogs::CKTMessageBox::kResourceId) throw std::runtime_error("no display");
        return std::optional<int>();
    }));

    EXPECT_EQ(Run(), hostsuite::kIdCancel);
    EXPECT_TRUE(Logged("ERROR Worker thread download : stopped by an exception : no display"));
    EXPECT_TRUE(InOrder(Journal(), {"MJ_DWL_MD : Démarrage du thread.", "MJ_DWL_DU_18 : Problème: exception."}));
    EXPECT_EQ(Messages(), Strings{"message id=- caption=\"Talvo\" style=0x10 flag=1 text=\"Une erreur s'est produite "
                                  "lors du téléchargement des mises à jour.\" -> ok unscripted"});
    EXPECT_TRUE(Shown("dialog 130 end 2"));
}

}  // namespace
}  // namespace kt::test
