// A real FTP server (pyftpdlib) on 127.0.0.1 for one test: it serves a
// folder, listens on a free port and is stopped with the object.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "support/server_process.h"

namespace kt::test {

class FtpServer {
public:
    struct Options {
        // The folder served; a fresh empty one when left empty.
        std::filesystem::path root;
        // An account besides the anonymous one (none when empty).
        std::string user;
        std::string password;
        bool anonymous = true;
        // Bytes per second on data connections; 0 = no limit.
        long maxDownloadRate = 0;
    };

    FtpServer();
    explicit FtpServer(Options options);

    int Port() const { return process_->Port(); }
    const std::filesystem::path& Root() const { return root_; }
    // "ftp://127.0.0.1:<port>" followed by `path`.
    std::string Url(const std::string& path = "/") const;
    // Every command and answer of the server so far, one per line.
    std::string Log() const;
    void Stop() { process_->Stop(); }

private:
    ScratchDir scratch_;
    std::filesystem::path root_;
    std::unique_ptr<ServerProcess> process_;
};

}  // namespace kt::test
