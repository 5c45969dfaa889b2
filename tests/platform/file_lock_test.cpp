#include <gtest/gtest.h>

#include "platform/machine_values.h"
#include "platform/private_profile.h"
#include "platform_fixture.h"

namespace kt::test {
namespace {

using namespace platform;
using FileLockTest = PlatformTest;

// Two processes rewrite the machine-wide counter and one INI file at the
// same time; none of their changes may be lost.
TEST_F(FileLockTest, TwoProcessesRewritingOneFileLoseNoChange) {
    constexpr int kRounds = 150;
    const std::string ini = (tree.MakeDir("windows") / "sesam.ini").string();
    const std::string rounds = std::to_string(kRounds);
    ChildProcess first({"files", ini, rounds, "A"}), second({"files", ini, rounds, "B"});
    EXPECT_EQ(first.ReadLine(kPatience * 3), "done");
    EXPECT_EQ(second.ReadLine(kPatience * 3), "done");
    EXPECT_EQ(MachineValue("Software/Talvo/Talvo", "FailCount").ReadDword(), 2u * kRounds);
    for (const std::string tag : {"A", "B"}) {
        for (int i = 0; i < kRounds; ++i) {
            EXPECT_EQ(GetPrivateProfileString("SSV", tag + std::to_string(i), "lost", 8, ini), "x") << tag << i;
        }
    }
}

}  // namespace
}  // namespace kt::test
