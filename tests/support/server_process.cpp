#include "support/server_process.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace kt::test {
namespace {

using Clock = std::chrono::steady_clock;

bool WaitEnded(pid_t pid, std::chrono::seconds within) {
    for (const auto deadline = Clock::now() + within; Clock::now() < deadline;
         std::this_thread::sleep_for(std::chrono::milliseconds(20))) {
        if (const pid_t done = waitpid(pid, nullptr, WNOHANG); done == pid || done < 0) return true;
    }
    return false;
}

}  // namespace

ServerProcess::ServerProcess(const std::filesystem::path& script, const std::vector<std::string>& args) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
    std::vector<std::string> words{"/usr/bin/python3", "-u", script.string()};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    const int spawned = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(fds[1]);
    // The first line it writes, "PORT <n>", read within 10 s.
    std::string line;
    const auto deadline = Clock::now() + std::chrono::seconds(10);
    for (char buffer[128]; spawned == 0 && line.find('\n') == std::string::npos;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        pollfd pfd{fds[0], POLLIN, 0};
        const ssize_t n = left > 0 && poll(&pfd, 1, static_cast<int>(left)) > 0 ? read(fds[0], buffer, sizeof buffer) : 0;
        if (n <= 0) break;
        line.append(buffer, static_cast<std::size_t>(n));
    }
    close(fds[0]);
    line = line.substr(0, line.find('\n'));
    if (line.rfind("PORT ", 0) == 0) port_ = std::atoi(line.c_str() + 5);
    if (port_ <= 0) {
        if (spawned == 0) Stop();
        throw std::runtime_error(script.filename().string() + " did not start: '" + line + "'");
    }
}

ServerProcess::~ServerProcess() { Stop(); }

void ServerProcess::Stop() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    if (!WaitEnded(pid_, std::chrono::seconds(5))) {
        kill(pid_, SIGKILL);
        WaitEnded(pid_, std::chrono::seconds(5));
    }
    pid_ = -1;
}

int UnusedLoopbackPort() {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{.sin_family = AF_INET, .sin_port = 0, .sin_addr = {htonl(INADDR_LOOPBACK)}, .sin_zero = {}};
    socklen_t length = sizeof address;
    const bool bound = bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                       getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0;
    close(fd);
    if (!bound) throw std::runtime_error("no free port");
    return ntohs(address.sin_port);
}

ScratchDir::ScratchDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "ktserver-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

ScratchDir::~ScratchDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

}  // namespace kt::test
