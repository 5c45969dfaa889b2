#include <gtest/gtest.h>

#include <filesystem>
#include <optional>

#include "platform/machine_values.h"
#include "platform_fixture.h"

namespace kt::test {
namespace {

using namespace platform;
using MachineValueTest = PlatformTest;

constexpr const char* kKey = "Software/Talvo/Talvo";

// Only a whole 32-bit number, possibly with a line end, reads as a value.
TEST_F(MachineValueTest, OnlyAWholeDwordReadsBack) {
    ASSERT_TRUE(MachineValue(kKey, "FailCount").WriteDword(0xFFFFFFFFu));
    EXPECT_EQ(MachineValue("Software\\Talvo\\Talvo", "FailCount").ReadDword(), 0xFFFFFFFFu);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(tree / "registry" / kKey), {}), 2)
        << "the value and its lock file, no temporary";
    const std::pair<std::string, std::optional<std::uint32_t>> cases[] = {
        {"3\r\n", 3u},    {"", std::nullopt},    {"abc", std::nullopt},   {"-1", std::nullopt},
        {"4294967296", std::nullopt}, {"12 34", std::nullopt}, {"7x", std::nullopt}, {"\n", std::nullopt},
        {std::string(4096, '1'), std::nullopt}};
    for (const auto& [content, value] : cases) {
        tree.WriteFile("registry/Software/Talvo/Talvo/FailCount", content);
        EXPECT_EQ(MachineValue(kKey, "FailCount").ReadDword(), value) << '"' << content << '"';
    }
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
