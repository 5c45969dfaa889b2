#include "download/transfer_attempt.h"

#include <cerrno>
#include <filesystem>

#include "strings/string_table.h"
#include "download/download_controls.h"
#include "download/download_messages.h"
#include "download/transfer_session.h"
#include "download/transfers.h"
#include "hostsuite/message_box.h"
#include "platform/system_paths.h"
#include "log/activity_log.h"
#include "run/failure_journal.h"

namespace kt::download {
namespace {

constexpr int kChecking = 1017;
constexpr int kPleaseWait = 1082;
constexpr int kSiteNotFound = 1059;
constexpr int kDownloadError = 1063;

}  // namespace

std::string TempFilePath(const std::string& name) {
    return (std::filesystem::path(platform::SystemPaths::TempDir()) / name).string();
}

unsigned DownloadUpdates(DownloadJob& job, unsigned resume, unsigned split) {
    TransferAttempt attempt(job, resume, split);
    return attempt.Run();
}

TransferAttempt::TransferAttempt(DownloadJob& job, unsigned resume, unsigned split)
    : job_(job),
      resume_(resume),
      folder_(split ? PackageFolder::OfRegion(job.postalCode) : PackageFolder{}),
      progress_(job.dialog) {}

unsigned TransferAttempt::Run() {
    if (resume_ == 0) job_.dialogReady.Wait();
    if (job_.cancel.Poll()) return Cancelled("MJ_DWL_DU : Annulé par l'utilisateur.");
    SetText(kStatusLine1, kChecking);
    SetText(kStatusLine2, kPleaseWait);
    for (auto step : {&TransferAttempt::CheckConnection, &TransferAttempt::OpenSession,
                      &TransferAttempt::ParseBaseAddress, &TransferAttempt::FetchAccessParams,
                      &TransferAttempt::StartCatalogue}) {
        if (const Outcome end = (this->*step)()) return *end;
    }
    for (;;) {
        if (const Outcome end = FetchFile()) return *end;
        if (cataloguePhase_) {
            if (const Outcome end = ReadCatalogue()) return *end;
        }
        const Outcome next = NextPackage();
        if (next == kTransferDone) break;
        if (next) return *next;
    }
    KT_DLOG(Info) << "KTDownload : Updates download is finished";
    Journal("MJ_DWL_DU : La mise à jour est terminée.");
    return kTransferDone;
}

TransferAttempt::Outcome TransferAttempt::CheckConnection() {
    run::RunContext& ctx = job_.ctx;
    for (;;) {
        std::string found;
        if (job_.services.connection->IsInternetConnection(job_.dialog.Handle(), job_.search.State().sourceList,
                                                           &found)) {
            job_.search.State().baseAddress = found;
            break;
        }
        int answer = hostsuite::kIdCancel;
        job_.dialog.CallOnDialogThread([&] {
            dialogs::CKTMessageBox noConnection(ctx, job_.services.openOptions);
            answer = hostsuite::ActivePresenter().RunDialog(noConnection);
        });
        if (answer == hostsuite::kIdCancel) {
            job_.services.closeRunHandles();
            ctx.m_nDownloadStatus = -2;
            KT_DLOG(Warning) << "KTDownload : Connection problem";
            run::WriteJournal(ctx, job_.dialog.Handle(), 0, 1, "MJ_DWL_DU_0 : Problème: connexion.");
            return kTransferFailed;
        }
    }
    KT_DLOG(Info) << "KTDownload : Connexion checked";
    Journal("MJ_DWL_DU : Connexion verifié.");
    return std::nullopt;
}

TransferAttempt::Outcome TransferAttempt::OpenSession() {
    const auto session = MakeTransferSession(job_.internet);
    if (!session) {
        KT_DLOG(Warning) << "KTDownload : Failed to open internet connexion";
        ShowDownloadError(job_, "", EINVAL, kDownloadError);
        Journal("MJ_DWL_DU_1 : Problème: session.");
        return kTransferFailed;
    }
    session_ = *session;
    KT_DLOG(Info) << "KTDownload : Internet session created";
    Journal("MJ_DWL_DU : Session créé.");
    return std::nullopt;
}

TransferAttempt::Outcome TransferAttempt::ParseBaseAddress() {
    const std::string& address = job_.search.State().baseAddress;
    const auto parts = connect::SplitUrl(address);
    // Only FTP addresses come from the connection check, and only FTP is fetched.
    if (!parts || parts->service != connect::UrlService::kFtp) {
        KT_DLOG(Warning) << "KTDownload : Failed to parse url : " << address;
        ShowDownloadError(job_, "", 0, kSiteNotFound);
        Journal("MJ_DWL_DU_2 : Problème: parse URL.");
        return kTransferFailed;
    }
    base_ = *parts;
    return std::nullopt;
}

TransferAttempt::Outcome TransferAttempt::StartCatalogue() {
    const std::string address = folder_.On(job_.search.State().baseAddress) + "versions.xml";
    const auto parts = connect::SplitUrl(address);
    if (!parts || parts->service != connect::UrlService::kFtp) {
        KT_DLOG(Warning) << "KTDownload : Failed to parse url : " << address;
        ShowDownloadError(job_, "", 0, kSiteNotFound);
        Journal("MJ_DWL_DU_16 : Problème: parse URL.");
        return kTransferFailed;
    }
    current_ = *parts;
    cataloguePhase_ = true;
    return OpenLocalFile(TempFilePath("versions.xml"));
}

TransferAttempt::Outcome TransferAttempt::OpenLocalFile(const std::string& path) {
    if (const std::error_code error = output_.Open(path)) {
        KT_DLOG(Warning) << "KTDownload : Can't open " << path << " : " << error.message();
        return WriteError(error);
    }
    return std::nullopt;
}

unsigned TransferAttempt::Cancelled(const char* journal) {
    KT_DLOG(Info) << "KTDownload : Annulation par l'utilisateur";
    Journal(journal);
    job_.ctx.m_nDownloadStatus = -2;
    return kTransferCancelled;
}

unsigned TransferAttempt::WriteError(const std::error_code& error) {
    KT_DLOG(Warning) << "KTDownload : Write error during download";
    ShowDownloadError(job_, error.message(), error.value(), 0);
    Journal("MJ_DWL_DU_15 : Problème: écriture.");
    return kTransferFailed;
}

void TransferAttempt::Journal(const char* message) { run::WriteJournal(job_.ctx, job_.dialog.Handle(), 0, 0, message); }

void TransferAttempt::SetText(int control, int stringId) { job_.dialog.SetText(control, strings::LoadString(stringId)); }

}  // namespace kt::download
