#include <gtest/gtest.h>

#include <filesystem>

#include "platform/machine_values.h"
#include "support/temp_tree.h"

namespace kt::platform {
namespace {

constexpr const char* kKey = "Software/Talvo/Talvo";

TEST(MachineValueTest, AWrittenValueReadsBackAndReplacesTheOldOne) {
    test::TempTree tree;
    const MachineValue failCount(kKey, "FailCount");
    EXPECT_FALSE(failCount.ReadDword()) << "no key yet";

    ASSERT_TRUE(failCount.WriteDword(6));
    EXPECT_EQ(failCount.ReadDword(), 6u);
    EXPECT_EQ(MachineValue("Software\\Talvo\\Talvo", "FailCount").ReadDword(), 6u);
    EXPECT_FALSE(MachineValue(kKey, "Other").ReadDword());

    ASSERT_TRUE(failCount.WriteDword(0));
    EXPECT_EQ(failCount.ReadDword(), 0u);
    ASSERT_TRUE(failCount.WriteDword(0xFFFFFFFFu));
    EXPECT_EQ(failCount.ReadDword(), 0xFFFFFFFFu);

    // Written through a temporary file that does not stay behind.
    std::size_t files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(tree / "registry/Software/Talvo/Talvo")) {
        EXPECT_EQ(entry.path().filename(), "FailCount");
        ++files;
    }
    EXPECT_EQ(files, 1u);
}

TEST(MachineValueTest, ContentThatIsNoDwordReadsAsNothing) {
    test::TempTree tree;
    const MachineValue value(kKey, "FailCount");
    for (const char* content : {"", "abc", "-1", "4294967296", "12 34", "7x", "\n"}) {
        tree.WriteFile("registry/Software/Talvo/Talvo/FailCount", content);
        EXPECT_FALSE(value.ReadDword()) << '"' << content << '"';
    }
    tree.WriteFile("registry/Software/Talvo/Talvo/FailCount", std::string(4096, '1'));
    EXPECT_FALSE(value.ReadDword());
    tree.WriteFile("registry/Software/Talvo/Talvo/FailCount", "3\r\n");
    EXPECT_EQ(value.ReadDword(), 3u);
}

TEST(MachineValueTest, AWriteThatCannotBeMadeIsReported) {
    test::TempTree tree;
    tree.WriteFile("registry/Software", "a file where the key should be");
    const MachineValue value(kKey, "FailCount");
    EXPECT_FALSE(value.WriteDword(1));
    EXPECT_FALSE(value.ReadDword());
}

TEST(MachineValueTest, NamesCannotLeadOutOfTheRegistryFolder) {
    test::TempTree tree;
    EXPECT_FALSE(MachineValue("../outside", "FailCount").WriteDword(1));
    EXPECT_FALSE(MachineValue(kKey, "..").WriteDword(1));
    EXPECT_FALSE(MachineValue(kKey, "").WriteDword(1));
    EXPECT_FALSE(std::filesystem::exists(tree / "outside"));
    tree.WriteFile("secret", "5");
    EXPECT_FALSE(MachineValue("..", "secret").ReadDword());
}

}  // namespace
}  // namespace kt::platform
