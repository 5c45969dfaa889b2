#include <gtest/gtest.h>

#include <functional>

#include "platform/machine_values.h"
#include "platform/private_profile.h"
#include "platform_fixture.h"

namespace kt::test {
namespace {

using namespace platform;
using FileLockTest = PlatformTest;

constexpr int kRounds = 150;

// Two processes rewrite one shared file at the same time; none of their
// changes may be lost.
TEST_F(FileLockTest, TwoProcessesRewritingOneFileLoseNoChange) {
    const std::string ini = (tree / "windows/sesam.ini").string();
    tree.MakeDir("windows");
    struct Case {
        const char* mode;
        std::string target;
        std::function<void()> check;
    };
    const Case cases[] = {
        {"count-up", "FailCount",
         [] { EXPECT_EQ(MachineValue("Software/Talvo/Talvo", "FailCount").ReadDword(), 2u * kRounds); }},
        {"ini-keys", ini,
         [&] {
             for (const char* tag : {"A", "B"}) {
                 for (int i = 0; i < kRounds; ++i) {
                     const std::string key = tag + std::to_string(i);
                     EXPECT_EQ(GetPrivateProfileString("SSV", key, "lost", 8, ini), "x") << key;
                 }
             }
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.mode);
        ChildProcess first({c.mode, c.target, std::to_string(kRounds), "A"});
        ChildProcess second({c.mode, c.target, std::to_string(kRounds), "B"});
        EXPECT_EQ(first.ReadLine(kPatience * 3), "done");
        EXPECT_EQ(second.ReadLine(kPatience * 3), "done");
        c.check();
    }
}

}  // namespace
}  // namespace kt::test
