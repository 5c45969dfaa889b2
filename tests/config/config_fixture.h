// A workstation in a temporary tree: application folder, shared update
// folder, a run context pointing at them, and the log lines it writes.
#pragma once

#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <vector>

#include "support/temp_tree.h"
#include "update/run_context.h"

namespace kt::test {

// Activity-log lines written while a capture is alive, as "LEVEL message".
class LogCapture {
public:
    LogCapture();
    ~LogCapture();
    std::vector<std::string> Lines() const;
    bool Has(const std::string& line) const;
    int Count(const std::string& line) const;
};

// A local time: day, month (1-12), year, hour, minute, second.
std::tm LocalTime(int day, int month, int year, int hour = 12, int minute = 0, int second = 0);

class ConfigTest : public ::testing::Test {
protected:
    ConfigTest();

    std::string AppId() const;
    std::string UpdateFile(const std::string& name) const;
    // Writes appid.xml with `content`.
    void WriteAppId(const std::string& content) const;

    static constexpr const char* kGuid = "{1A2B3C4D-5E6F-7a8b-9C0D-1E2F3A4B5C6D}";

    TempTree tree;
    update::RunContext ctx;
    LogCapture log;
};

}  // namespace kt::test
