#include "platform/host_identity.h"

#include <cerrno>
#include <csignal>
#include <fstream>
#include <limits>
#include <unistd.h>

namespace kt::platform {

std::string HostName() {
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0) return {};
    return name;
}

std::string BootId() {
    std::ifstream in("/proc/sys/kernel/random/boot_id");
    std::string id;
    std::getline(in, id);
    return id;
}

bool ProcessExists(std::int64_t pid) {
    // Ids that kill() reads as process groups or "every process" name no
    // single process.
    if (pid <= 0 || pid > std::numeric_limits<pid_t>::max()) return false;
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH;
}

}  // namespace kt::platform
