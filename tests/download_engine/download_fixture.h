// A workstation for the download tests: appid.xml and this workstation's
// state file at version 5.2.0, scratch files inside the tree, the real
// connection check with the network taken as up, and the download dialog.
#pragma once

#include <cstdlib>
#include <memory>
#include <optional>

#include "config/workstation_state_file.h"
#include "connect/internet_connection.h"
#include "download/download_dialog.h"
#include "support/update_server.h"
#include "support/workstation_test.h"

namespace kt::test {

class DownloadTest : public WorkstationTest {
protected:
    DownloadTest() : connection_(ctx, NetworkUp()) {
        if (const char* tmp = std::getenv("TMPDIR")) savedTmp_ = tmp;
        setenv("TMPDIR", tree.MakeDir("tmp").c_str(), 1);
        ctx.postalCode = "77120";
        SetProxy("UseIE", "0");
        SetWorkstation("5.2.0");
        services.connection = &connection_;
        services.packDecision = [](const std::string&, int) { return 1; };
        services.closeRunHandles = [this] { ++handlesClosed; };
    }
    ~DownloadTest() override {
        if (savedTmp_) setenv("TMPDIR", savedTmp_->c_str(), 1);
        else unsetenv("TMPDIR");
    }

    static connect::ConnectionServices NetworkUp() {
        connect::ConnectionServices network;
        network.isNetworkConnected = [] { return true; };
        return network;
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

    // This workstation's state file: host `version`, Sesam Vitale pack dated `sesam`.
    void SetWorkstation(const std::string& version, const std::string& sesam = "0") {
        config::UpdateConfXML(ctx, kGuid, version, "1.1.2026", "5.2.0", "1", sesam, "0");
    }
    std::filesystem::path UpdatePath(const std::string& name) const { return config::UpdateFilePath(ctx, name); }

    download::DownloadServices services;
    std::unique_ptr<UpdateServer> server;
    std::vector<unsigned> attempts;
    hostsuite::ShowState shownState = hostsuite::ShowState::Normal;
    int handlesClosed = 0;

private:
    connect::InternetConnection connection_;
    std::optional<std::string> savedTmp_;
};

}  // namespace kt::test
