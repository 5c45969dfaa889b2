#include "log/activity_log.h"

#include <mutex>

#include "log/line_builder.h"
#include "log/log_flusher.h"
#include "log/log_roll.h"
#include "platform/system_paths.h"

namespace kt::log {
namespace {

// Information lines wait in the buffer for the flusher; this many at once
// are written out all the same.
constexpr const char* kInfoLinesHeld = "100000";

// The logging library resets its count of unwritten lines outside its own
// lock when it is configured again: a flush (the flusher's, an entry
// point's) must not run meanwhile.
std::mutex& ConfigureOrFlush() {
    static std::mutex mutex;
    return mutex;
}

}  // namespace

std::string ActivityLogPath() {
    const std::string common = platform::SystemPaths::CommonAppData();
    if (common.empty()) return "/var/lib/Talvo Software/TalvoV3/Log/TalvoLog_fixed_path.log";
    return common + "/Talvo Software/TalvoV3/Log/TalvoLog.log";
}

el::Logger* DefaultLogger() {
    static el::Logger* const logger = el::Loggers::getLogger("default");
    return logger;
}

void FlushActivityLog() {
    std::lock_guard lock(ConfigureOrFlush());
    el::Logger* logger = DefaultLogger();
    el::base::threading::ScopedLock held(logger->lock());
    // Every level writes to the one file.
    RollWhenFull(logger, el::Level::Info);
    logger->flush();
}

void ConfigureActivityLog() {
    el::Configurations conf;
    conf.setToDefault();
    conf.setGlobally(el::ConfigurationType::Filename, ActivityLogPath());
    conf.setGlobally(el::ConfigurationType::Format,
                     std::string("%level %datetime ") + kLogName + " : %msg");
    conf.setGlobally(el::ConfigurationType::ToFile, "true");
    // The host owns the terminal; the log belongs in its file.
    conf.setGlobally(el::ConfigurationType::ToStandardOutput, "false");
    conf.setGlobally(el::ConfigurationType::PerformanceTracking, "false");
    conf.setGlobally(el::ConfigurationType::MaxLogFileSize, "20971520");
    // A warning or an error writes itself and every line before it at once.
    conf.setGlobally(el::ConfigurationType::LogFlushThreshold, "1");
    conf.set(el::Level::Info, el::ConfigurationType::LogFlushThreshold, kInfoLinesHeld);
    const std::string detailed = std::string("%level [%thread] %datetime ") + kLogName + " %func %loc : %msg";
    conf.set(el::Level::Debug, el::ConfigurationType::Format, detailed);
    conf.set(el::Level::Fatal, el::ConfigurationType::Format, detailed);
    {
        std::lock_guard lock(ConfigureOrFlush());
        DefaultLogger();
        el::Loggers::setDefaultConfigurations(conf, true);
        // Statements read the builder under the logger's lock.
        el::base::threading::ScopedLock logger(DefaultLogger()->lock());
        DefaultLogger()->setLogBuilder(std::make_shared<LineBuilder>());
    }
    // Started with the first configuration, stopped (and flushed) when the module is unloaded.
    static LogFlusher flusher(FlushActivityLog, kFlushInterval);
}

}  // namespace kt::log
