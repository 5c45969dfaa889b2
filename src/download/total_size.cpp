// The pass before the package transfers that adds up the sizes of the
// packages on the server, for the overall progress bar and the remaining
// time. It has its own session and one login per package.
#include <cerrno>

#include "connect/url_parts.h"
#include "strings/string_table.h"
#include "download/download_controls.h"
#include "download/download_messages.h"
#include "download/proxy_checks.h"
#include "download/transfer_session.h"
#include "download/transfers.h"
#include "platform/http_file.h"
#include "run/failure_journal.h"

namespace kt::download {
namespace {

constexpr int kComputing = 1068;
constexpr int kDownloadError = 1063;

class SizePass {
public:
    explicit SizePass(DownloadJob& job) : job_(job) {}

    std::uint64_t Run(const DownloadList& list) {
        job_.dialog.SetText(kOperationStatus, strings::LoadString(kComputing));
        const auto session = MakeTransferSession(job_.internet);
        if (!session) {
            ShowDownloadError(job_, "", EINVAL, kDownloadError);
            Journal("MJ_DWL_GTS_1 : Problème: session.");
            return 0;
        }
        std::uint64_t total = 0;
        for (const DownloadItem& item : list) {
            if (!item.added) continue;
            if (!AddSize(*session, item.source, total)) break;
        }
        return total;
    }

private:
    // Adds the size of the package at `source`; false stops the pass.
    bool AddSize(const platform::InternetSession& session, const std::string& source, std::uint64_t& total) {
        const auto parts = connect::SplitUrl(source);
        if (!parts || parts->service == connect::UrlService::kOther) {
            Journal("MJ_DWL_GTS_4 : Problème: URL parse.");
            return false;
        }
        ProxyChecks proxy(job_.ctx, job_.internet);
        if (parts->service == connect::UrlService::kHttp) return AddHttpSize(session, *parts, proxy, total);
        if (proxy.CheckProxyStatus(session, source) == 0) return false;
        platform::FtpClient ftp(session, parts->server, parts->port, job_.account, ProxyAccount(job_.internet),
                                parts->secure);
        platform::FtpStatus status = ftp.Connect(job_.stopWanted);
        if (status == platform::FtpStatus::kStopped) return false;
        if (status != platform::FtpStatus::kOk) {
            Journal("MJ_DWL_GTS_5 : Problème: connexion FTP - exception.");
            return false;
        }
        Journal("MJ_DWL_GTS : Connexion assurée.");
        std::int64_t size = -1;
        status = ftp.Find(parts->object, size, job_.stopWanted);
        if (status == platform::FtpStatus::kNotFound) Journal("MJ_DWL_GTS_6 : Problème: connexion FTP - find.");
        if (status == platform::FtpStatus::kFailed) Journal("MJ_DWL_GTS_7 : Problème: connexion FTP - openfile.");
        if (status != platform::FtpStatus::kOk) return false;
        if (size > 0) total += static_cast<std::uint64_t>(size);
        return true;
    }

    bool AddHttpSize(const platform::InternetSession& session, const connect::UrlParts& parts, ProxyChecks& proxy,
                     std::uint64_t& total) {
        platform::HttpFile http(session, connect::ServerRoot(parts), parts.object);
        if (http.Request().Handle() == nullptr) {
            Journal("MJ_DWL_GTS_8 : Problème: connexion HTTP - request.");
            return false;
        }
        if (proxy.CheckProxyStatus(http.Request()) == 0) return false;
        Journal("MJ_DWL_GTS : Connexion assurée.");
        const std::int64_t size = http.Request().ContentLength();
        if (size > 0) total += static_cast<std::uint64_t>(size);
        return true;
    }

    void Journal(const char* message) { run::WriteJournal(job_.ctx, 0, 0, message); }

    DownloadJob& job_;
};

}  // namespace

std::uint64_t GetTotalSize(DownloadJob& job, const DownloadList& list) { return SizePass(job).Run(list); }

}  // namespace kt::download
