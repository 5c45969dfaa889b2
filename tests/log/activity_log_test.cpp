// The activity log keeps every line in order while writing through a buffer: a warning or an error reaches the file
// at once with every line before it, an information line within the flusher's interval.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
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
    // The file with every digit shown as 9, to compare its lines with a pattern of dates.
    const auto shape = [&] {
        std::string text = onDisk();
        std::replace_if(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); }, '9');
        return text;
    };
    // Each line as the log's readers parse it: level, local date and time to the millisecond, name, message.
    const std::string stamp = " 9999-99-99 99:99:99,999 ktupdateDLL : ";
    KT_LOG(Info) << "before the warning";
    KT_LOG(Warning) << "the warning";
    EXPECT_NE(shape().find("INFO" + stamp + "before the warning\nWARNING" + stamp + "the warning\n"), std::string::npos)
        << onDisk();
    KT_LOG(Info) << "before the error";
    KT_LOG(Error) << "the error";
    EXPECT_NE(shape().find("INFO" + stamp + "before the error\nERROR" + stamp + "the error\n"), std::string::npos) << onDisk();

    // A debug line keeps the detailed format configured for it (its thread and function) and its message.
    KT_LOG(Debug) << "a debug line";
    log::FlushActivityLog();
    const std::string text = onDisk();
    const std::size_t debug = text.find("DEBUG [");
    ASSERT_NE(debug, std::string::npos) << text;
    const std::string line = text.substr(debug, text.find('\n', debug) - debug);
    EXPECT_TRUE(line.find("TestBody()") != std::string::npos && line.ends_with(" : a debug line")) << line;

    KT_LOG(Info) << "an information line alone";
    const auto start = std::chrono::steady_clock::now();
    while (onDisk().find("an information line alone") == std::string::npos && std::chrono::steady_clock::now() - start < 5s) {
        std::this_thread::sleep_for(10ms);
    }
    // Well within the bound on an idle machine; the bound allows for a loaded one.
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
}

// A full log is emptied when it is written out and goes on from its start: whole lines, no hole before them.
TEST(ActivityLogTest, AFullLogIsEmptiedAndGoesOnFromItsStart) {
    TempTree tree;
    log::ConfigureActivityLog();
    const std::string filler(1024, 'x');
    for (int line = 0; line < 21 * 1024; ++line) KT_LOG(Info) << filler;  // past the 20 MiB the file may hold
    KT_LOG(Warning) << "the line that fills it";
    KT_LOG(Warning) << "the first line after";
    const std::string text = ReadFile(log::ActivityLogPath());
    EXPECT_LT(text.size(), 20u * 1024 * 1024);
    EXPECT_EQ(text.find('\0'), std::string::npos);
    EXPECT_TRUE((text.starts_with("INFO ") || text.starts_with("WARNING ")) && text.ends_with(" : the first line after\n"))
        << text.substr(0, 80);
}

}  // namespace
}  // namespace kt::test
