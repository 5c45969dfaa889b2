// The connection check with scripted dial-up and firewall services, a chosen network state, recorded pauses.
#pragma once

#include <algorithm>
#include <chrono>
#include <list>
#include <memory>

#include "connect/internet_connection.h"
#include "connect/scripted_dialer.h"
#include "connect/scripted_firewall.h"
#include "support/workstation.h"

namespace kt::test {

class CheckTest : public ConfiguredWorkstation {
protected:
    // The proxy environment of the machine must not decide the tests.
    CheckTest() { UseScript(""), SetProxy("UseIE", "0"); }

    // Made at first use, with the dialer and firewall the test has chosen by then.
    connect::InternetConnection& Connection() {
        if (!connection) {
            connection = std::make_unique<connect::InternetConnection>(
                ctx, connect::ConnectionServices{dialer, firewall, [this] { return networkUp; },
                                                 [this](std::chrono::milliseconds length) { pauses.push_back(length); },
                                                 std::chrono::milliseconds(50)});
        }
        return *connection;
    }
    int Check(const std::list<std::string>& urls, std::string* found = nullptr) { return Connection().IsInternetConnection(urls, found); }

    bool networkUp = true;
    std::vector<std::chrono::milliseconds> pauses;
    std::shared_ptr<connect::ScriptedDialer> dialer = std::make_shared<connect::ScriptedDialer>(connect::ScriptedDialer::Script{});
    std::shared_ptr<connect::ScriptedFirewall> firewall = std::make_shared<connect::ScriptedFirewall>(std::deque<bool>{true});
    std::unique_ptr<connect::InternetConnection> connection;
};

}  // namespace kt::test
