// The Internet connection check of the application object: brings the link
// up (dial-up or network), makes sure the firewall lets the host program
// through, and finds the first server address that answers: an FTP server
// (plain or with TLS) that accepts an anonymous login, or an HTTP server
// (plain or with TLS) that accepts a connection. A TLS server must show a
// certificate the workstation trusts. It also keeps the dial-up connection it opened, which the
// update run hangs up once the download is over.
#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <list>
#include <memory>
#include <optional>
#include <string>

#include "connect/dialer.h"
#include "connect/firewall.h"
#include "hostsuite/presenter.h"
#include "platform/curl_session.h"
#include "log/activity_log.h"
#include "run/run_context.h"

namespace kt::connect {

// What the check works with besides the run context; a service left out is
// the workstation's own.
struct ConnectionServices {
    std::shared_ptr<Dialer> dialer;
    std::shared_ptr<Firewall> firewall;
    std::function<bool()> isNetworkConnected;
    std::function<void(std::chrono::milliseconds)> pause;
    // How long "Connexion établie!" shows in the dial-up dialog.
    std::chrono::milliseconds connectedHold{2000};

    // These services, the workstation's own standing in for those left out.
    ConnectionServices Completed() const;
};

class InternetConnection {
public:
    explicit InternetConnection(run::RunContext& ctx, ConnectionServices services = {});

    // 1 when a server of `urls` (tried in order) answered; its
    // address then goes into `found` when given. 0 on every failure, which
    // is logged and journalled but never shown.
    [[nodiscard]] int IsInternetConnection(std::list<std::string> urls, std::string* found);
    // False only when the firewall still blocks the host program after a
    // rule was added for it.
    bool CheckFirewall();

    // The dial-up connection the last check opened; 0 when none.
    DialHandle DialupHandle() const { return dialupHandle_; }
    // Hangs up that connection, if any.
    void HangUpDialup();

    Dialer& GetDialer() { return *services_.dialer; }

private:
    // The link: dial-up or network. False ends the check.
    bool BringLinkUp(const std::string& appId);
    bool DialUp(const std::string& appId);
    bool CheckNetwork();
    // The first address whose server answers.
    std::optional<std::string> FindServer(const platform::InternetSession& session,
                                          const std::list<std::string>& urls);
    // Reports a failure of TLS (an untrusted certificate, TLS refused);
    // false when the failure has another cause.
    bool ReportTlsFailure(const std::string& url, int error);
    void Journal(const char* message);
    // The log line at `level`, then the matching journal line.
    void Report(el::Level level, const std::string& logLine, const char* journalLine);

    run::RunContext& ctx_;
    ConnectionServices services_;
    std::atomic<DialHandle> dialupHandle_{0};
};

}  // namespace kt::connect
