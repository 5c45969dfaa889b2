// The pack's own settings file "sesam.ini" in the Windows directory: its
// presence tells that the pack is installed, and it names the folders of
// the pack's tables.
#pragma once

#include <cstddef>
#include <string>

#include "sesam/table_set.h"

namespace kt::sesam {

inline constexpr const char* kSesamIniName = "sesam.ini";
inline constexpr const char* kCommonSection = "COMMUN";
inline constexpr const char* kSsvSection = "SSV";
inline constexpr const char* kSrtSection = "SRT";
inline constexpr const char* kStsSection = "STS";
// Key of COMMUN: the working directory, holding the common tables.
inline constexpr const char* kWorkingDirKey = "RepertoireTravail";
// Key of every section: its table directory.
inline constexpr const char* kTableDirKey = "RepertoireTable";
// Values are read into buffers of this size, terminator included.
inline constexpr std::size_t kSesamIniBufferSize = 260;

// sesam.ini of the Windows directory.
std::string SesamIniPath();

// True when sesam.ini exists: the pack is installed.
[[nodiscard]] bool IsSesamPackInstalled();

// The table folders `ini` names: the working directory of COMMUN and the
// table directories of SSV, SRT and STS, each empty when absent.
TableSet ReadSesamIniTables(const std::string& ini);

}  // namespace kt::sesam
