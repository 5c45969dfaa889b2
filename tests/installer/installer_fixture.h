// A workstation for the hand-over and clean-up tests: application, data and
// update folders in a temporary tree, a run context, the activity log to
// read back, a presenter that records messages, and a user trash.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "support/recording_presenter.h"
#include "support/temp_tree.h"
#include "update/activity_log.h"
#include "update/run_context.h"

namespace kt::test {

class InstallerFixture : public ::testing::Test {
protected:
    InstallerFixture() {
        const char* dataHome = std::getenv("XDG_DATA_HOME");
        if (dataHome != nullptr) savedDataHome_ = dataHome;
        setenv("XDG_DATA_HOME", tree.MakeDir("userdata").c_str(), 1);
        update::ConfigureActivityLog();
        hostsuite::InstallPresenter(presenter);
        ctx.appDir = tree.MakeDir("app").string();
        ctx.dataDir = tree.MakeDir("data").string();
        ctx.updateDir = tree.MakeDir("UpdateInfo").string();
        ctx.updateDirSlash = ctx.updateDir + "/";
        ctx.appTitle = "Talvo";
        ctx.ownerWindow = &ownerTag;
    }
    ~InstallerFixture() override {
        hostsuite::InstallPresenter(nullptr);
        if (savedDataHome_) setenv("XDG_DATA_HOME", savedDataHome_->c_str(), 1);
        else unsetenv("XDG_DATA_HOME");
    }

    // The activity log's messages, each after its level: "INFO text".
    std::vector<std::string> Log() const {
        std::vector<std::string> lines;
        const std::string marker = std::string(" ") + update::kLogName + " : ";
        std::istringstream in(ReadFile(update::ActivityLogPath()));
        for (std::string line; std::getline(in, line);) {
            const auto at = line.find(marker);
            if (at != std::string::npos) lines.push_back(line.substr(0, line.find(' ')) + " " + line.substr(at + marker.size()));
        }
        return lines;
    }
    bool Logged(const std::string& line) const {
        const auto lines = Log();
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }

    TempTree tree;
    std::shared_ptr<RecordingPresenter> presenter = std::make_shared<RecordingPresenter>();
    update::RunContext ctx;
    int ownerTag = 0;

private:
    std::optional<std::string> savedDataHome_;
};

}  // namespace kt::test
