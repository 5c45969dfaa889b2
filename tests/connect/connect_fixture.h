// A workstation for the connection tests: a temporary tree with appid.xml,
// a run context, the activity log and the failure journal to read back, and
// a scripted presenter whose transcript records what the user saw.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <memory>
#include <sstream>
#include <string>
#include <variant>
#include <vector>

#include "config/config_paths.h"
#include "config/default_config.h"
#include "config/node_data.h"
#include "hostsuite/script_parser.h"
#include "hostsuite/scripted_presenter.h"
#include "hostsuite/transcript_writer.h"
#include "support/temp_tree.h"
#include "update/activity_log.h"
#include "update/run_context.h"

namespace kt::test {

class ConnectTest : public ::testing::Test {
protected:
    ConnectTest() {
        update::ConfigureActivityLog();
        ctx.appDir = tree.MakeDir("app").string() + "/";
        ctx.appTitle = "Talvo";
        ctx.version = "5.2.0";
        ctx.compatVersion = "5.2.0";
        ctx.updateDir = tree.MakeDir("UpdateInfo").string();
        ctx.updateDirSlash = ctx.updateDir + "/";
        config::CreateDefaultConfig(ctx, "{1A2B3C4D-5E6F-7a8b-9C0D-1E2F3A4B5C6D}");
        UseScript("");
        logStart = AllLog().size();
    }
    ~ConnectTest() override { hostsuite::InstallPresenter(nullptr); }

    std::string AppId() const { return config::AppIdPath(ctx); }
    void SetUpdate(const char* attribute, const char* value) const {
        ASSERT_EQ(config::SetNodeData(AppId(), "Workstation", "Update", nullptr, attribute, value), 1);
    }
    void SetProxy(const char* attribute, const char* value) const {
        ASSERT_EQ(config::SetNodeData(AppId(), "Update", "Proxy", nullptr, attribute, value), 1);
    }

    // Answers from `script` (the scripted presenter's language) from now on.
    void UseScript(const std::string& script) {
        auto parsed = hostsuite::ParseScript(script);
        ASSERT_TRUE(std::holds_alternative<hostsuite::Script>(parsed)) << std::get<hostsuite::ScriptError>(parsed).message;
        transcriptPath = (tree / ("transcript-" + std::to_string(++scripts) + ".txt")).string();
        hostsuite::InstallPresenter(std::make_shared<hostsuite::ScriptedPresenter>(
            std::get<hostsuite::Script>(parsed), hostsuite::TranscriptWriter::Open(transcriptPath)));
    }
    std::vector<std::string> Transcript() const { return Lines(ReadFile(transcriptPath)); }
    bool Shown(const std::string& line) const { return Contains(Transcript(), line); }

    // The activity log of the test (the set-up's lines left out) as "LEVEL message" lines.
    std::vector<std::string> Log() const {
        std::vector<std::string> lines = AllLog();
        lines.erase(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(std::min(logStart, lines.size())));
        return lines;
    }
    std::vector<std::string> AllLog() const {
        std::vector<std::string> lines;
        const std::string marker = std::string(" ") + update::kLogName + " : ";
        for (const std::string& line : Lines(ReadFile(update::ActivityLogPath()))) {
            const auto at = line.find(marker);
            if (at != std::string::npos) lines.push_back(line.substr(0, line.find(' ')) + " " + line.substr(at + marker.size()));
        }
        return lines;
    }
    bool Logged(const std::string& line) const { return Contains(Log(), line); }
    // The failure journal's messages, without their times.
    std::vector<std::string> Journal() const {
        std::vector<std::string> messages;
        for (std::string line : Lines(ReadFile(ctx.appDir + "mjlog.log"))) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            const auto at = line.find(" - ");
            if (at != std::string::npos) messages.push_back(line.substr(at + 3));
        }
        return messages;
    }
    bool Journaled(const std::string& message) const { return Contains(Journal(), message); }

    static std::vector<std::string> Lines(const std::string& text) {
        std::vector<std::string> lines;
        std::istringstream in(text);
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
    static bool Contains(const std::vector<std::string>& lines, const std::string& line) {
        for (const std::string& each : lines) {
            if (each == line) return true;
        }
        return false;
    }

    TempTree tree;
    update::RunContext ctx;
    std::string transcriptPath;
    int scripts = 0;
    std::size_t logStart = 0;
};

}  // namespace kt::test
