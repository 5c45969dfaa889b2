#include "download/download_worker.h"

#include <list>
#include <string>

#include "download/download_messages.h"
#include "download/transfers.h"
#include "hostsuite/message_box.h"
#include "log/activity_log.h"
#include "run/failure_journal.h"

namespace kt::download {
namespace {

constexpr std::size_t kSplitCodeChars = 2;

unsigned Attempt(DownloadJob& job, unsigned resume, unsigned split) {
    const unsigned result = DownloadUpdates(job, resume, split);
    job.results.push_back(result);
    return result;
}

// The next attempt goes to the next server of the list.
void DropFirstServer(DownloadJob& job) {
    std::list<std::string>& sources = job.search.State().sourceList;
    if (!sources.empty()) sources.pop_front();
}

void ShowError(DownloadJob& job, const char* text) {
    ShowOnDialogThread(job.dialog, job.dialog.Handle(), text, "Talvo", hostsuite::kStyleErrorOk);
}

}  // namespace

void RunDownloadThread(DownloadJob& job) {
    const std::list<std::string> sources = job.search.State().sourceList;
    KT_DLOG(Info) << "KTDownload : DownloadUpdates : first try, COMMUN";
    unsigned result = Attempt(job, 0, 0);
    if (result == kProxyRequestRefused) {
        DropFirstServer(job);
        KT_DLOG(Info) << "KTDownload : DownloadUpdates : second try, COMMUN";
        result = Attempt(job, 1, 0);
    }
    if (result != kTransferDone && job.postalCode.size() > kSplitCodeChars && result != kTransferCancelled) {
        job.search.State().sourceList = sources;
        KT_DLOG(Info) << "KTDownload : DownloadUpdates : first try, FRACTIONNE";
        result = Attempt(job, 1, 1);
        if (result == kProxyRequestRefused) {
            DropFirstServer(job);
            KT_DLOG(Info) << "KTDownload : DownloadUpdates : second try, FRACTIONNE";
            result = Attempt(job, 1, 1);
        }
    }
    FinishDownload(job, result);
}

void FinishDownload(DownloadJob& job, unsigned result) {
    switch (result) {
        case kTransferCancelled:
        case kNoFileNorFolder:
        case kNothingToFetch:
            run::WriteJournal(job.ctx, 0, 0, nullptr);
            job.dialog.PostCommand(hostsuite::kIdCancel);
            return;
        case kProxyAddressRefused:
            ShowError(job, "Une erreur s'est produite lors de la connexion au serveur Talvo.");
            job.dialog.PostCommand(hostsuite::kIdCancel);
            return;
        default:
            break;
    }
    // Every other result above the known failures counts as success.
    if (result == kTransferDone || result > kNoFileNorFolder) {
        run::WriteJournal(job.ctx, 0, 0, nullptr);
        job.dialog.SetShowState(hostsuite::ShowState::Normal);
        job.dialog.PostCommand(hostsuite::kIdOk);
        return;
    }
    run::WriteJournal(job.ctx, 0, 1, nullptr);
    ShowError(job, "Une erreur s'est produite lors du téléchargement des mises à jour.");
    job.dialog.PostCommand(hostsuite::kIdCancel);
}

void EndFailedDownload(DownloadJob& job) {
    try {
        run::WriteJournal(job.ctx, 0, 0, "MJ_DWL_DU_18 : Problème: exception.");
        FinishDownload(job, kTransferFailed);
    } catch (...) {
        // The dialog ends even when the failure cannot be shown.
        job.dialog.PostCommand(hostsuite::kIdCancel);
        throw;
    }
}

}  // namespace kt::download
