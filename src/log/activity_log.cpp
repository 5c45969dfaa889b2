#include "log/activity_log.h"

#include "platform/system_paths.h"

namespace kt::log {

std::string ActivityLogPath() {
    const std::string common = platform::SystemPaths::CommonAppData();
    if (common.empty()) return "/var/lib/Talvo Software/TalvoV3/Log/TalvoLog_fixed_path.log";
    return common + "/Talvo Software/TalvoV3/Log/TalvoLog.log";
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
    const std::string detailed = std::string("%level [%thread] %datetime ") + kLogName + " %func %loc : %log";
    conf.set(el::Level::Debug, el::ConfigurationType::Format, detailed);
    conf.set(el::Level::Fatal, el::ConfigurationType::Format, detailed);
    el::Loggers::getLogger("default");
    el::Loggers::setDefaultConfigurations(conf, true);
}

}  // namespace kt::log
