// A workstation with a history in appid.xml, its uninstall backup folder, the
// installer stand-in and a user trash, and the history dialog run by a test
// owner that records being asked to end without saving.
#pragma once

#include <cstdlib>
#include <pugixml.hpp>

#include "config/config_paths.h"
#include "dialogs/history_dialog.h"
#include "support/workstation_test.h"
#include "update/history_services.h"

namespace kt::test {

class HistoryFixture : public WorkstationTest {
protected:
    HistoryFixture() {
        savedDataHome_ = std::getenv("XDG_DATA_HOME") ? std::getenv("XDG_DATA_HOME") : "";
        setenv("XDG_DATA_HOME", tree.MakeDir("userdata").c_str(), 1);
        tree.MakeDir("userdata/Trash/files");
        tree.MakeDir("userdata/Trash/info");
        ctx.versionLabel = "Talvo V5";
        backup = tree.WriteFile("UpdateInfo/$" + std::string(kGuid) + "/undo.dat", "undo").parent_path();
        std::filesystem::copy_file(KT_INSTALLER_STUB, ctx.appDir + "ktupdate.exe");
        std::filesystem::permissions(ctx.appDir + "ktupdate.exe", std::filesystem::perms::owner_all);
    }
    ~HistoryFixture() override {
        if (savedDataHome_.empty()) unsetenv("XDG_DATA_HOME");
        else setenv("XDG_DATA_HOME", savedDataHome_.c_str(), 1);
    }

    // Puts `entries` (XML elements) in History, after setting the Version text.
    void WriteHistory(const std::string& entries, const std::string& version = "5.2.1234") const {
        pugi::xml_document doc, fragment;
        ASSERT_TRUE(doc.load_file(config::AppIdPath(ctx).c_str()));
        ASSERT_TRUE(fragment.load_string(("<History>" + entries + "</History>").c_str()));
        doc.child("Workstation").child("Version").text().set(version.c_str());
        doc.child("Workstation").append_copy(fragment.first_child());
        ASSERT_TRUE(doc.save_file(config::AppIdPath(ctx).c_str(), "\t"));
    }
    std::string AppId() const { return ReadFile(config::AppIdPath(ctx)); }

    // Runs the dialog with `script` for dialog 133 and the other answers.
    int Run(const std::string& script) {
        UseScript(script);
        dialog = std::make_unique<dialogs::CKTHistory>(
            ctx, update::MakeHistoryServices(ctx, [this] { ++ownerEnds; }));
        return hostsuite::ActivePresenter().RunDialog(*dialog);
    }

    // What the installer stand-in recorded for `key`: it records before confirming its start.
    std::string Installer(const std::string& key) const {
        for (const std::string& line : Lines(ReadFile(ctx.appDir + "ktupdate-record.txt"))) {
            if (line.starts_with(key + "=")) return line.substr(key.size() + 1);
        }
        return "";
    }
    bool InstallerStarted() const { return std::filesystem::exists(ctx.appDir + "ktupdate-record.txt"); }

    std::filesystem::path backup;
    std::unique_ptr<dialogs::CKTHistory> dialog;
    int ownerEnds = 0;

private:
    std::string savedDataHome_;
};

}  // namespace kt::test
