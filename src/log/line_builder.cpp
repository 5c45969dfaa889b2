#include "log/line_builder.h"

#include <chrono>

#include "log/activity_log.h"

namespace kt::log {

el::base::type::string_t LineBuilder::build(const el::LogMessage* message, bool appendNewLine) const {
    const el::Level level = message->level();
    if (level != el::Level::Info && level != el::Level::Warning && level != el::Level::Error) {
        return library_.build(message, appendNewLine);
    }
    std::string line;
    Compose(level, message->message(), line);
    if (!appendNewLine) line.pop_back();
    return line;
}

const std::string& LineBuilder::Line(el::Level level, std::string_view message) const {
    Compose(level, message, line_);
    return line_;
}

void LineBuilder::Compose(el::Level level, std::string_view message, std::string& line) const {
    const auto now = std::chrono::system_clock::now();
    const auto millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count();
    const int milli = static_cast<int>(millis % 1000);
    const char fraction[] = {',', static_cast<char>('0' + milli / 100), static_cast<char>('0' + milli / 10 % 10),
                             static_cast<char>('0' + milli % 10)};
    line.assign(el::LevelHelper::convertToString(level));
    line.reserve(line.size() + 40 + message.size());
    line += ' ';
    line += SecondText(static_cast<std::time_t>(millis / 1000));
    line.append(fraction, sizeof fraction);
    line += ' ';
    line += kLogName;
    line += " : ";
    line += message;
    line += '\n';
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
