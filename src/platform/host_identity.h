// What tells this machine, this boot of it and its processes apart: the
// facts a shared lock file records so that other processes can tell whether
// its holder is still alive.
#pragma once

#include <cstdint>
#include <string>

namespace kt::platform {

// The machine's host name; empty when unknown.
std::string HostName();

// The kernel's identifier of the current boot; empty when unknown. It
// changes at every start of the machine, so a process id recorded under
// another boot id names no living process.
std::string BootId();

// False only when no process has the id `pid` on this machine (a process
// of another user still exists).
bool ProcessExists(std::int64_t pid);

}  // namespace kt::platform
