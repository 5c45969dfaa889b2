#include <gtest/gtest.h>

#include <filesystem>

#include "platform/machine_values.h"
#include "platform_fixture.h"

namespace kt::test {
namespace {

using namespace platform;
using MachineValueTest = PlatformTest;

constexpr const char* kKey = "Software/Talvo/Talvo";

TEST_F(MachineValueTest, AWrittenValueReadsBackWholeUnderEitherSeparator) {
    const MachineValue failCount(kKey, "FailCount");
    EXPECT_FALSE(failCount.ReadDword()) << "no key yet";
    ASSERT_TRUE(failCount.WriteDword(6));
    EXPECT_EQ(MachineValue("Software\\Talvo\\Talvo", "FailCount").ReadDword(), 6u);
    EXPECT_FALSE(MachineValue(kKey, "Other").ReadDword());
    ASSERT_TRUE(failCount.WriteDword(0xFFFFFFFFu));
    EXPECT_EQ(failCount.ReadDword(), 0xFFFFFFFFu);
    // Written through a temporary file that does not stay behind; the lock file does.
    const auto key = tree / "registry/Software/Talvo/Talvo";
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(key), {}), 2);
    EXPECT_TRUE(std::filesystem::exists(key / "FailCount"));
}

TEST_F(MachineValueTest, ContentThatIsNoDwordReadsAsNothing) {
    const MachineValue value(kKey, "FailCount");
    const std::string contents[] = {"", "abc", "-1", "4294967296", "12 34", "7x", "\n", std::string(4096, '1')};
    for (const std::string& content : contents) {
        tree.WriteFile("registry/Software/Talvo/Talvo/FailCount", content);
        EXPECT_FALSE(value.ReadDword()) << '"' << content << '"';
    }
    tree.WriteFile("registry/Software/Talvo/Talvo/FailCount", "3\r\n");
    EXPECT_EQ(value.ReadDword(), 3u);
}

TEST_F(MachineValueTest, WritesThatCannotBeMadeOrLeadOutOfTheRegistryAreRefused) {
    EXPECT_FALSE(MachineValue("../outside", "FailCount").WriteDword(1));
    EXPECT_FALSE(MachineValue(kKey, "..").WriteDword(1));
    EXPECT_FALSE(MachineValue(kKey, "").WriteDword(1));
    EXPECT_FALSE(std::filesystem::exists(tree / "outside"));
    tree.WriteFile("secret", "5");
    EXPECT_FALSE(MachineValue("..", "secret").ReadDword());

    tree.WriteFile("registry/Software", "a file where the key should be");
    EXPECT_FALSE(MachineValue(kKey, "FailCount").WriteDword(1));
    EXPECT_FALSE(MachineValue(kKey, "FailCount").ReadDword());
}

}  // namespace
}  // namespace kt::test
