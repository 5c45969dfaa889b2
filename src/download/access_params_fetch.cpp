// The first phase of an FTP attempt: ftpacs.bin, fetched anonymously from
// the server's base folder into the temporary folder, gives the login of
// the server's account for the catalogue and the packages.
#include "download/download_controls.h"
#include "download/download_messages.h"
#include "download/ftp_access.h"
#include "download/proxy_checks.h"
#include "download/transfer_attempt.h"
#include "download/transfer_session.h"
#include "download/transfers.h"
#include "log/activity_log.h"
#include "platform/tls_failure.h"

namespace kt::download {
namespace {

constexpr int kConnecting = 1005;
constexpr int kSiteNotFound = 1059;
constexpr std::size_t kReadSize = 1024;

}  // namespace

TransferAttempt::Outcome TransferAttempt::FetchAccessParams() {
    // An HTTP server has no account to log in with.
    if (base_.service == connect::UrlService::kHttp) {
        SetText(kOperationStatus, kConnecting);
        return std::nullopt;
    }
    const std::string localPath = job_.tempFolder.FilePath(kFtpAccessName);
    if (output_.Open(job_.tempFolder.Path(), localPath)) {
        return Fail("KTDownload : Error with FTP connexion write file",
                    "MJ_DWL_DU_9 : Problème: connexion FTP - writefile.");
    }
    SetText(kOperationStatus, kConnecting);
    const std::string address = job_.search.State().baseAddress + kFtpAccessName;
    const auto parts = connect::SplitUrl(address);
    if (!parts || parts->service != connect::UrlService::kFtp || parts->secure != base_.secure) {
        ShowDownloadError(job_, "", 0, kSiteNotFound);
        return Fail(std::string("KTDownload : Failed to parse url : ") + address,
                    "MJ_DWL_DU_5 : Problème: URL parse.");
    }
    ProxyChecks proxy(job_.ctx, job_.internet);
    if (proxy.CheckProxyStatus(session_, address) == 0) return kProxyAddressRefused;
    if (const Outcome end = CopyAccessFile(*parts)) return end;

    std::string user = job_.account.user;
    std::string password = job_.account.password;
    GetFTPAccessParams(job_.ctx, localPath, user, kFtpAccessChars, password, kFtpAccessChars);
    job_.account = {user, password};
    Journal("MJ_DWL_DU : Params de la connexion lu.");
    return std::nullopt;
}

TransferAttempt::Outcome TransferAttempt::CopyAccessFile(const connect::UrlParts& address) {
    platform::FtpClient ftp(session_, address.server, address.port, {}, ProxyAccount(job_.internet), address.secure);
    const platform::FtpStatus login = ftp.Connect(job_.stopWanted);
    if (login == platform::FtpStatus::kStopped && job_.cancel.Poll()) {
        return Cancelled("MJ_DWL_DU : Annulé par l'utilisateur.");
    }
    if (login == platform::FtpStatus::kFailed && platform::TlsFailureOf(ftp.LastError()) != platform::TlsFailure::kNone) {
        return SecureConnectionFailed(connect::ServerRoot(address), ftp.LastError());
    }
    if (login != platform::FtpStatus::kOk) {
        return Fail("KTDownload : Error with FTP connexion",
                    "MJ_DWL_DU_6 : Problème: connexion FTP - exception.");
    }
    Report(el::Level::Info, "KTDownload : FTP connexion confirmed", "MJ_DWL_DU : Connexion assurée.");

    ftp.OpenFile(address.object);
    for (;;) {
        if (job_.cancel.Poll()) return Cancelled("MJ_DWL_DU : Annulé par l'utilisateur.");
        const platform::FtpRead read = ftp.Take(kReadSize, job_.stopWanted);
        if (read.status == platform::FtpStatus::kStopped) continue;
        if (read.status == platform::FtpStatus::kNotFound) {
            return Fail(std::string("KTDownload : Error with FTP connexion open file ") + address.object,
                        "MJ_DWL_DU_7 : Problème: connexion FTP - openfile.");
        }
        if (read.status == platform::FtpStatus::kFailed) {
            return Fail("KTDownload : Error with FTP connexion read file",
                        "MJ_DWL_DU_8 : Problème: connexion FTP - readfile.");
        }
        if (read.size == 0) break;
        if (output_.Write(read.data, read.size)) {
            return Fail("KTDownload : Error with FTP connexion write file",
                        "MJ_DWL_DU_9 : Problème: connexion FTP - writefile.");
        }
    }
    if (output_.Close()) {
        return Fail("KTDownload : Error with FTP connexion write file",
                    "MJ_DWL_DU_9 : Problème: connexion FTP - writefile.");
    }
    return std::nullopt;
}

}  // namespace kt::download
