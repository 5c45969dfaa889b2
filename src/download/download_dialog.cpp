#include "download/download_dialog.h"

#include <system_error>

#include "connect/options_opener.h"
#include "strings/string_table.h"
#include "dialogs/failure_warning.h"
#include "download/download_controls.h"
#include "download/download_worker.h"
#include "download/local_copy.h"
#include "hostsuite/dialog_skin.h"
#include "hostsuite/message_box.h"
#include "log/activity_log.h"
#include "run/failure_journal.h"
#include "run/run_names.h"

namespace kt::download {
namespace {

constexpr int kEndingOperation = 1012;
constexpr int kCannotStart = 1061;
constexpr int kCancelQuestion = 1062;
constexpr int kConfigUnreadable = 1105;

}  // namespace

CKTDownload::CKTDownload(run::RunContext& ctx, hostsuite::Window, SourceMode mode, const std::string& localFolder,
                         DownloadServices services)
    : DialogModel(kDownloadDialogId, "Téléchargement", Ending::ByItself),
      ctx_(ctx),
      mode_(mode),
      services_(std::move(services)),
      search_(ctx, mode, localFolder, services_.packDecision),
      job_(ctx, *this, search_, services_),
      failureWarning_(ctx, [this] { dialogs::ShowFailureWarning(Handle(), ctx_.appTitle); }) {
    if (services_.connection == nullptr) {
        ownConnection_ = std::make_unique<connect::InternetConnection>(ctx);
        services_.connection = ownConnection_.get();
    }
    if (!services_.openOptions) services_.openOptions = connect::OptionsOpener(ctx, *services_.connection);
    if (!services_.closeRunHandles) {
        services_.closeRunHandles = [&ctx] {
            ctx.runMutex.reset();
            ctx.updaterEvent.reset();
        };
    }
    search_.State().owner = Handle();
    job_.postalCode = ctx.postalCode;
    job_.silent = ctx.bAtStart != 0;
    ctx.m_nDownloadStatus = 0;

    AddLabel(kStatusLine1);
    AddLabel(kStatusLine2);
    AddLabel(kFileLabel);
    AddLabel(kSizeLabel);
    AddProgress(kFileBar);
    AddLabel(kOverallLabel);
    AddProgress(kOverallBar);
    AddLabel(kOperationStatus);
    AddPush(kCancelButton, "Annuler");
    BindClick(kCancelButton, [this] { ConfirmCancel(); });
}

CKTDownload::~CKTDownload() { StopWorker(); }

bool CKTDownload::OnInitDialog() {
    const bool shown = !job_.silent || ctx_.bSesamInstall;
    SetShowState(shown ? hostsuite::ShowState::Normal : hostsuite::ShowState::Minimised);
    // A second call of the module brings this dialog back instead of starting a run.
    registration_ = platform::RegisterOpenDialog(run::kDownloadDialogClass, [this] { RequestRestore(); });
    if (mode_ == SourceMode::kInternet) {
        StartInternet();
        return true;
    }
    KT_DLOG(Info) << "KTDownload : local (network or directory) update";
    EndDialog(CopyLocalUpdates(job_));
    return true;
}

void CKTDownload::StartInternet() {
    KT_DLOG(Info) << "KTDownload : internet update";
    MainDownloader();
    job_.dialogReady.Set();
}

int CKTDownload::MainDownloader() {
    if (!config::ReadInternetConfig(ctx_, job_.internet)) {
        KT_DLOG(Warning) << "Can't read internet configuration in appid.xml";
        if (!job_.silent) {
            hostsuite::KtMessageBox(Handle(), strings::LoadString(kConfigUnreadable), "Erreur",
                                    hostsuite::kStyleErrorOk, 1, kConfigUnreadable);
        }
        EndDialog(hostsuite::kIdCancel);
        return 1;
    }
    SetText(kFileLabel, "");
    try {
        worker_.Start("download", [this] { RunDownloadThread(job_); }, [this] { EndFailedDownload(job_); });
    } catch (const std::system_error&) {
        KT_DLOG(Warning) << "Failed to create download thread";
        if (!job_.silent) {
            hostsuite::KtMessageBox(Handle(), strings::LoadString(kCannotStart), "Erreur", hostsuite::kStyleErrorOk,
                                    1, kCannotStart);
        }
        run::WriteJournal(ctx_, 0, 1, "MJ_DWL_MD_1 : Démarrage du thread echoué.");
        EndDialog(hostsuite::kIdCancel);
        return 1;
    }
    run::WriteJournal(ctx_, 0, 0, "MJ_DWL_MD : Démarrage du thread.");
    return 1;
}

void CKTDownload::ConfirmCancel() {
    const int answer = hostsuite::KtMessageBox(Handle(), strings::LoadString(kCancelQuestion), "Attention !",
                                               hostsuite::kStyleWarningYesNo, 1, kCancelQuestion);
    if (answer != hostsuite::kIdYes) return;
    Enable(kCancelButton, false);
    SetText(kStatusLine1, strings::LoadString(kEndingOperation));
    // A first attempt still waiting for the dialog must go on to see the cancel.
    job_.dialogReady.Set();
    job_.cancel.Set();
}

int CKTDownload::OnEraseBackground(hostsuite::DeviceContext dc) {
    return hostsuite::PaintDialogBackground(Handle(), dc, kDownloadBackground);
}

void CKTDownload::StopWorker() {
    if (!worker_.Running()) return;
    // The dialog may end without the worker's word (the presenter gave up on
    // it): the worker is told to stop, and waited for.
    job_.dialogReady.Set();
    job_.cancel.Set();
    worker_.Join();
}

void CKTDownload::OnDestroy() {
    StopWorker();
    job_.dialogReady.Reset();
    job_.cancel.Reset();
    registration_.reset();
    hostsuite::ReleaseDialogSkin(Handle());
}

}  // namespace kt::download
