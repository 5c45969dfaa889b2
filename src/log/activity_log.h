// The activity log: English lines in a rolling file, written through the
// logger "default". Every subsystem logs with KT_LOG; the download engine
// with KT_DLOG, so that its lines carry its own source name.
//
// Lines go through the file's buffer: it is written out at each warning or
// error, at least every 100 ms by a flusher thread, and when a run ends, so
// a crash loses at most the last 100 ms of information lines.
#pragma once

#include <easylogging++.h>

#include <chrono>
#include <string>

#include "log/log_statement.h"

#define KT_LOG_AS(SOURCE, LEVEL) kt::log::Statement(el::Level::LEVEL, SOURCE, __LINE__, ELPP_FUNC)
#define KT_LOG(LEVEL) KT_LOG_AS(kt::log::kModuleSource, LEVEL)
#define KT_DLOG(LEVEL) KT_LOG_AS(kt::log::kDownloadSource, LEVEL)

namespace kt::log {

inline constexpr const char* kModuleSource = "ktupdateDLL/ktupdateDLL";
inline constexpr const char* kDownloadSource = "ktupdateDLL/KTDownload";

inline constexpr const char* kLogName = "ktupdateDLL";

// The longest an information line stays in the buffer.
inline constexpr std::chrono::milliseconds kFlushInterval{100};

// The log file: under the machine's common application-data folder, or the
// fixed fallback name when that folder cannot be found.
std::string ActivityLogPath();

// Configures every logger as the module wants it and starts the flusher.
// Called once per load.
void ConfigureActivityLog();

// The logger "default".
el::Logger* DefaultLogger();

// Writes out the buffered lines now: at the end of a run, before the file is read.
void FlushActivityLog();

}  // namespace kt::log
