// A workstation for the hand-over and clean-up tests: application, data and
// update folders in a temporary tree, a run context, the activity log to
// read back, a presenter that records messages, and a user trash.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <optional>
#include <sstream>
#include <string>

#include "support/activity_log_reader.h"
#include "support/recording_presenter.h"
#include "support/temp_tree.h"
#include "log/activity_log.h"
#include "run/run_context.h"

namespace kt::test {

class InstallerFixture : public ::testing::Test {
protected:
    InstallerFixture() {
        if (const char* dataHome = std::getenv("XDG_DATA_HOME")) savedDataHome_ = dataHome;
        setenv("XDG_DATA_HOME", tree.MakeDir("userdata").c_str(), 1);
        log::ConfigureActivityLog();
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

    // True when the activity log holds `line`, a message after its level: "INFO text".
    bool Logged(const std::string& line) const {
        const std::string level = line.substr(0, line.find(' ') + 1);
        const std::string tail = std::string(" ") + log::kLogName + " : " + line.substr(level.size());
        std::istringstream in(ReadActivityLog());
        for (std::string logged; std::getline(in, logged);) {
            if (logged.starts_with(level) && logged.ends_with(tail)) return true;
        }
        return false;
    }

    TempTree tree;
    std::shared_ptr<RecordingPresenter> presenter = std::make_shared<RecordingPresenter>();
    run::RunContext ctx;
    int ownerTag = 0;

private:
    std::optional<std::string> savedDataHome_;
};

}  // namespace kt::test
