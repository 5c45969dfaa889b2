// The activity log keeps every line in order while writing through a buffer: a warning or an error reaches the file
// at once with every line before it, an information line within the flusher's interval.
#include <gtest/gtest.h>

#include <chrono>
#include <regex>
#include <string>
#include <thread>

#include "log/activity_log.h"
#include "support/temp_tree.h"

namespace kt::test {
namespace {

using namespace std::chrono_literals;

TEST(ActivityLogTest, WarningsAndErrorsAreWrittenAtOnceInformationWithinTheInterval) {
    TempTree tree;
    log::ConfigureActivityLog();
    // The file as it is on the disk, without asking the log to write out first.
    const auto onDisk = [] { return ReadFile(log::ActivityLogPath()); };
    // Each line as the log's readers parse it: level, local date and time to the millisecond, name, message.
    const std::string stamp = R"( \d{4}-\d\d-\d\d \d\d:\d\d:\d\d,\d{3} ktupdateDLL : )";
    KT_LOG(Info) << "before the warning";
    KT_LOG(Warning) << "the warning";
    EXPECT_TRUE(std::regex_search(onDisk(), std::regex("INFO" + stamp + "before the warning\nWARNING" + stamp + "the warning\n")))
        << onDisk();
    KT_LOG(Info) << "before the error";
    KT_LOG(Error) << "the error";
    EXPECT_TRUE(std::regex_search(onDisk(), std::regex("INFO" + stamp + "before the error\nERROR" + stamp + "the error\n")))
        << onDisk();

    KT_LOG(Info) << "an information line alone";
    const auto start = std::chrono::steady_clock::now();
    while (onDisk().find("an information line alone") == std::string::npos && std::chrono::steady_clock::now() - start < 5s) {
        std::this_thread::sleep_for(10ms);
    }
    // Well within the bound on an idle machine; the bound allows for a loaded one.
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
}

}  // namespace
}  // namespace kt::test
