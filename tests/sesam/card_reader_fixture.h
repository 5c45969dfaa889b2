// A temporary installation for the pack tests: the system folders, an
// application folder holding a stand-in card-reader library, its script,
// and a presenter that records the messages shown.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "sesam/pack_check_session.h"
#include "support/recording_presenter.h"
#include "support/temp_tree.h"
#include "update/activity_log.h"
#include "update/run_context.h"

namespace kt::test {

class CardReaderFixture : public ::testing::Test {
protected:
    CardReaderFixture() {
        update::ConfigureActivityLog();
        presenter_ = std::make_shared<RecordingPresenter>();
        hostsuite::InstallPresenter(presenter_);
        ctx_.appDir = tree_.MakeDir("app").string();
        ctx_.ownerWindow = &ownerTag_;
        session_.owner = &ownerTag_;
        script_ = (tree_ / "cardreader.txt").string();
        setenv("KT_CARDREADER_STUB_SCRIPT", script_.c_str(), 1);
    }
    ~CardReaderFixture() override { unsetenv("KT_CARDREADER_STUB_SCRIPT"); }

    void InstallPack() { tree_.WriteFile("windows/sesam.ini", "[COMMUN]\nRepertoireTravail=/srv/sesam\n"); }
    // A library stays mapped while loaded (C++ libraries may never unload),
    // so a new one gets a new file instead of overwriting the old one.
    void InstallLibrary(const char* built = KT_CARDREADER_STUB) {
        const std::filesystem::path target = std::filesystem::path(ctx_.appDir) / "ktbtt32.so";
        const std::filesystem::path copy = target.string() + ".new";
        std::filesystem::copy_file(built, copy, std::filesystem::copy_options::overwrite_existing);
        std::filesystem::rename(copy, target);
    }
    void Script(const std::string& lines) { tree_.WriteFile("cardreader.txt", lines); }
    // The calls the stand-in received, in order.
    std::vector<std::string> Calls() const {
        std::vector<std::string> calls;
        std::istringstream in(ReadFile(script_ + ".calls"));
        for (std::string line; std::getline(in, line);) calls.push_back(line);
        return calls;
    }

    // True when a line of the activity log holds `text`.
    bool LogHolds(const std::string& text) const {
        return ReadFile(update::ActivityLogPath()).find(text) != std::string::npos;
    }

    TempTree tree_;
    std::shared_ptr<RecordingPresenter> presenter_;
    update::RunContext ctx_;
    sesam::PackCheckSession session_;
    std::string script_;
    int ownerTag_ = 0;
};

}  // namespace kt::test
