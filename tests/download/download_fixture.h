// A workstation at version 5.2.0 with its temporary folder in the tree, and the download dialog to run.
#pragma once

#include <chrono>
#include <fstream>

#include "catalogue_writer.h"
#include "config/workstation_state_file.h"
#include "connect/internet_connection.h"
#include "download/download_dialog.h"
#include "support/update_server.h"
#include "support/workstation.h"

namespace kt::test {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Attempts = std::vector<unsigned>;

constexpr const char* kPack = "/maj/sesam/sesam_pack.exe";
// The packages of the generated server's chain and its pack, by folder.
inline const std::vector<std::pair<std::string, std::string>> kPackages{
    {"sesam", "sesam_pack.exe"}, {"5.4.0", "talvo_5.3.0_5.4.0.exe"}, {"5.3.0", "talvo_5.2.1_5.3.0.exe"}, {"5.2.1", "talvo_5.2.0_5.2.1.exe"}};

class DownloadTest : public ConfiguredWorkstation {
protected:
    DownloadTest() : connection_(ctx, Network(true)) {
        if (const char* tmp = std::getenv("TMPDIR")) savedTmp_ = tmp;
        setenv("TMPDIR", tree.MakeDir("tmp").c_str(), 1);
        ctx.postalCode = "77120";
        SetProxy("UseIE", "0");
        Fresh();
        services.connection = &connection_;
        services.closeRunHandles = [] {};
        services.packDecision = [](const std::string&, int) { return 1; };
    }
    ~DownloadTest() override { savedTmp_ ? setenv("TMPDIR", savedTmp_->c_str(), 1) : unsetenv("TMPDIR"); }

    static connect::ConnectionServices Network(bool up) {
        connect::ConnectionServices services;
        services.isNetworkConnected = [up] { return up; };
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
        return result;
    }
    std::filesystem::path UpdatePath(const std::string& name) const { return config::UpdateFilePath(ctx, name); }

    // The workstation as before any download, for the next row of a table.
    void Fresh() {
        for (const char* folder : {"Update", "Temp"}) std::filesystem::remove_all(UpdatePath(folder));
        for (const char* file : {"files.xml", "tmp_files.xml"}) std::filesystem::remove(UpdatePath(file));
        std::filesystem::remove(ctx.appDir + "mjlog.log");
        config::UpdateConfXML(ctx, kGuid, "5.2.0", "1.1.2026", "5.2.0", "1", "0", "0");
        UseScript("");
    }
    bool PackagesArrived() const {
        return std::ranges::all_of(kPackages, [this](const auto& p) {
            return ReadFile(UpdatePath("Update") / p.second) == ReadFile(server->Root() / "maj" / p.first / p.second);
        });
    }

    // A source folder whose catalogue chains 5.2.0 to 5.4.0 through (location, name) steps.
    std::string WriteSource(const std::vector<std::pair<std::string, std::string>>& steps) {
        CatalogueWriter catalogue;
        const char* versions[] = {"5.2.0", "5.2.1", "5.3.0", "5.4.0"};
        for (std::size_t i = 0; i < steps.size(); ++i) {
            const auto& [location, name] = steps[i];
            catalogue.AddStep(versions[i], versions[i + 1], name, "2.2.2026", location);
            std::error_code ec;
            const std::filesystem::path package = tree / "patch" / location / name;
            std::filesystem::create_directories(package.parent_path(), ec);
            if (!std::filesystem::exists(std::filesystem::symlink_status(package, ec))) std::ofstream(package) << name;
        }
        EXPECT_TRUE(catalogue.Save((tree.MakeDir("patch") / "versions.xml").string()));
        return (tree / "patch").string();
    }

    download::DownloadServices services;
    std::unique_ptr<UpdateServer> server;
    std::vector<unsigned> attempts;

private:
    connect::InternetConnection connection_;
    std::optional<std::string> savedTmp_;
};

}  // namespace kt::test
