#include "sesam/pe_file_info.h"

#include <gtest/gtest.h>

#include "pe_writer.h"
#include "support/temp_tree.h"

namespace kt::sesam {
namespace {

using test::NoonUtc;
using Text = std::optional<std::string>;

class PeFileInfoTest : public ::testing::Test {
protected:
    PeFileInfo Read(const std::string& content) { return ReadPeFileInfo(tree_.WriteFile("f.dll", content).string()); }
    test::TempTree tree_;
};

TEST_F(PeFileInfoTest, VersionResourceAndLinkDate) {
    const struct {
        std::string image;
        Text version, linkDate;
    } cases[] = {
        {test::BuildPeImage(NoonUtc(2024, 3, 7), test::FileVersion{3, 2, 10, 4}), "3.2.10", "7.3.2024"},
        {test::BuildPeImage(NoonUtc(2024, 3, 7), test::FileVersion{3, 2, 10, 4}, true), "3.2.10", "7.3.2024"},
        // A zero stamp is a build that records no date.
        {test::BuildPeImage(0, test::FileVersion{1, 0, 0, 0}), "1.0.0", std::nullopt},
        {"", std::nullopt, std::nullopt},
        {"MZ", std::nullopt, std::nullopt},
        {std::string(4096, 'x'), std::nullopt, std::nullopt},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(i);
        const auto& c = cases[i];
        const PeFileInfo info = Read(c.image);
        EXPECT_EQ(info.version, c.version);
        EXPECT_EQ(info.linkDate, c.linkDate);
    }
    const PeFileInfo missing = ReadPeFileInfo((tree_ / "absent.dll").string());
    EXPECT_FALSE(missing.version || missing.linkDate);
}

// Every truncation of a valid image is read without going past its end (the
// sanitizer build checks that), and never yields a wrong version.
TEST_F(PeFileInfoTest, TruncatedImagesAreReadSafely) {
    const std::string image = test::BuildPeImage(NoonUtc(2024, 3, 7), test::FileVersion{5, 1, 2, 0});
    int withVersion = 0;
    for (std::size_t length = 0; length < image.size(); length += 3) {
        const PeFileInfo info = Read(image.substr(0, length));
        if (info.version) {
            EXPECT_EQ(*info.version, "5.1.2");
            ++withVersion;
        }
    }
    // The version only lies near the start of the resource section; what
    // follows it is padding, so long cuts still hold it.
    EXPECT_GT(withVersion, 0);
    EXPECT_LT(withVersion, static_cast<int>(image.size() / 3));
}

TEST_F(PeFileInfoTest, ResourceTreePointingOutsideTheFileIsIgnored) {
    std::string image = test::BuildPeImage(NoonUtc(2024, 3, 7), test::FileVersion{5, 1, 2, 0});
    // The type entry of the resource root now points far past the end.
    const std::size_t typeEntryTarget = 0x200 + 20;
    image.replace(typeEntryTarget, 3, "\xF0\xFF\xFF");
    const PeFileInfo info = Read(image);
    EXPECT_FALSE(info.version.has_value());
    EXPECT_EQ(info.linkDate.value_or("none"), "7.3.2024");
}

}  // namespace
}  // namespace kt::sesam
