// A workstation for the tests that run the module's dialogs: a temporary tree
// with appid.xml, a run context, the activity log and the failure journal to
// read back, and a scripted presenter whose transcript records what the user saw.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
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
#include "support/activity_log_reader.h"
#include "support/temp_tree.h"
#include "log/activity_log.h"
#include "run/run_context.h"

namespace kt::test {

inline constexpr const char* kGuid = "{1A2B3C4D-5E6F-7a8b-9C0D-1E2F3A4B5C6D}";

class WorkstationTest : public ::testing::Test {
protected:
    using Strings = std::vector<std::string>;

    WorkstationTest() {
        log::ConfigureActivityLog();
        ctx.appDir = tree.MakeDir("app").string() + "/";
        ctx.appTitle = "Talvo";
        ctx.version = ctx.compatVersion = "5.2.0";
        ctx.updateDir = tree.MakeDir("UpdateInfo").string();
        ctx.updateDirSlash = ctx.updateDir + "/";
        config::CreateDefaultConfig(ctx, kGuid);
        UseScript("");
        logStart_ = Lines(ReadActivityLog()).size();
    }
    ~WorkstationTest() override { hostsuite::InstallPresenter(nullptr); }

    void SetUpdate(const char* attribute, const std::string& value) const {
        ASSERT_EQ(config::SetNodeData(config::AppIdPath(ctx), "Workstation", "Update", nullptr, attribute, value.c_str()), 1);
    }
    void SetProxy(const char* attribute, const std::string& value) const {
        ASSERT_EQ(config::SetNodeData(config::AppIdPath(ctx), "Update", "Proxy", nullptr, attribute, value.c_str()), 1);
    }

    // Answers from `script` (the scripted presenter's language) from now on.
    void UseScript(const std::string& script) {
        auto parsed = hostsuite::ParseScript(script);
        ASSERT_TRUE(std::holds_alternative<hostsuite::Script>(parsed)) << std::get<hostsuite::ScriptError>(parsed).message;
        transcriptPath_ = (tree / ("transcript-" + std::to_string(++scripts_) + ".txt")).string();
        scripted = std::make_shared<hostsuite::ScriptedPresenter>(std::get<hostsuite::Script>(parsed),
                                                                  hostsuite::TranscriptWriter::Open(transcriptPath_));
        hostsuite::InstallPresenter(scripted);
    }
    Strings Transcript() const { return Lines(ReadFile(transcriptPath_)); }
    bool Shown(const std::string& line) const { return Contains(Transcript(), line); }
    // The transcript's message boxes.
    Strings Messages() const {
        Strings messages;
        for (const std::string& line : Transcript()) {
            if (line.rfind("message ", 0) == 0) messages.push_back(line);
        }
        return messages;
    }

    // The activity log of the test (the set-up's lines left out) as "LEVEL message" lines.
    Strings Log() const {
        Strings lines;
        const std::string marker = std::string(" ") + log::kLogName + " : ";
        const Strings all = Lines(ReadActivityLog());
        for (std::size_t i = logStart_; i < all.size(); ++i) {
            const auto at = all[i].find(marker);
            if (at != std::string::npos) lines.push_back(all[i].substr(0, all[i].find(' ')) + " " + all[i].substr(at + marker.size()));
        }
        return lines;
    }
    bool Logged(const std::string& line) const { return Contains(Log(), line); }
    // The failure journal's messages, without their times.
    Strings Journal() const {
        Strings messages;
        for (std::string line : Lines(ReadFile(ctx.appDir + "mjlog.log"))) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (const auto at = line.find(" - "); at != std::string::npos) messages.push_back(line.substr(at + 3));
        }
        return messages;
    }
    bool Journaled(const std::string& message) const { return Contains(Journal(), message); }

    static Strings Lines(const std::string& text) {
        Strings lines;
        std::istringstream in(text);
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
    static bool Contains(const Strings& lines, const std::string& line) {
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }
    // `wanted` appear in `lines` in this order, others between them allowed.
    static bool InOrder(const Strings& lines, const Strings& wanted) {
        auto at = lines.begin();
        for (const std::string& line : wanted) {
            at = std::find(at, lines.end(), line);
            if (at == lines.end()) return false;
            ++at;
        }
        return true;
    }

    TempTree tree;
    run::RunContext ctx;
    // The presenter UseScript installed last.
    std::shared_ptr<hostsuite::Presenter> scripted;

private:
    std::string transcriptPath_;
    int scripts_ = 0;
    std::size_t logStart_ = 0;
};

}  // namespace kt::test
