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
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(tree / "registry" / kKey), {}), 2);
}

TEST_F(MachineValueTest, ContentThatIsNoDwordReadsAsNothing) {
    const std::string contents[] = {"", "abc", "-1", "4294967296", "12 34", "7x", "\n", std::string(4096, '1')};
    for (const std::string& content : contents) {
        tree.WriteFile("registry/Software/Talvo/Talvo/FailCount", content);
        EXPECT_FALSE(MachineValue(kKey, "FailCount").ReadDword()) << '"' << content << '"';
    }
    tree.WriteFile("registry/Software/Talvo/Talvo/FailCount", "3\r\n");
    EXPECT_EQ(MachineValue(kKey, "FailCount").ReadDword(), 3u);
}

TEST_F(MachineValueTest, WritesThatCannotBeMadeOrLeadOutOfTheRegistryAreRefused) {
    for (const auto& [key, name] : {std::pair{"../outside", "FailCount"}, {kKey, ".."}, {kKey, ""}}) {
        EXPECT_FALSE(MachineValue(key, name).WriteDword(1)) << key << " " << name;
    }
    EXPECT_FALSE(std::filesystem::exists(tree / "outside"));
    tree.WriteFile("secret", "5");
    EXPECT_FALSE(MachineValue("..", "secret").ReadDword());
    tree.WriteFile("registry/Software", "a file where the key should be");
    EXPECT_FALSE(MachineValue(kKey, "FailCount").WriteDword(1));
}

}  // namespace
}  // namespace kt::test
