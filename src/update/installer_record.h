// The record handed to the installer in the shared memory "KTShared_Params":
// 11,052 bytes, little-endian numbers, zero-terminated UTF-8 texts in fixed
// fields, at these offsets. The installer is a program of its own; this
// layout is the contract with it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "run/sesam_pack_state.h"

namespace kt::update {

inline constexpr const char* kInstallerParamsName = "KTShared_Params";
inline constexpr const char* kInstallerStartedEventName = "KT_StartUpdateExe";
inline constexpr const char* kInstallerProgramName = "ktupdate.exe";

inline constexpr std::size_t kInstallerRecordSize = 11052;

inline constexpr std::size_t kModeAt = 0;
inline constexpr std::size_t kHostProcessIdAt = 4;
inline constexpr std::size_t kTitleAt = 8;
inline constexpr std::size_t kTitleSize = 128;
inline constexpr std::size_t kAppDirAt = 136;
inline constexpr std::size_t kUpdateDirAt = 396;
inline constexpr std::size_t kDataDirAt = 656;
inline constexpr std::size_t kFolderSize = 260;
inline constexpr std::size_t kOwnerWindowAt = 916;
inline constexpr std::size_t kHostProgramAt = 920;
inline constexpr std::size_t kFirstArgumentAt = 1180;
inline constexpr std::size_t kSecondArgumentAt = 1184;
inline constexpr std::size_t kSesamPendingAt = 1188;
inline constexpr std::size_t kSesamPackAt = 1192;
inline constexpr std::size_t kSpareAt = 11051;

static_assert(kTitleAt + kTitleSize == kAppDirAt);
static_assert(kAppDirAt + kFolderSize == kUpdateDirAt && kUpdateDirAt + kFolderSize == kDataDirAt);
static_assert(kDataDirAt + kFolderSize == kOwnerWindowAt && kHostProgramAt + kFolderSize == kFirstArgumentAt);
static_assert(kSesamPackAt + run::kPackStateSize == kSpareAt && kSpareAt + 1 == kInstallerRecordSize);

// Install the ready updates / uninstall the package chosen in the history.
inline constexpr std::int32_t kInstallMode = 2;
inline constexpr std::int32_t kUninstallMode = 1;

struct InstallerRecord {
    std::int32_t mode = kInstallMode;
    std::uint32_t hostProcessId = 0;
    std::string title;
    std::string appDir;
    // As the host gave it, without an added separator.
    std::string updateDir;
    std::string dataDir;
    // The owner window's handle value, cut to 32 bits: an identifier only,
    // since a window of the host means nothing in another process.
    std::uint32_t ownerWindow = 0;
    std::string hostProgram;
    std::int32_t firstArgument = 0;
    std::int32_t secondArgument = 0;
    const run::SesamPackState* sesamPack = nullptr;
};

// Writes every field into `block` (kInstallerRecordSize bytes, zeroed by the
// caller). Texts longer than their field are cut, between two UTF-8
// characters, so that the terminator always fits. The spare byte is left.
void WriteInstallerRecord(unsigned char* block, const InstallerRecord& record);

}  // namespace kt::update
