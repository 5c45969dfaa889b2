#include "update/install_updates.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>

#include "config/app_guid.h"
#include "config/last_update_stamp.h"
#include "strings/string_table.h"
#include "hostsuite/message_box.h"
#include "platform/named_event.h"
#include "platform/shared_memory.h"
#include "log/activity_log.h"
#include "update/installer_record.h"

namespace kt::update {
namespace {

constexpr int kNotStartedMessage = 1027;
constexpr std::size_t kGuidLength = 128;
constexpr const char* kCreateFailure = "Erreur dans la mémoire partagée :\nCréation de mapping.";
constexpr const char* kMapFailure = "Erreur dans la mémoire partagée :\nCréation de view.";

void StampLastUpdate(run::RunContext& ctx) {
    std::string guid;
    // Without a GUID there is no workstation file to stamp.
    if (config::GetAppFormattedGuid(ctx, &guid, kGuidLength) && !guid.empty()) config::SetLastUpdate(ctx, guid);
}

InstallerRecord RecordOf(const run::RunContext& ctx, int nFirst, int nSecond, int nMode) {
    InstallerRecord record;
    record.mode = nMode;
    // The owner window belongs to the calling process.
    record.hostProcessId = ctx.hostProcessId != 0 ? ctx.hostProcessId : platform::CurrentProcessId();
    record.title = ctx.appTitle;
    record.appDir = ctx.appDir;
    record.updateDir = ctx.updateDir;
    record.dataDir = ctx.dataDir;
    record.ownerWindow = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(ctx.ownerWindow));
    record.hostProgram = platform::CurrentProgramPath();
    record.firstArgument = nFirst;
    record.secondArgument = nSecond;
    record.sesamPack = &ctx.sesamPack;
    return record;
}

void ShowNotStarted(const run::RunContext& ctx) {
    hostsuite::KtMessageBox(ctx.ownerWindow, strings::LoadString(kNotStartedMessage), ctx.appTitle,
                            hostsuite::kStyleErrorOk, 1, kNotStartedMessage);
}

// True when the installer confirmed within `confirmation`. An installer
// that ends without confirming is not waited for any longer.
bool WaitForConfirmation(platform::NamedEvent* started, platform::Process& installer,
                         std::chrono::milliseconds confirmation) {
    // Without the event nothing can confirm; the start itself is all there is.
    if (started == nullptr) return true;
    const auto deadline = std::chrono::steady_clock::now() + confirmation;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        const bool ended = !installer.IsRunning();
        if (started->Wait(std::clamp(left, std::chrono::milliseconds::zero(), platform::kExitPollInterval))) return true;
        if (ended || left <= std::chrono::milliseconds::zero()) return false;
    }
}

}  // namespace

std::unique_ptr<platform::Process> InstallUpdates(run::RunContext& ctx, int nFirst, int nSecond, int bStampLastUpdate,
                                                  int nMode) {
    return InstallUpdatesWithin(ctx, nFirst, nSecond, bStampLastUpdate, nMode, kInstallerConfirmation);
}

bool StartUninstall(run::RunContext& ctx, int nFirst) {
    KT_LOG(Info) << "Start ktupdate.exe in uninstall mode";
    return InstallUpdates(ctx, nFirst, 0, 0, kUninstallMode) != nullptr;
}

std::unique_ptr<platform::Process> InstallUpdatesWithin(run::RunContext& ctx, int nFirst, int nSecond, int bStampLastUpdate,
                                                        int nMode, std::chrono::milliseconds confirmation) {
    if (bStampLastUpdate) StampLastUpdate(ctx);
    auto started = platform::NamedEvent::Create(kInstallerStartedEventName, true, false);
    if (started) {
        // A live holder from an earlier hand-over may have left it signalled.
        started->Reset();
    } else {
        KT_LOG(Error) << "Can't create event " << kInstallerStartedEventName;
    }
    platform::SharedMemoryFailure failure = platform::SharedMemoryFailure::kNone;
    auto shared = platform::SharedMemory::Create(kInstallerParamsName, kInstallerRecordSize, &failure);
    if (!shared) {
        const char* text = failure == platform::SharedMemoryFailure::kMap ? kMapFailure : kCreateFailure;
        KT_LOG(Error) << text;
        hostsuite::KtMessageBox(ctx.ownerWindow, text, ctx.appTitle, hostsuite::kStyleErrorOk, 1);
        return nullptr;
    }
    WriteInstallerRecord(shared->Data(), RecordOf(ctx, nFirst, nSecond, nMode));
    ctx.bSesamInstall = 0;

    KT_LOG(Info) << "Start ktupdate.exe";
    const std::string program = (std::filesystem::path(ctx.appDir) / kInstallerProgramName).string();
    std::string error;
    auto installer = platform::Process::Start(program, &error);
    if (!installer) {
        KT_LOG(Error) << "Can't run " << program << " : " << error;
        ShowNotStarted(ctx);
        return nullptr;
    }
    if (!WaitForConfirmation(started.get(), *installer, confirmation)) {
        KT_LOG(Error) << "Can't start ktupdate.exe";
        ShowNotStarted(ctx);
        return nullptr;
    }
    KT_LOG(Info) << "ktupdate.exe started";
    return installer;
}

}  // namespace kt::update
