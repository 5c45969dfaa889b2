// One file of an attempt, the catalogue or a package, from an FTP or an
// HTTP server: found on the server (FTP) or asked for (HTTP),
// read in pieces of 1024 bytes with the cancel checked before and after
// each, written to the local file, slowed down to the speed limit, and
// checked against the size the server announced.
#include <filesystem>

#include "download/download_controls.h"
#include "download/progress_text.h"
#include "download/proxy_checks.h"
#include "download/speed_limit.h"
#include "download/transfer_attempt.h"
#include "download/transfer_session.h"
#include "download/transfers.h"
#include "log/activity_log.h"
#include "platform/http_file.h"
#include "platform/tls_failure.h"

namespace kt::download {
namespace {

constexpr int kConnected = 1006;
constexpr int kDownloading = 1083;
constexpr int kDownloadUnderWay = 1070;
constexpr std::size_t kReadSize = 1024;

}  // namespace

TransferAttempt::Outcome TransferAttempt::FetchFile() {
    if (cataloguePhase_) {
        SetText(kStatusLine1, 1081);
        SetText(kStatusLine2, 1082);
        job_.dialog.SetText(kOverallLabel, "");
    } else {
        SetText(kOverallLabel, 1013);
    }
    if (current_.service == connect::UrlService::kHttp) return FetchHttpFile();
    platform::FtpClient ftp(session_, current_.server, current_.port, job_.account, ProxyAccount(job_.internet),
                            current_.secure);
    platform::FtpStatus status = ftp.Connect(job_.stopWanted);
    std::int64_t size = -1;
    if (status == platform::FtpStatus::kOk) {
        SetText(kOperationStatus, kConnected);
        status = ftp.Find(current_.object, size, job_.stopWanted);
        if (status == platform::FtpStatus::kNotFound) return FileNotFound(ftp);
    }
    if (status == platform::FtpStatus::kStopped && job_.cancel.Poll()) {
        return Cancelled("MJ_DWL_DU : Annulé par l'utilisateur.");
    }
    if (status == platform::FtpStatus::kFailed && platform::TlsFailureOf(ftp.LastError()) != platform::TlsFailure::kNone) {
        return SecureConnectionFailed(connect::ServerRoot(current_), ftp.LastError());
    }
    if (status != platform::FtpStatus::kOk) {
        return Fail("KTDownload : Error with FTP connexion",
                    "MJ_DWL_DU_10 : Problème: connexion FTP - connexion.");
    }
    if (size >= 0) job_.dialog.SetRange(kFileBar, 0, ProgressRange(static_cast<std::uint64_t>(size)));
    ftp.OpenFile(current_.object);
    return ReadFile(ftp, size);
}

TransferAttempt::Outcome TransferAttempt::FetchHttpFile() {
    platform::HttpFile http(session_, connect::ServerRoot(current_), current_.object);
    if (http.Request().Handle() == nullptr) {
        return Fail("KTDownload : Failed to open HTTP connexion", "MJ_DWL_DU_13 : Problème: connexion HTTP - request.");
    }
    ProxyChecks proxy(job_.ctx, job_.internet);
    if (proxy.CheckProxyStatus(http.Request()) == 0) {
        const int error = http.Request().LastError();
        if (platform::TlsFailureOf(error) != platform::TlsFailure::kNone) {
            return SecureConnectionFailed(connect::ServerRoot(current_), error);
        }
        return kProxyRequestRefused;
    }
    Journal("MJ_DWL_DU : Connexion assurée.");
    SetText(kOperationStatus, kConnected);
    const std::int64_t size = http.Request().ContentLength();
    if (size >= 0) job_.dialog.SetRange(kFileBar, 0, ProgressRange(static_cast<std::uint64_t>(size)));
    http.OpenFile();
    return ReadFile(http, size);
}

TransferAttempt::Outcome TransferAttempt::FileNotFound(platform::FtpClient& ftp) {
    Report(el::Level::Warning, "KTDownload : Error with FTP connexion : can't find file : " + current_.object,
           "MJ_DWL_DU_11 : Problème: connexion FTP - find.");
    const std::string::size_type slash = current_.object.rfind('/');
    const std::string directory = slash == std::string::npos ? std::string() : current_.object.substr(0, slash);
    const platform::FtpStatus status = ftp.FindDirectory(directory, job_.stopWanted);
    if (status == platform::FtpStatus::kStopped && job_.cancel.Poll()) {
        return Cancelled("MJ_DWL_DU : Annulé par l'utilisateur.");
    }
    if (status != platform::FtpStatus::kNotFound) return kTransferFailed;
    KT_DLOG(Warning) << "KTDownload : Error with FTP connexion : can't find directory : " << directory;
    return kNoFileNorFolder;
}

template <typename Remote>
TransferAttempt::Outcome TransferAttempt::ReadFile(Remote& remote, std::int64_t size) {
    KT_DLOG(Info) << "KTDownload : " << current_.object << " : download starts";
    const auto start = TransferProgress::Clock::now();
    std::uint64_t bytes = 0;
    if (!cataloguePhase_) {
        SetText(kFileLabel, kDownloading);
        SetText(kOperationStatus, kDownloadUnderWay);
        progress_.StartFile(size, start);
    }
    // While the server keeps the next bytes waiting, the dialog shows all that arrived.
    const platform::StopCheck waiting = [this] {
        if (!cataloguePhase_) progress_.ShowPendingCounts();
        return job_.stopWanted();
    };
    bool readFailed = false;
    char buffer[kReadSize];
    for (;;) {
        if (job_.cancel.Poll()) return Cancelled("MJ_DWL_DU : Annulé par l'utilisateur.");
        const platform::FtpRead read = remote.Read(buffer, sizeof buffer, waiting);
        if (read.status == platform::FtpStatus::kNotFound) {
            return Fail(std::string("KTDownload : Error with FTP connexion open file ") + current_.object,
                        "MJ_DWL_DU_12 : Problème: connexion FTP - openfile.");
        }
        if (read.status == platform::FtpStatus::kFailed) {
            Report(el::Level::Warning, "KTDownload : Read error during download", "MJ_DWL_DU_14 : Problème: lecture.");
            readFailed = true;
            break;
        }
        if (read.status == platform::FtpStatus::kOk && read.size > 0) {
            if (const std::error_code error = output_.Write(buffer, read.size)) return WriteError(error);
            ApplySpeedLimit(bytes, start);
            bytes += read.size;
            if (!cataloguePhase_) progress_.Add(read.size, TransferProgress::Clock::now());
        }
        if (job_.cancel.Poll()) return Cancelled("MJ_DWL_DU : Annuleé par l'utilisateur.");
        if (read.status == platform::FtpStatus::kOk && read.size == 0) break;
    }

    KT_DLOG(Info) << "KTDownload : Download ends";
    const std::string path = output_.Path();
    if (const std::error_code error = output_.Close()) return WriteError(error);
    remote.CloseFile();
    if (!cataloguePhase_) progress_.ShowCounts();
    // Without an announced size a broken read is the only sign that the
    // file is incomplete.
    const bool tooShort = size >= 0 ? bytes < static_cast<std::uint64_t>(size) : readFailed;
    if (tooShort) {
        std::error_code ec;
        std::filesystem::remove(path, ec);
        return Fail(std::string("KTDownload : Wrong size for file ") + path + " : File deleted",
                    "MJ_DWL_DU_15 : Problème: taille differente.");
    }
    return std::nullopt;
}

void TransferAttempt::ApplySpeedLimit(std::uint64_t bytesBefore, TransferProgress::Clock::time_point start) {
    const double limit = job_.internet.speedLimit;
    if (!(limit > 0.0)) return;
    const auto pause = SpeedLimitPause(limit, bytesBefore, TransferProgress::Clock::now() - start);
    // The pause ends early when the user cancels; the check after the read acts on it.
    if (pause.count() > 0) job_.cancel.WaitSet(pause);
}

}  // namespace kt::download
