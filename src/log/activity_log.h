// The activity log: English lines in a rolling file, written through the
// logger "default". Every subsystem logs with KT_LOG; the download engine
// with KT_DLOG, so that its lines carry its own source name.
#pragma once

#include <easylogging++.h>

#include <string>

#define KT_LOG_AS(SOURCE, LEVEL) \
    el::base::Writer(el::Level::LEVEL, SOURCE, __LINE__, ELPP_FUNC).construct(1, "default")
#define KT_LOG(LEVEL) KT_LOG_AS(kt::log::kModuleSource, LEVEL)
#define KT_DLOG(LEVEL) KT_LOG_AS(kt::log::kDownloadSource, LEVEL)

namespace kt::log {

inline constexpr const char* kModuleSource = "ktupdateDLL/ktupdateDLL";
inline constexpr const char* kDownloadSource = "ktupdateDLL/KTDownload";

inline constexpr const char* kLogName = "ktupdateDLL";

// The log file: under the machine's common application-data folder, or the
// fixed fallback name when that folder cannot be found.
std::string ActivityLogPath();

// Configures every logger as the module wants it. Called once per load.
void ConfigureActivityLog();

}  // namespace kt::log
