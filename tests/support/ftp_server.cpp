#include "support/ftp_server.h"

#include <vector>

#include "support/temp_tree.h"

namespace kt::test {

FtpServer::FtpServer() : FtpServer(Options{}) {}

FtpServer::FtpServer(Options options) {
    root_ = options.root.empty() ? scratch_.Path() / "root" : options.root;
    std::filesystem::create_directories(root_);
    std::vector<std::string> args{"--root", root_.string(), "--log", (scratch_.Path() / "ftp.log").string()};
    if (!options.user.empty()) args.insert(args.end(), {"--user", options.user, "--password", options.password});
    if (!options.anonymous) args.push_back("--no-anonymous");
    if (options.maxDownloadRate > 0) {
        args.insert(args.end(), {"--max-download-rate", std::to_string(options.maxDownloadRate)});
    }
    process_ = std::make_unique<ServerProcess>(std::filesystem::path(KT_TEST_SUPPORT_DIR) / "ftp_server.py", args);
}

std::string FtpServer::Url(const std::string& path) const {
    return "ftp://127.0.0.1:" + std::to_string(Port()) + path;
}

std::string FtpServer::Log() const { return ReadFile(scratch_.Path() / "ftp.log"); }

}  // namespace kt::test
