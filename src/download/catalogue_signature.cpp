// The check of the catalogue's signature. A publisher signs versions.xml
// with its Ed25519 key; the signature, versions.xml.sig (64 bytes), lies
// beside it on the server. The public keys the module trusts are the PEM
// blocks of catalogue_keys.pem in the application folder (several, so that
// a key can be rolled over). Without that file catalogues are read
// unchecked; with it, a catalogue whose signature is missing or does not
// verify is refused before anything is read from it, and a key file that
// cannot be read refuses every catalogue rather than trusting none.
#include <filesystem>
#include <fstream>
#include <sstream>

#include "download/download_messages.h"
#include "download/proxy_checks.h"
#include "download/transfer_attempt.h"
#include "download/transfer_session.h"
#include "platform/http_file.h"
#include "platform/signing_keys.h"

namespace kt::download {
namespace {

constexpr const char* kKeysName = "catalogue_keys.pem";
constexpr const char* kSignatureName = "versions.xml.sig";
// A signature is 64 bytes; anything much longer is not one.
constexpr std::size_t kSignatureLimit = 1024;
constexpr std::size_t kReadSize = 1024;

std::optional<std::string> ReadWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    if (in.bad()) return std::nullopt;
    return bytes.str();
}

template <typename Remote>
std::optional<std::string> ReadSmallFile(Remote& remote, const platform::StopCheck& stop, bool& stopped) {
    std::string bytes;
    for (;;) {
        const platform::FtpRead read = remote.Take(kReadSize, stop);
        if (read.status == platform::FtpStatus::kStopped) stopped = true;
        if (read.status != platform::FtpStatus::kOk) return std::nullopt;
        if (read.size == 0) return bytes;
        bytes.append(read.data, read.size);
        if (bytes.size() > kSignatureLimit) return std::nullopt;
    }
}

}  // namespace

TransferAttempt::Outcome TransferAttempt::VerifyCatalogue() {
    const std::string keysPath = (std::filesystem::path(job_.ctx.appDir) / kKeysName).string();
    std::error_code ec;
    if (!std::filesystem::exists(keysPath, ec)) return std::nullopt;

    const auto refuse = [this](const std::string& reason) -> unsigned {
        ShowDownloadError(job_,
                          "La liste des mises à jour du serveur n'est pas signée par l'éditeur : "
                          "aucune mise à jour n'est téléchargée.",
                          0, 0);
        return Fail("KTDownload : versions.xml refused : " + reason,
                    "MJ_DWL_SIG_1 : Problème: signature de versions.xml.");
    };
    platform::SigningKeys keys;
    const auto pem = ReadWhole(keysPath);
    if (!pem || !keys.Load(*pem) || keys.Count() == 0) return refuse(std::string("no usable key in ") + kKeysName);

    std::optional<std::string> signature;
    if (const Outcome end = FetchSignature(current_, signature)) return end;
    if (!signature) return refuse(std::string("no ") + kSignatureName);
    const auto catalogue = ReadWhole(job_.tempFolder.FilePath("versions.xml"));
    if (!catalogue || !keys.Verifies(*catalogue, *signature)) return refuse("wrong signature");
    KT_DLOG(Info) << "KTDownload : Signature of versions.xml verified";
    return std::nullopt;
}

TransferAttempt::Outcome TransferAttempt::FetchSignature(const connect::UrlParts& at,
                                                         std::optional<std::string>& signature) {
    const std::string::size_type slash = at.object.rfind('/');
    const std::string object = at.object.substr(0, slash + 1) + kSignatureName;
    bool stopped = false;
    if (at.service == connect::UrlService::kHttp) {
        platform::HttpFile http(session_, connect::ServerRoot(at), object);
        ProxyChecks proxy(job_.ctx, job_.internet);
        if (http.Request().Handle() != nullptr && proxy.CheckProxyStatus(http.Request()) == 1) {
            http.OpenFile();
            signature = ReadSmallFile(http, job_.stopWanted, stopped);
        }
    } else {
        platform::FtpClient ftp(session_, at.server, at.port, job_.account, ProxyAccount(job_.internet), at.secure);
        const platform::FtpStatus login = ftp.Connect(job_.stopWanted);
        stopped = login == platform::FtpStatus::kStopped;
        if (login == platform::FtpStatus::kOk) {
            ftp.OpenFile(object);
            signature = ReadSmallFile(ftp, job_.stopWanted, stopped);
        }
    }
    if (stopped && job_.cancel.Poll()) return Cancelled("MJ_DWL_DU : Annulé par l'utilisateur.");
    return std::nullopt;
}

}  // namespace kt::download
