#include "connect/internet_connection.h"

#include <thread>

#include "config/config_paths.h"
#include "connect/check_firewall.h"
#include "connect/check_settings.h"
#include "connect/default_dialer.h"
#include "connect/default_firewall.h"
#include "connect/url_parts.h"
#include "platform/curl_ftp_connection.h"
#include "platform/network_state.h"
#include "platform/tls_failure.h"
#include "log/activity_log.h"
#include "run/failure_journal.h"
#include "run/run_report.h"

namespace kt::connect {

ConnectionServices ConnectionServices::Completed() const {
    ConnectionServices services = *this;
    if (!services.dialer) services.dialer = std::make_shared<DefaultDialer>();
    if (!services.firewall) services.firewall = std::make_shared<DefaultFirewall>();
    if (!services.isNetworkConnected) services.isNetworkConnected = &platform::IsNetworkConnected;
    if (!services.pause) {
        services.pause = [](std::chrono::milliseconds length) { std::this_thread::sleep_for(length); };
    }
    return services;
}

InternetConnection::InternetConnection(run::RunContext& ctx, ConnectionServices services)
    : ctx_(ctx), services_(services.Completed()) {}

void InternetConnection::Journal(const char* message) { run::WriteJournal(ctx_, 0, 0, message); }

void InternetConnection::Report(el::Level level, const std::string& logLine, const char* journalLine) {
    run::Report(ctx_, {level, logLine, journalLine});
}

int InternetConnection::IsInternetConnection(std::list<std::string> urls, std::string* found) {
    const std::string appId = config::AppIdPath(ctx_);
    Report(el::Level::Info, "Check internet connexion : start", "MJ_MAIN_IIC : Démarrage IIC.");
    if (!BringLinkUp(appId)) return 0;
    if (!CheckFirewall()) {
        KT_LOG(Error) << "Error with windows firewall";
        return 0;
    }
    const auto session = ReadSessionSettings(ctx_, appId);
    if (!session) return 0;
    const auto answered = FindServer(*session, urls);
    if (!answered) {
        Report(el::Level::Warning, "Check internet connexion : error. Problem with url ", "MJ_MAIN_IIC_11 : Problème de URL !");
        return 0;
    }
    if (found != nullptr) *found = *answered;
    const auto parts = SplitUrl(*answered);
    if (parts && parts->service == UrlService::kHttp) {
        Report(el::Level::Info, "HTTP url is found", "MJ_MAIN_IIC : Un URL HTTP est trouvé.");
    } else {
        Report(el::Level::Info, "FTP url is found", "MJ_MAIN_IIC : Un URL FTP est trouvé.");
    }
    KT_LOG(Info) << "Check internet connexion : OK";
    return 1;
}

std::optional<std::string> InternetConnection::FindServer(const platform::InternetSession& session,
                                                          const std::list<std::string>& urls) {
    for (const std::string& url : urls) {
        KT_LOG(Info) << "Test url : " << url;
        const auto parts = SplitUrl(url);
        if (!parts || parts->service == UrlService::kOther) {
            Report(el::Level::Warning, "Problem with url " + url + " : no HTTP or FTP",
                   "MJ_MAIN_IIC_8 : Problème dans le URL (Ni FTP, ni HTTP) !");
            continue;
        }
        const bool ftp = parts->service == UrlService::kFtp;
        const int error = ftp ? platform::OpenFtpConnection(session, parts->server, parts->port, parts->secure)
                              : platform::OpenHttpConnection(session, parts->server, parts->port, parts->secure);
        if (error == 0) {
            Report(el::Level::Info, "Internet session closed", "MJ_MAIN_IIC : Session ferméé.");
            return url;
        }
        if (ReportTlsFailure(url, error)) continue;
        if (ftp) {
            Report(el::Level::Warning, "FTP connexion problem : exception catched " + std::to_string(error),
                   "MJ_MAIN_IIC_9 : Problème de la connexion FTP !");
        } else {
            Report(el::Level::Warning, "HTTP connexion problem : exception catched " + std::to_string(error),
                   "MJ_MAIN_IIC_10 : Problème de la connexion HTTP !");
        }
    }
    return std::nullopt;
}

bool InternetConnection::ReportTlsFailure(const std::string& url, int error) {
    const std::string reason = platform::CurlErrorText(error);
    switch (platform::TlsFailureOf(error)) {
        case platform::TlsFailure::kUntrusted:
            Report(el::Level::Warning, "Certificate of url " + url + " is not trusted : " + reason,
                   "MJ_MAIN_IIC_12 : Certificat du serveur non reconnu !");
            return true;
        case platform::TlsFailure::kRefused:
            Report(el::Level::Warning, "Secure connexion refused by url " + url + " : " + reason,
                   "MJ_MAIN_IIC_13 : Connexion sécurisée impossible !");
            return true;
        case platform::TlsFailure::kNone:
            break;
    }
    return false;
}

bool InternetConnection::CheckFirewall() { return connect::CheckFirewall(ctx_, *services_.firewall); }

void InternetConnection::HangUpDialup() {
    const DialHandle handle = dialupHandle_.exchange(0);
    if (handle != 0) services_.dialer->HangUp(handle);
}

}  // namespace kt::connect
