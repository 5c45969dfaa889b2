#include "sesam/version_number.h"

#include <gtest/gtest.h>

namespace kt::sesam {
namespace {

TEST(VersionToNumber, JoinsTheFurtherPartsWithoutLeadingZeros) {
    EXPECT_EQ(VersionToNumber("1.40"), 140);
    EXPECT_EQ(VersionToNumber("1.4"), 14);
    EXPECT_EQ(VersionToNumber("1.04"), 14);
    EXPECT_EQ(VersionToNumber("2"), 2);
    EXPECT_EQ(VersionToNumber("3.0.12"), 3012);
    // The first part stays as written.
    EXPECT_EQ(VersionToNumber("01.5"), 15);
}

TEST(VersionToNumber, TextThatIsNoNumberReadsAsZeroOrItsLeadingDigits) {
    EXPECT_EQ(VersionToNumber(""), 0);
    EXPECT_EQ(VersionToNumber("."), 0);
    EXPECT_EQ(VersionToNumber("abc"), 0);
    EXPECT_EQ(VersionToNumber("7.x"), 70);
}

}  // namespace
}  // namespace kt::sesam
