// The run context: what an entry call copied from the host's record, and the
// state the run changes. Every operation of a run reads it.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <string>

#include "hostsuite/presenter.h"
#include "platform/named_event.h"
#include "platform/named_mutex.h"
#include "run/sesam_pack_state.h"

namespace kt::run {

struct RunContext {
    std::uint32_t hostProcessId = 0;
    hostsuite::Window ownerWindow = nullptr;
    int bAtStart = 0;
    int bSesamInstall = 0;
    std::string updateDir;
    // The update folder with its trailing separator; file names in it are built on this.
    std::string updateDirSlash;
    std::string dataDir;
    std::string appDir;
    std::string versionLabel;
    std::string compatVersion;
    // "major.minor.build" of the host.
    std::string version;
    std::string appTitle;
    std::list<std::string> serverUrls;
    std::string postalCode;
    int bTeletrans = 0;
    int bInstOnly = 0;
    int bCritical = 0;
    int bRunRequested = 0;
    int bStopLoop = 0;
    int bFirstRunHandled = 0;
    // 0 when the download dialog is created, -2 after a transfer error. The
    // download worker writes it while the run thread reads it.
    std::atomic<int> m_nDownloadStatus{0};
    int showCommand = 1;
    // Shows the warning that runs keep failing, owned by the window in front:
    // the entry point that starts the run installs it. Empty: no warning.
    std::function<void()> showFailureWarning;
    // The Sesam Vitale pack state, handed to the installer byte for byte.
    run::SesamPackState sesamPack;

    std::unique_ptr<platform::NamedMutex> runMutex;
    std::unique_ptr<platform::NamedEvent> updaterEvent;

    // Carried for the host suite; never read by a run.
    std::list<std::string> reservedList;
    std::string reservedString;
};

}  // namespace kt::run
