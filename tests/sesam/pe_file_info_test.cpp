#include "sesam/pe_file_info.h"

#include <gtest/gtest.h>

#include "pe_writer.h"
#include "support/temp_tree.h"

namespace kt::sesam {
namespace {

class PeFileInfoTest : public ::testing::Test {
protected:
    std::string Write(const std::string& name, const std::string& content) {
        return tree_.WriteFile(name, content).string();
    }
    test::TempTree tree_;
};

TEST_F(PeFileInfoTest, ReadsVersionResourceAndLinkDateOfBothImageKinds) {
    for (bool pe32Plus : {false, true}) {
        test::PeImageRequest request;
        request.timeStamp = test::NoonUtc(2024, 3, 7);
        request.fileVersion = {{3, 2, 10, 4}};
        request.pe32Plus = pe32Plus;
        const PeFileInfo info = ReadPeFileInfo(Write("prog.dll", test::BuildPeImage(request)));
        ASSERT_TRUE(info.version.has_value()) << pe32Plus;
        EXPECT_EQ(*info.version, "3.2.10");
        ASSERT_TRUE(info.linkDate.has_value());
        EXPECT_EQ(*info.linkDate, "7.3.2024");
    }
}

TEST_F(PeFileInfoTest, ImageWithoutResourcesHasOnlyItsLinkDate) {
    test::PeImageRequest request;
    request.timeStamp = test::NoonUtc(2019, 12, 31);
    const PeFileInfo info = ReadPeFileInfo(Write("plain.exe", test::BuildPeImage(request)));
    EXPECT_FALSE(info.version.has_value());
    EXPECT_EQ(info.linkDate.value_or("none"), "31.12.2019");
}

TEST_F(PeFileInfoTest, ZeroTimeStampIsNoDate) {
    test::PeImageRequest request;
    request.fileVersion = {{1, 0, 0, 0}};
    const PeFileInfo info = ReadPeFileInfo(Write("repro.dll", test::BuildPeImage(request)));
    EXPECT_FALSE(info.linkDate.has_value());
    EXPECT_EQ(info.version.value_or("none"), "1.0.0");
}

TEST_F(PeFileInfoTest, OtherFilesGiveNothing) {
    for (const std::string& content : {std::string(), std::string("MZ"), std::string(4096, 'x')}) {
        const PeFileInfo info = ReadPeFileInfo(Write("other.bin", content));
        EXPECT_FALSE(info.version.has_value());
        EXPECT_FALSE(info.linkDate.has_value());
    }
    const PeFileInfo missing = ReadPeFileInfo((tree_ / "absent.dll").string());
    EXPECT_FALSE(missing.version.has_value());
    EXPECT_FALSE(missing.linkDate.has_value());
}

// Every truncation of a valid image is read without going past its end (the
// sanitizer build checks that), and never yields a wrong version.
TEST_F(PeFileInfoTest, TruncatedImagesAreReadSafely) {
    test::PeImageRequest request;
    request.timeStamp = test::NoonUtc(2024, 3, 7);
    request.fileVersion = {{5, 1, 2, 0}};
    const std::string image = test::BuildPeImage(request);
    int withVersion = 0;
    for (std::size_t length = 0; length < image.size(); length += 3) {
        const PeFileInfo info = ReadPeFileInfo(Write("cut.dll", image.substr(0, length)));
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
    test::PeImageRequest request;
    request.timeStamp = test::NoonUtc(2024, 3, 7);
    request.fileVersion = {{5, 1, 2, 0}};
    std::string image = test::BuildPeImage(request);
    // The type entry of the resource root now points far past the end.
    const std::size_t typeEntryTarget = 0x200 + 20;
    image[typeEntryTarget] = '\xF0';
    image[typeEntryTarget + 1] = '\xFF';
    image[typeEntryTarget + 2] = '\xFF';
    const PeFileInfo info = ReadPeFileInfo(Write("bad.dll", image));
    EXPECT_FALSE(info.version.has_value());
    EXPECT_EQ(info.linkDate.value_or("none"), "7.3.2024");
}

}  // namespace
}  // namespace kt::sesam
