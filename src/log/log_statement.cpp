#include "log/log_statement.h"

#include "log/activity_log.h"
#include "log/line_builder.h"
#include "log/log_roll.h"

namespace kt::log {
namespace {

// Most statements put their message together in their thread's buffer,
// without allocating. The flags have no destructor: they still hold while
// the process ends, when the module's objects log after the buffer is gone.
thread_local bool t_textInUse = false;
thread_local bool t_textGone = false;
struct ThreadText {
    std::string text;
    ~ThreadText() { t_textGone = true; }
};
thread_local ThreadText t_text;

bool IsModuleLevel(el::Level level) {
    return level == el::Level::Info || level == el::Level::Warning || level == el::Level::Error;
}

// The module's own lines are written straight into the logger's file, under
// the logger's lock (the one every statement of the library takes), with the
// library's rules for flushing and rolling; the library's general path costs
// a dozen locks and look-ups a line. False when the line needs that path:
// another line builder, the terminal, or a library setting that changes how
// lines are dispatched.
bool WriteOwnLine(el::Logger* logger, el::Level level, const std::string& message) {
    if (!IsModuleLevel(level) || ELPP->hasFlag(el::LoggingFlag::HierarchicalLogging) ||
        ELPP->hasFlag(el::LoggingFlag::StrictLogFileSizeCheck)) {
        return false;
    }
    el::base::threading::ScopedLock lock(logger->lock());
    const auto* builder = dynamic_cast<const LineBuilder*>(logger->logBuilder());
    el::base::TypedConfigurations* conf = logger->typedConfigurations();
    if (builder == nullptr || conf->toStandardOutput(level)) return false;
    if (!conf->enabled(level) || !conf->toFile(level)) return true;
    el::base::type::fstream_t* file = conf->fileStream(level);
    if (file == nullptr) return false;
    const std::string& line = builder->Line(level, message);
    file->write(line.data(), static_cast<std::streamsize>(line.size()));
    if (!file->fail() && (ELPP->hasFlag(el::LoggingFlag::ImmediateFlush) || logger->isFlushNeeded(level))) {
        RollWhenFull(logger, level);
        logger->flush(level, file);
    }
    return true;
}

}  // namespace

Statement::Statement(el::Level level, const char* source, int line, const char* function)
    : level_(level), source_(source), line_(line), function_(function), borrowed_(!t_textInUse && !t_textGone) {
    text_ = borrowed_ ? &t_text.text : &own_;
    if (borrowed_) {
        t_textInUse = true;
        text_->clear();
    }
}

Statement::~Statement() {
    try {
        el::Logger* logger = DefaultLogger();
        if (!WriteOwnLine(logger, level_, *text_)) {
            el::base::Writer(level_, source_, line_, function_).construct(logger) << *text_;
        }
    } catch (...) {
        // A line that cannot be written must not end the caller.
    }
    if (borrowed_) t_textInUse = false;
}

}  // namespace kt::log
