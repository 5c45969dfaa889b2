// How a download ends before its end; the dialog's texts.
#include <functional>
#include <stdexcept>

#include <pugixml.hpp>

#include "dialogs/no_connection_dialog.h"
#include "download/download_controls.h"
#include "download/progress_text.h"
#include "download/speed_limit.h"
#include "download/transfers.h"
#include "download_fixture.h"

namespace kt::test {
namespace {


TEST(ProgressTextTest, SizesSpeedsTimesAndBarsAtTheirUnitBoundaries) {
    using namespace download;
    EXPECT_EQ((Strings{SizeText(1023), SizeText(1024), SizeText(1048576), SizeText(512, 65536), SpeedText(0.5), SpeedText(9.999),
                       SpeedLine(25.3), RemainingTimeText(59), RemainingTimeText(3720), RemainingLine(3725, "1.00 Mo de 2.00 Mo")}),
              (Strings{"1023 Octets", "1.0 Ko", "1.00 Mo", "512 Octets de 64.0 Ko", "512 Octets/sec", "10.00 Ko/sec",
                       "Vitesse : 25 Ko/sec", "59 sec", "62 min", "Temps restant : 62 min 5 sec (1.00 Mo de 2.00 Mo copiés)"}));
    EXPECT_EQ(std::tuple(ProgressRange(512), ProgressPosition(2047), ProgressPosition(std::uint64_t{1} << 60)), std::tuple(1, 1, INT32_MAX));
    EXPECT_EQ(std::tuple(SpeedLimitPause(10.0, 100000, 5000ms), SpeedLimitPause(200.0, 1024 * 1024, 1000ms),
                         SpeedLimitPause(10.0, 50000, 5000ms) + SpeedLimitPause(0.0, 100000, 5000ms) + SpeedLimitPause(10.0, 100000, 0ms)),
              std::tuple(5000ms, 4243ms, 0ms));
}

// The scripted presenter, except for the dialogs `act` gives a result of its own.
struct InterferingPresenter : hostsuite::Presenter {
    InterferingPresenter(std::shared_ptr<hostsuite::Presenter> inner, std::function<std::optional<int>(hostsuite::DialogModel&)> act)
        : inner(std::move(inner)), act(std::move(act)) {}
    int ShowMessage(const hostsuite::MessageRequest& request) override { return inner->ShowMessage(request); }
    int ShowButtons(const hostsuite::ButtonsRequest& request) override { return inner->ShowButtons(request); }
    std::optional<hostsuite::Credentials> AskCredentials(const std::string& target) override { return inner->AskCredentials(target); }
    int RunDialog(hostsuite::DialogModel& dialog) override {
        const std::optional<int> result = act(dialog);
        return result ? *result : inner->RunDialog(dialog);
    }

    std::shared_ptr<hostsuite::Presenter> inner;
    std::function<std::optional<int>(hostsuite::DialogModel&)> act;
};

// Yes to the question (after a No that lets the transfer go on), or a presenter that ends the dialog first: the
// worker stops and is done before the dialog goes.
TEST_F(DownloadTest, ACancelDuringATransferStopsItAndKeepsThePartialFile) {
    // Ends the download dialog by itself once the transfer is under way, without waiting for the worker.
    const auto endAbruptly = [](hostsuite::DialogModel& dialog) -> std::optional<int> {
        if (dialog.ResourceId() != 130) return std::nullopt;
        dialog.BeginModal();
        dialog.PumpUntil([&] { return dialog.Position(download::kFileBar) >= 2; }, 20s);
        dialog.EndDialog(hostsuite::kIdCancel);
        dialog.EndModal();
        return dialog.Result();
    };
    for (const bool abrupt : {false, true}) {
        SCOPED_TRACE(abrupt ? "presenter ends first" : "no, then yes");
        Fresh();
        StartServer({.stall = {{"/maj/sesam/sesam_pack.exe", 4096}}});
        UseScript("message 1062 -> no\nmessage 1062 -> yes\ndialog 130: wait 1024 4; sleep 300; click 2; sleep 300; click 2");
        if (abrupt) hostsuite::InstallPresenter(std::make_shared<InterferingPresenter>(scripted, endAbruptly));
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(Run(), hostsuite::kIdCancel);
        // A read waiting on the stalled server would take minutes.
        EXPECT_LT(std::chrono::steady_clock::now() - start, 4s);
        EXPECT_EQ(std::pair(attempts, ctx.m_nDownloadStatus.load()), std::pair(Attempts{download::kTransferCancelled}, -2));
        EXPECT_EQ(fs::file_size(UpdatePath("Temp") / "sesam_pack.exe"), 4096u);
        EXPECT_FALSE(fs::exists(UpdatePath("files.xml")));
        EXPECT_EQ(Messages().size(), abrupt ? 0u : 2u);
        EXPECT_TRUE(Journaled("MJ_DWL_DU : Annulé par l'utilisateur.") || Journaled("MJ_DWL_DU : Annuleé par l'utilisateur."));
    }
}

// Proxy settings that cannot be read end the dialog before any transfer, with message 1105.
TEST_F(DownloadTest, UnreadableSettingsEndTheDownloadBeforeAnyTransfer) {
    StartServer();
    pugi::xml_document appId;
    ASSERT_TRUE(appId.load_file(AppId().c_str()));
    const pugi::xml_node proxy = appId.select_node("//Proxy").node();
    ASSERT_TRUE(proxy.parent().remove_child(proxy) && appId.save_file(AppId().c_str()));
    EXPECT_EQ(Run(), hostsuite::kIdCancel);
    EXPECT_TRUE(attempts.empty());
    EXPECT_TRUE(Journaled("MJ_DWL_RC_1 : Lecture de la config echoué."));
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_TRUE(Messages()[0].starts_with("message id=1105 caption=\"Erreur\" style=0x10")) << Messages()[0];
}

// The no-connection dialog the worker asks for cannot be shown.
TEST_F(DownloadTest, AWorkerStoppedByAnExceptionEndsTheDownloadAsFailed) {
    StartServer();
    connect::InternetConnection offline(ctx, Network(false));
    services.connection = &offline;
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
