// A workstation for the download tests: a temporary tree with appid.xml and
// this workstation's state file at version 5.2.0, the run context, the
// activity log and the failure journal to read back, and a scripted
// presenter whose transcript records what the user saw. The connection
// check is the real one, with the network taken as up.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <variant>
#include <vector>

#include "config/config_paths.h"
#include "config/default_config.h"
#include "config/node_data.h"
#include "config/workstation_state_file.h"
#include "connect/internet_connection.h"
#include "download/download_dialog.h"
#include "hostsuite/script_parser.h"
#include "hostsuite/scripted_presenter.h"
#include "hostsuite/transcript_writer.h"
#include "support/temp_tree.h"
#include "support/update_server.h"
#include "update/activity_log.h"
#include "update/run_context.h"

namespace kt::test {

inline constexpr const char* kGuid = "{1A2B3C4D-5E6F-7a8b-9C0D-1E2F3A4B5C6D}";

class DownloadTest : public ::testing::Test {
protected:
    DownloadTest() : connection_(ctx, NetworkUp()) {
        if (const char* tmp = std::getenv("TMPDIR")) savedTmp_ = tmp;
        setenv("TMPDIR", tree.MakeDir("tmp").c_str(), 1);
        update::ConfigureActivityLog();
        ctx.appDir = tree.MakeDir("app").string() + "/";
        ctx.appTitle = "Talvo";
        ctx.version = "5.2.0";
        ctx.compatVersion = "5.2.0";
        ctx.updateDir = tree.MakeDir("UpdateInfo").string();
        ctx.updateDirSlash = ctx.updateDir + "/";
        ctx.postalCode = "77120";
        config::CreateDefaultConfig(ctx, kGuid);
        SetProxy("UseIE", "0");
        SetWorkstation("5.2.0");
        services.connection = &connection_;
        services.packDecision = [](const std::string&, int) { return 1; };
        services.closeRunHandles = [this] { ++handlesClosed; };
        UseScript("");
        logStart_ = AllLog().size();
    }
    ~DownloadTest() override {
        hostsuite::InstallPresenter(nullptr);
        if (savedTmp_) setenv("TMPDIR", savedTmp_->c_str(), 1);
        else unsetenv("TMPDIR");
    }

    static connect::ConnectionServices NetworkUp() {
        connect::ConnectionServices services;
        services.isNetworkConnected = [] { return true; };
        return services;
    }

    void StartServer(UpdateServer::Options options = {}) {
        server = std::make_unique<UpdateServer>(std::move(options));
        ctx.serverUrls = {server->BaseUrl()};
    }

    // Runs the dialog; its result, with the attempts' results in `attempts`.
    int Run(download::SourceMode mode = download::SourceMode::kInternet, const std::string& folder = "") {
        download::CKTDownload dialog(ctx, nullptr, mode, folder, services);
        const int result = hostsuite::ActivePresenter().RunDialog(dialog);
        attempts = dialog.AttemptResults();
        shownState = dialog.GetShowState();
        return result;
    }

    void SetProxy(const char* attribute, const char* value) const {
        ASSERT_EQ(config::SetNodeData(config::AppIdPath(ctx), "Update", "Proxy", nullptr, attribute, value), 1);
    }
    void SetUpdate(const char* attribute, const char* value) const {
        ASSERT_EQ(config::SetNodeData(config::AppIdPath(ctx), "Workstation", "Update", nullptr, attribute, value), 1);
    }
    // This workstation's state file: host `version`, Sesam Vitale pack dated `sesam`.
    void SetWorkstation(const std::string& version, const std::string& sesam = "0") {
        config::UpdateConfXML(ctx, kGuid, version, "1.1.2026", "5.2.0", "1", sesam, "0");
    }

    std::filesystem::path UpdatePath(const std::string& name) const { return config::UpdateFilePath(ctx, name); }

    // Answers from `script` (the scripted presenter's language) from now on.
    void UseScript(const std::string& script) {
        auto parsed = hostsuite::ParseScript(script);
        ASSERT_TRUE(std::holds_alternative<hostsuite::Script>(parsed))
            << std::get<hostsuite::ScriptError>(parsed).message;
        transcriptPath_ = (tree / ("transcript-" + std::to_string(++scripts_) + ".txt")).string();
        hostsuite::InstallPresenter(std::make_shared<hostsuite::ScriptedPresenter>(
            std::get<hostsuite::Script>(parsed), hostsuite::TranscriptWriter::Open(transcriptPath_)));
    }
    std::vector<std::string> Transcript() const { return Lines(ReadFile(transcriptPath_)); }
    bool Shown(const std::string& line) const { return Contains(Transcript(), line); }
    // The transcript's message boxes.
    std::vector<std::string> Messages() const {
        std::vector<std::string> messages;
        for (const std::string& line : Transcript()) {
            if (line.rfind("message ", 0) == 0) messages.push_back(line);
        }
        return messages;
    }

    // The activity log of the test as "LEVEL message" lines.
    std::vector<std::string> Log() const {
        std::vector<std::string> lines = AllLog();
        lines.erase(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(std::min(logStart_, lines.size())));
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

    // `wanted` appear in `lines` in this order, others between them allowed.
    static bool InOrder(const std::vector<std::string>& lines, const std::vector<std::string>& wanted) {
        auto at = lines.begin();
        for (const std::string& line : wanted) {
            at = std::find(at, lines.end(), line);
            if (at == lines.end()) return false;
            ++at;
        }
        return true;
    }
    static std::vector<std::string> Lines(const std::string& text) {
        std::vector<std::string> lines;
        std::istringstream in(text);
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
    static bool Contains(const std::vector<std::string>& lines, const std::string& line) {
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }

    TempTree tree;
    update::RunContext ctx;
    download::DownloadServices services;
    std::unique_ptr<UpdateServer> server;
    std::vector<unsigned> attempts;
    hostsuite::ShowState shownState = hostsuite::ShowState::Normal;
    int handlesClosed = 0;

private:
    std::vector<std::string> AllLog() const {
        std::vector<std::string> lines;
        const std::string marker = std::string(" ") + update::kLogName + " : ";
        for (const std::string& line : Lines(ReadFile(update::ActivityLogPath()))) {
            const auto at = line.find(marker);
            if (at != std::string::npos) {
                lines.push_back(line.substr(0, line.find(' ')) + " " + line.substr(at + marker.size()));
            }
        }
        return lines;
    }

    connect::InternetConnection connection_;
    std::optional<std::string> savedTmp_;
    std::string transcriptPath_;
    int scripts_ = 0;
    std::size_t logStart_ = 0;
};

}  // namespace kt::test
