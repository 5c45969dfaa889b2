// One workstation in a temporary tree, for every suite that needs one: the application (ending with "/", as the
// host gives it), data and update folders, a run context pointing at them, the activity log and the failure journal
// read back, and the user's answers (a recording presenter, or a script whose transcript records what was shown).
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <optional>
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
#include "log/activity_log.h"
#include "run/run_context.h"
#include "support/recording_presenter.h"
#include "support/temp_tree.h"

namespace kt::test {

inline constexpr const char* kGuid = "{1A2B3C4D-5E6F-7a8b-9C0D-1E2F3A4B5C6D}";
using Strings = std::vector<std::string>;

class Workstation : public ::testing::Test {
protected:
    Workstation() {
        if (const char* dataHome = std::getenv("XDG_DATA_HOME")) savedDataHome_ = dataHome;
        // The user's trash and data stay in the tree.
        setenv("XDG_DATA_HOME", tree.MakeDir("userdata").c_str(), 1);
        log::ConfigureActivityLog();
        hostsuite::InstallPresenter(presenter);
        ctx.appDir = tree.MakeDir("app").string() + "/";
        ctx.dataDir = tree.MakeDir("data").string();
        ctx.updateDir = tree.MakeDir("UpdateInfo").string();
        ctx.updateDirSlash = ctx.updateDir + "/";
        ctx.version = ctx.compatVersion = "5.2.0";
        ctx.appTitle = "Talvo";
        ctx.ownerWindow = &ownerTag;
        logStart_ = AllLogLines().size();
    }
    ~Workstation() override {
        hostsuite::InstallPresenter(nullptr);
        if (savedDataHome_) setenv("XDG_DATA_HOME", savedDataHome_->c_str(), 1);
        else unsetenv("XDG_DATA_HOME");
    }

    static std::tm LocalTime(int day, int month, int year, int hour = 12, int minute = 0, int second = 0) {
        std::tm time{};
        time.tm_year = year - 1900, time.tm_mon = month - 1, time.tm_mday = day;
        time.tm_hour = hour, time.tm_min = minute, time.tm_sec = second;
        return time;
    }
    // appid.xml and this workstation's state file as a first run makes them, on 31.3.2026.
    void CreateDefault() { ASSERT_EQ(config::CreateDefaultConfig(ctx, kGuid, LocalTime(31, 3, 2026)), 1); }

    std::string AppId() const { return config::AppIdPath(ctx); }
    std::string GuidFile() const { return ctx.updateDirSlash + kGuid + ".xml"; }
    std::string LockFile() const { return ctx.updateDirSlash + "updating.xml"; }
    std::string UpdateFile(const std::string& name) const { return config::UpdateFilePath(ctx, name); }
    void WriteAppId(const std::string& content) const { tree.WriteFile("app/appid.xml", content); }
    void SetUpdate(const char* attribute, const std::string& value) const {
        ASSERT_EQ(config::SetNodeData(AppId(), "Workstation", "Update", nullptr, attribute, value.c_str()), 1);
    }
    void SetProxy(const char* attribute, const std::string& value) const {
        ASSERT_EQ(config::SetNodeData(AppId(), "Update", "Proxy", nullptr, attribute, value.c_str()), 1);
    }

    // The text of `element` under `parent` (or its `attribute`); nothing when the element is not found.
    static std::optional<std::string> Read(const std::string& file, const char* parent, const char* element,
                                           const char* attribute = nullptr, std::size_t length = 50) {
        std::string text = "stale", value = "stale";
        if (config::GetNodeData(file, parent, element, &text, length, attribute, &value, length) != 1) return {};
        return attribute != nullptr ? value : text;
    }

    void UseScript(const std::string& script) {
        auto parsed = hostsuite::ParseScript(script);
        ASSERT_TRUE(std::holds_alternative<hostsuite::Script>(parsed)) << std::get<hostsuite::ScriptError>(parsed).message;
        transcriptPath_ = (tree / ("transcript-" + std::to_string(++scripts_) + ".txt")).string();
        scripted = std::make_shared<hostsuite::ScriptedPresenter>(std::get<hostsuite::Script>(parsed),
                                                                  hostsuite::TranscriptWriter::Open(transcriptPath_));
        hostsuite::InstallPresenter(scripted);
    }
    Strings Transcript() const { return transcriptPath_.empty() ? Strings{} : Lines(ReadFile(transcriptPath_)); }
    bool Shown(const std::string& line) const { return Contains(Transcript(), line); }
    Strings Messages() const {
        Strings messages = Transcript();
        std::erase_if(messages, [](const std::string& line) { return !line.starts_with("message "); });
        // The host's message library expects flag 1 on every box the module shows.
        for (const std::string& line : messages) EXPECT_NE(line.find(" flag=1 "), std::string::npos) << line;
        return messages;
    }

    // The activity log written since the workstation was made, as "LEVEL message" lines.
    Strings Log() const {
        Strings lines;
        const std::string marker = std::string(" ") + log::kLogName + " : ";
        const Strings all = AllLogLines();
        for (std::size_t i = logStart_; i < all.size(); ++i) {
            const auto at = all[i].find(marker);
            if (at != std::string::npos) lines.push_back(all[i].substr(0, all[i].find(' ')) + " " + all[i].substr(at + marker.size()));
        }
        return lines;
    }
    bool Logged(const std::string& line) const { return Contains(Log(), line); }
    long CountLogged(const std::string& line) const { return std::ranges::count(Log(), line); }
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
    static bool Contains(const Strings& lines, const std::string& line) { return std::ranges::find(lines, line) != lines.end(); }
    // `wanted` appear in `lines` in this order, others between them allowed.
    static bool InOrder(const Strings& lines, const Strings& wanted) {
        auto at = lines.begin();
        for (const std::string& line : wanted) {
            if ((at = std::find(at, lines.end(), line)) == lines.end()) return false;
            ++at;
        }
        return true;
    }

    TempTree tree;
    run::RunContext ctx;
    std::shared_ptr<RecordingPresenter> presenter = std::make_shared<RecordingPresenter>();
    std::shared_ptr<hostsuite::Presenter> scripted;
    int ownerTag = 0;

private:
    static Strings AllLogLines() {
        log::FlushActivityLog();
        return Lines(ReadFile(log::ActivityLogPath()));
    }
    std::optional<std::string> savedDataHome_;
    std::string transcriptPath_;
    int scripts_ = 0;
    std::size_t logStart_ = 0;
};

// The same workstation with its default configuration.
class ConfiguredWorkstation : public Workstation {
protected:
    ConfiguredWorkstation() { CreateDefault(); }
};

}  // namespace kt::test
