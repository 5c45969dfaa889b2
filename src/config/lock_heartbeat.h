// While this process holds the network lock, a thread stamps the lock's
// heartbeat every minute, so that other machines can tell a holder that
// still works from one that is gone.
#pragma once

#include <chrono>
#include <string>

namespace kt::config {

inline constexpr std::chrono::seconds kHeartbeatInterval{60};

// Starts stamping the lock at `lockPath` every `interval`. The stamps stop
// by themselves once the file there is no longer this process's own.
void StartLockHeartbeat(const std::string& lockPath, std::chrono::milliseconds interval);

// Stops the stamps of `lockPath` and waits for its thread; quiet when none run.
void StopLockHeartbeat(const std::string& lockPath);

}  // namespace kt::config
