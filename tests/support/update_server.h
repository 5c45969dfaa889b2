// The test FTP server (update_server.py) on 127.0.0.1 for one test, serving a generated update tree (or, with
// `generate` off, an empty folder) that the test may change; stopped with the object.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "support/server_process.h"

namespace kt::test {

class UpdateServer {
public:
    // A map "server path -> bytes" makes that file misbehave after so many bytes.
    using PathBytes = std::map<std::string, std::uint64_t>;
    struct Options {
        bool generate = true;  // false: the root is served empty, no tree written
        std::vector<std::string> chain{"5.2.0", "5.2.1", "5.3.0", "5.4.0"};
        std::string postalCode = "77120";
        std::uint64_t packageSize = 64 * 1024;
        std::uint64_t packSize = 16 * 1024;
        long throttle = 0;            // bytes per second on data connections; 0 = no limit
        PathBytes announce{};         // the size answered to SIZE instead of the real one
        PathBytes stall{};            // the account's first RETR of it sends nothing more
        std::string protocol = "ftp";  // "ftps" (explicit TLS required) or "https" present `certificate` and `key`
        std::filesystem::path certificate{};
        std::filesystem::path key{};
        bool refuseRest = false;  // REST is refused: no file can be continued
        bool ignoreRest = false;  // REST is accepted but the file is sent whole all the same
        bool digests = true;      // versions.xml gives each package's Size and Sha256
        PathBytes cut{};          // the data connection closes as if the file were whole
        PathBytes reset{};        // the data connection is reset
        std::vector<std::string> endless{};  // server paths whose RETR never ends
        PathBytes replies{};  // "CMD" or "CMD file name" -> the error code that command gets
    };

    UpdateServer();
    explicit UpdateServer(Options options);

    int Port() const { return process_->Port(); }
    const std::filesystem::path& Root() const { return root_; }
    // "<protocol>://127.0.0.1:<port>" followed by `path`.
    std::string Url(const std::string& path = "/") const;
    // "<protocol>://127.0.0.1:<port>/<folder>/"
    std::string BaseUrl(const std::string& folder = "maj") const;
    // Every command and answer of the server so far.
    std::string Log() const;

    // The path on the server of the package of the step `oldVersion` -> `newVersion`.
    static std::string StepPath(const std::string& oldVersion, const std::string& newVersion,
                                const std::string& folder = "maj");

private:
    std::string protocol_;
    ScratchDir scratch_;
    std::filesystem::path root_;
    std::unique_ptr<ServerProcess> process_;
};

}  // namespace kt::test
