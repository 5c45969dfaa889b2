#include "sesam/pe_file_info.h"

#include <gtest/gtest.h>

#include "pe_writer.h"
#include "support/temp_tree.h"

namespace kt::sesam {
namespace {

using test::NoonUtc;
using test::PeShape;
using Text = std::optional<std::string>;
namespace pe = test::pe_detail;

class PeFileInfoTest : public ::testing::Test {
protected:
    PeFileInfo Read(const std::string& content) { return ReadPeFileInfo(tree_.WriteFile("f.dll", content).string()); }
    test::TempTree tree_;
};

const std::uint32_t kMarch7 = NoonUtc(2024, 3, 7);
const test::FileVersion kVersion{3, 2, 10, 4};

std::string Image(const PeShape& shape = {}) { return test::BuildPeImage(kMarch7, kVersion, shape); }
std::string Patched(std::string image, std::size_t at, std::uint32_t value, int bytes = 4) {
    pe::Put(image, at, value, bytes);
    return image;
}

// Each limit of the headers and the resource tree, just inside and just outside.
TEST_F(PeFileInfoTest, VersionResourceAndLinkDate) {
    const std::size_t versionEnd = pe::kFileAlignment + pe::kVersionInfo + pe::kVersionInfoLength;
    const struct {
        const char* what;
        std::string image;
        Text version, linkDate = "7.3.2024";
    } cases[] = {
        {"PE32", Image(), "3.2.10"},
        {"PE32+", Image({.pe32Plus = true}), "3.2.10"},
        {"no date recorded", test::BuildPeImage(0, test::FileVersion{1, 0, 0, 0}), "1.0.0", std::nullopt},
        {"empty", "", std::nullopt, std::nullopt},
        {"MZ only", "MZ", std::nullopt, std::nullopt},
        {"no image", std::string(4096, 'x'), std::nullopt, std::nullopt},
        {"cut where the version ends", Image().substr(0, versionEnd), "3.2.10"},
        {"cut one byte earlier", Image().substr(0, versionEnd - 1), std::nullopt},
        {"three data directories", Patched(Image(), pe::kDirectoryCountAt, 3), "3.2.10"},
        {"two data directories", Patched(Image(), pe::kDirectoryCountAt, 2), std::nullopt},
        {"optional header ends with the resource entry", Image({.optionalSize = 120}), "3.2.10"},
        {"optional header cuts the resource entry", Image({.optionalSize = 116}), std::nullopt},
        {"no section counted", Patched(Image(), pe::kSectionCountAt, 0, 2), std::nullopt},
        {"section ends where the version ends",
         Patched(Image(), pe::kSectionRawSizeAt, pe::kVersionInfo + pe::kVersionInfoLength), "3.2.10"},
        {"section ends one byte earlier",
         Patched(Image(), pe::kSectionRawSizeAt, pe::kVersionInfo + pe::kVersionInfoLength - 1), std::nullopt},
        {"version type second in the root", Image({.rootTypes = {3, 16}}), "3.2.10"},
        {"version type past the root's count", Image({.rootTypes = {3, 16}, .declaredTypes = 1}), std::nullopt},
        {"root entry pointing past the end", Patched(Image(), pe::kFileAlignment + 20, 0x80FFFFF0u), std::nullopt},
        {"key with a wrong first letter", Patched(Image(), pe::kFileAlignment + pe::kVersionInfo + 6, 'W', 2),
         std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
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
    const std::string image = Image();
    for (std::size_t length = 0; length < image.size(); length += 3) {
        const PeFileInfo info = Read(image.substr(0, length));
        EXPECT_EQ(info.version.value_or("3.2.10"), "3.2.10") << length;
    }
}

}  // namespace
}  // namespace kt::sesam
