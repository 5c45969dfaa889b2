// Builds the activity log's lines, "LEVEL 2026-12-07 01:40:12,345 ktupdateDLL : message",
// without going through the library's general format parser for every line:
// the date part is built once a second. Other levels keep the library's builder.
#pragma once

#include <easylogging++.h>

#include <ctime>
#include <string>
#include <string_view>

namespace kt::log {

class LineBuilder : public el::LogBuilder {
public:
    el::base::type::string_t build(const el::LogMessage* message, bool appendNewLine) const override;

    // The line of an information, warning or error message, ended by a new
    // line, in a buffer the next line reuses. Called under the logger's lock.
    const std::string& Line(el::Level level, std::string_view message) const;

private:
    void Compose(el::Level level, std::string_view message, std::string& line) const;
    // Called under the logger's lock, as every build is.
    const std::string& SecondText(std::time_t second) const;

    el::base::DefaultLogBuilder library_;
    mutable std::time_t second_ = -1;
    mutable std::string secondText_;
    mutable std::string line_;
};

}  // namespace kt::log
