#include "download/transfer_attempt.h"

#include <cerrno>

#include "strings/string_table.h"
#include "download/download_controls.h"
#include "download/download_messages.h"
#include "download/transfer_session.h"
#include "download/transfers.h"
#include "hostsuite/message_box.h"
#include "platform/tls_failure.h"
#include "log/activity_log.h"
#include "run/failure_journal.h"
#include "run/run_report.h"

namespace kt::download {
namespace {

constexpr int kChecking = 1017;
constexpr int kPleaseWait = 1082;
constexpr int kSiteNotFound = 1059;
constexpr int kDownloadError = 1063;

}  // namespace

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
    Report(el::Level::Info, "KTDownload : Updates download is finished", "MJ_DWL_DU : La mise à jour est terminée.");
    return kTransferDone;
}

TransferAttempt::Outcome TransferAttempt::CheckConnection() {
    run::RunContext& ctx = job_.ctx;
    for (;;) {
        std::string found;
        if (job_.services.connection->IsInternetConnection(job_.search.State().sourceList, &found)) {
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
            return run::ReportFailure(ctx,
                                      {el::Level::Warning, "KTDownload : Connection problem",
                                       "MJ_DWL_DU_0 : Problème: connexion.", run::LogSource::kDownload, true},
                                      kTransferFailed);
        }
    }
    Report(el::Level::Info, "KTDownload : Connexion checked", "MJ_DWL_DU : Connexion verifié.");
    return std::nullopt;
}

TransferAttempt::Outcome TransferAttempt::OpenSession() {
    const auto session = MakeTransferSession(job_.internet);
    if (!session) {
        ShowDownloadError(job_, "", EINVAL, kDownloadError);
        return Fail("KTDownload : Failed to open internet connexion",
                    "MJ_DWL_DU_1 : Problème: session.");
    }
    session_ = *session;
    Report(el::Level::Info, "KTDownload : Internet session created", "MJ_DWL_DU : Session créé.");
    return std::nullopt;
}

TransferAttempt::Outcome TransferAttempt::ParseBaseAddress() {
    const std::string& address = job_.search.State().baseAddress;
    const auto parts = connect::SplitUrl(address);
    if (!parts || parts->service == connect::UrlService::kOther) {
        ShowDownloadError(job_, "", 0, kSiteNotFound);
        return Fail(std::string("KTDownload : Failed to parse url : ") + address,
                    "MJ_DWL_DU_2 : Problème: parse URL.");
    }
    base_ = *parts;
    return std::nullopt;
}

TransferAttempt::Outcome TransferAttempt::StartCatalogue() {
    const std::string address = folder_.On(job_.search.State().baseAddress) + "versions.xml";
    const auto parts = connect::SplitUrl(address);
    if (!parts || parts->service != base_.service) {
        ShowDownloadError(job_, "", 0, kSiteNotFound);
        return Fail(std::string("KTDownload : Failed to parse url : ") + address,
                    "MJ_DWL_DU_16 : Problème: parse URL.");
    }
    current_ = *parts;
    cataloguePhase_ = true;
    localRoot_ = job_.tempFolder.Path();
    localPath_ = job_.tempFolder.FilePath("versions.xml");
    return std::nullopt;
}

TransferAttempt::Outcome TransferAttempt::OpenLocalFile(const std::string& root, const std::string& path) {
    // A link planted in the folder is refused here, and said so in the log.
    if (const std::error_code error = output_.Open(root, path)) {
        KT_DLOG(Warning) << "KTDownload : Can't open " << path << " : " << error.message();
        return WriteError(error);
    }
    return std::nullopt;
}

unsigned TransferAttempt::Cancelled(const char* journal) {
    Report(el::Level::Info, "KTDownload : Annulation par l'utilisateur", journal);
    job_.ctx.m_nDownloadStatus = -2;
    return kTransferCancelled;
}

unsigned TransferAttempt::WriteError(const std::error_code& error) {
    ShowDownloadError(job_, error.message(), error.value(), 0);
    return Fail("KTDownload : Write error during download",
                "MJ_DWL_DU_15 : Problème: écriture.");
}

unsigned TransferAttempt::SecureConnectionFailed(const std::string& address, int error) {
    const std::string reason = platform::CurlErrorText(error);
    if (platform::TlsFailureOf(error) == platform::TlsFailure::kUntrusted) {
        ShowDownloadError(job_, "Le certificat du serveur n'est pas reconnu : connexion refusée.", 0, 0);
        return Fail("KTDownload : Certificate not trusted for " + address + " : " + reason,
                    "MJ_DWL_TLS_1 : Problème: certificat du serveur non reconnu.");
    }
    ShowDownloadError(job_, "Le serveur n'accepte pas de connexion sécurisée : connexion refusée.", 0, 0);
    return Fail("KTDownload : Secure connexion refused by " + address + " : " + reason,
                "MJ_DWL_TLS_2 : Problème: connexion sécurisée impossible.");
}

void TransferAttempt::Journal(const char* message) { run::WriteJournal(job_.ctx, 0, 0, message); }

void TransferAttempt::Report(el::Level level, const std::string& logLine, const char* journalLine) {
    run::Report(job_.ctx, {level, logLine, journalLine, run::LogSource::kDownload});
}

unsigned TransferAttempt::Fail(const std::string& logLine, const char* journalLine) {
    return run::ReportFailure(job_.ctx, {el::Level::Warning, logLine, journalLine, run::LogSource::kDownload},
                              kTransferFailed);
}

void TransferAttempt::SetText(int control, int stringId) { job_.dialog.SetText(control, strings::LoadString(stringId)); }

}  // namespace kt::download
