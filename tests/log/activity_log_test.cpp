// The activity log keeps every line in order while writing through a buffer:
// a warning or an error reaches the file at once with every line before it,
// an information line within the flusher's interval.
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

// The file as it is on the disk, without asking the log to write out first.
std::string OnDisk() { return ReadFile(log::ActivityLogPath()); }

bool InOrder(const std::string& text, std::initializer_list<std::string> lines) {
    std::string::size_type at = 0;
    for (const std::string& line : lines) {
        at = text.find(line, at);
        if (at == std::string::npos) return false;
    }
    return true;
}

TEST(ActivityLogTest, WarningsAndErrorsAreWrittenAtOnceInformationWithinTheInterval) {
    TempTree tree;
    log::ConfigureActivityLog();
    struct Case {
        el::Level level;
        const char* text;
    };
    for (const Case& c : {Case{el::Level::Warning, "warning"}, Case{el::Level::Error, "error"}}) {
        SCOPED_TRACE(c.text);
        const std::string info = std::string("information before the ") + c.text;
        const std::string last = std::string("the ") + c.text + " itself";
        KT_LOG(Info) << info;
        if (c.level == el::Level::Warning) KT_LOG(Warning) << last;
        else KT_LOG(Error) << last;
        EXPECT_TRUE(InOrder(OnDisk(), {"INFO", info, last})) << OnDisk();
    }
    // Each line as the log's readers parse it: level, local date and time to the millisecond, name, message.
    const std::regex format(R"(INFO \d{4}-\d\d-\d\d \d\d:\d\d:\d\d,\d{3} ktupdateDLL : information before the warning\n)"
                            R"(WARNING \d{4}-\d\d-\d\d \d\d:\d\d:\d\d,\d{3} ktupdateDLL : the warning itself\n)");
    EXPECT_TRUE(std::regex_search(OnDisk(), format)) << OnDisk();

    KT_LOG(Info) << "an information line alone";
    const auto start = std::chrono::steady_clock::now();
    while (OnDisk().find("an information line alone") == std::string::npos &&
           std::chrono::steady_clock::now() - start < 5s) {
        std::this_thread::sleep_for(10ms);
    }
    // Well within the bound on an idle machine; the bound allows for a loaded one.
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
}

}  // namespace
}  // namespace kt::test
