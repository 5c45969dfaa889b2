#include "log/line_builder.h"

#include <chrono>
#include <cstdio>

#include "log/activity_log.h"

namespace kt::log {

el::base::type::string_t LineBuilder::build(const el::LogMessage* message, bool appendNewLine) const {
    const el::Level level = message->level();
    if (level != el::Level::Info && level != el::Level::Warning && level != el::Level::Error) {
        return library_.build(message, appendNewLine);
    }
    const auto now = std::chrono::system_clock::now();
    const auto millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count();
    char fraction[8];
    std::snprintf(fraction, sizeof fraction, ",%03d", static_cast<int>(millis % 1000));
    std::string line = el::LevelHelper::convertToString(level);
    line.reserve(line.size() + 40 + message->message().size());
    line += ' ';
    line += SecondText(static_cast<std::time_t>(millis / 1000));
    line += fraction;
    line += ' ';
    line += kLogName;
    line += " : ";
    line += message->message();
    if (appendNewLine) line += '\n';
    return line;
}

const std::string& LineBuilder::SecondText(std::time_t second) const {
    if (second != second_) {
        std::tm local{};
        localtime_r(&second, &local);
        char text[32];
        std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
        secondText_ = text;
        second_ = second;
    }
    return secondText_;
}

}  // namespace kt::log
