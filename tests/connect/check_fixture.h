// The connection check with scripted dial-up and firewall services, a
// network state of the test's choosing and recorded pauses.
#pragma once

#include <chrono>
#include <cstdlib>
#include <list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "connect/internet_connection.h"
#include "connect/scripted_dialer.h"
#include "connect/scripted_firewall.h"
#include "connect_fixture.h"

namespace kt::test {

// Sets an environment variable for the life of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (old_) setenv(name_.c_str(), old_->c_str(), 1);
        else unsetenv(name_.c_str());
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::string name_;
    std::optional<std::string> old_;
};

class CheckTest : public ConnectTest {
protected:
    CheckTest() {
        // The proxy environment of the machine must not decide the tests.
        SetProxy("UseIE", "0");
    }

    connect::ConnectionServices Services() {
        connect::ConnectionServices services;
        services.dialer = dialer;
        services.firewall = firewall;
        services.isNetworkConnected = [this] { return networkUp; };
        services.pause = [this](std::chrono::milliseconds length) { pauses.push_back(length); };
        services.connectedHold = std::chrono::milliseconds(50);
        return services;
    }

    // Made at first use, with the dialer and firewall the test has chosen by then.
    connect::InternetConnection& Connection() {
        if (!connection) connection = std::make_unique<connect::InternetConnection>(ctx, Services());
        return *connection;
    }
    int Check(const std::list<std::string>& urls, std::string* found = nullptr) {
        return Connection().IsInternetConnection(owner, urls, found);
    }

    static constexpr hostsuite::Window owner = nullptr;
    bool networkUp = true;
    std::vector<std::chrono::milliseconds> pauses;
    std::shared_ptr<connect::ScriptedDialer> dialer =
        std::make_shared<connect::ScriptedDialer>(connect::ScriptedDialer::Script{});
    std::shared_ptr<connect::ScriptedFirewall> firewall =
        std::make_shared<connect::ScriptedFirewall>(std::deque<bool>{true});
    std::unique_ptr<connect::InternetConnection> connection;
};

}  // namespace kt::test
