// A workstation for the connection tests: a temporary tree with appid.xml, a
// run context, the activity log and the failure journal to read back, and a
// scripted presenter whose transcript records what the user saw. CheckTest
// adds the connection check with scripted dial-up and firewall services, a
// network state of the test's choosing and recorded pauses.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <list>
#include <memory>
#include <sstream>
#include <string>
#include <variant>
#include <vector>

#include "config/config_paths.h"
#include "config/default_config.h"
#include "config/node_data.h"
#include "connect/internet_connection.h"
#include "connect/scripted_dialer.h"
#include "connect/scripted_firewall.h"
#include "hostsuite/script_parser.h"
#include "hostsuite/scripted_presenter.h"
#include "hostsuite/transcript_writer.h"
#include "support/temp_tree.h"
#include "update/activity_log.h"
#include "update/run_context.h"

namespace kt::test {

using Strings = std::vector<std::string>;

inline Strings Lines(const std::string& text) {
    Strings lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}
inline int Count(const Strings& lines, const std::string& line) {
    return static_cast<int>(std::count(lines.begin(), lines.end(), line));
}

class ConnectTest : public ::testing::Test {
protected:
    ConnectTest() {
        update::ConfigureActivityLog();
        ctx.appDir = tree.MakeDir("app").string() + "/";
        ctx.appTitle = "Talvo";
        ctx.version = ctx.compatVersion = "5.2.0";
        ctx.updateDir = tree.MakeDir("UpdateInfo").string();
        ctx.updateDirSlash = ctx.updateDir + "/";
        config::CreateDefaultConfig(ctx, "{1A2B3C4D-5E6F-7a8b-9C0D-1E2F3A4B5C6D}");
        UseScript("");
        logStart = Lines(ReadFile(update::ActivityLogPath())).size();
    }
    ~ConnectTest() override { hostsuite::InstallPresenter(nullptr); }

    void SetUpdate(const char* attribute, const char* value) const {
        ASSERT_EQ(config::SetNodeData(config::AppIdPath(ctx), "Workstation", "Update", nullptr, attribute, value), 1);
    }
    void SetProxy(const char* attribute, const std::string& value) const {
        ASSERT_EQ(config::SetNodeData(config::AppIdPath(ctx), "Update", "Proxy", nullptr, attribute, value.c_str()), 1);
    }

    // Answers from `script` (the scripted presenter's language) from now on.
    void UseScript(const std::string& script) {
        auto parsed = hostsuite::ParseScript(script);
        ASSERT_TRUE(std::holds_alternative<hostsuite::Script>(parsed)) << std::get<hostsuite::ScriptError>(parsed).message;
        transcriptPath = (tree / ("transcript-" + std::to_string(++scripts) + ".txt")).string();
        hostsuite::InstallPresenter(std::make_shared<hostsuite::ScriptedPresenter>(
            std::get<hostsuite::Script>(parsed), hostsuite::TranscriptWriter::Open(transcriptPath)));
    }
    Strings Transcript() const { return Lines(ReadFile(transcriptPath)); }
    bool Shown(const std::string& line) const { return Count(Transcript(), line) > 0; }

    // The activity log of the test (the set-up's lines left out) as "LEVEL message" lines.
    Strings Log() const {
        Strings lines;
        const std::string marker = std::string(" ") + update::kLogName + " : ";
        const Strings all = Lines(ReadFile(update::ActivityLogPath()));
        for (std::size_t i = logStart; i < all.size(); ++i) {
            const auto at = all[i].find(marker);
            if (at != std::string::npos) lines.push_back(all[i].substr(0, all[i].find(' ')) + " " + all[i].substr(at + marker.size()));
        }
        return lines;
    }
    bool Logged(const std::string& line) const { return Count(Log(), line) > 0; }
    // The failure journal's messages, without their times.
    Strings Journal() const {
        Strings messages;
        for (std::string line : Lines(ReadFile(ctx.appDir + "mjlog.log"))) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (const auto at = line.find(" - "); at != std::string::npos) messages.push_back(line.substr(at + 3));
        }
        return messages;
    }

    TempTree tree;
    update::RunContext ctx;
    std::string transcriptPath;
    int scripts = 0;
    std::size_t logStart = 0;
};

class CheckTest : public ConnectTest {
protected:
    // The proxy environment of the machine must not decide the tests.
    CheckTest() { SetProxy("UseIE", "0"); }

    // Made at first use, with the dialer and firewall the test has chosen by then.
    connect::InternetConnection& Connection() {
        if (!connection) {
            connect::ConnectionServices services{dialer, firewall, [this] { return networkUp; },
                                                 [this](std::chrono::milliseconds length) { pauses.push_back(length); },
                                                 std::chrono::milliseconds(50)};
            connection = std::make_unique<connect::InternetConnection>(ctx, services);
        }
        return *connection;
    }
    int Check(const std::list<std::string>& urls, std::string* found = nullptr) {
        return Connection().IsInternetConnection(nullptr, urls, found);
    }

    bool networkUp = true;
    std::vector<std::chrono::milliseconds> pauses;
    std::shared_ptr<connect::ScriptedDialer> dialer = std::make_shared<connect::ScriptedDialer>(connect::ScriptedDialer::Script{});
    std::shared_ptr<connect::ScriptedFirewall> firewall = std::make_shared<connect::ScriptedFirewall>(std::deque<bool>{true});
    std::unique_ptr<connect::InternetConnection> connection;
};

}  // namespace kt::test
