#include "sesam/version_number.h"

#include <gtest/gtest.h>

namespace kt::sesam {
namespace {

// Further parts are joined without their leading zeros, the first stays as
// written; text that is no number reads as zero or its leading digits.
TEST(VersionToNumber, JoinsThePartsAsOneNumber) {
    const std::pair<const char*, long long> cases[] = {{"1.40", 140}, {"1.4", 14}, {"1.04", 14}, {"2", 2},
                                                       {"3.0.12", 3012}, {"01.5", 15}, {"", 0}, {".", 0},
                                                       {"abc", 0}, {"7.x", 70}};
    for (const auto& [text, number] : cases) EXPECT_EQ(VersionToNumber(text), number) << text;
}

}  // namespace
}  // namespace kt::sesam
