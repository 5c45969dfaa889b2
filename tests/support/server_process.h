// A test server run as a separate process (a Python script under /usr/bin/python3) that listens on a free port of
// 127.0.0.1. The process is stopped, within a bounded time, when the object goes away.
#pragma once

#include <filesystem>
#include <string>
#include <sys/types.h>
#include <vector>

namespace kt::test {

class ServerProcess {
public:
    // Starts the script and waits (at most 10 s) for its "PORT <n>" line.
    // Throws std::runtime_error when the server does not come up.
    ServerProcess(const std::filesystem::path& script, const std::vector<std::string>& args);
    ~ServerProcess();
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    int Port() const { return port_; }
    // SIGTERM, then SIGKILL when the server has not ended within 5 s.
    void Stop();

private:
    pid_t pid_ = -1;
    int port_ = 0;
};

// A port of 127.0.0.1 on which nothing listens (taken free, then released).
int UnusedLoopbackPort();

// A fresh folder for a server's files; removed with the object.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

}  // namespace kt::test
