#include "strings/string_table.h"

#include <cstdio>
#include <string>

#include <gtest/gtest.h>

namespace kt::strings {
namespace {

// True when `text` is well-formed UTF-8 (no overlong forms, no surrogates).
bool IsUtf8(const std::string& text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const std::size_t extra = byte < 0x80 ? 0 : byte >= 0xC2 && byte < 0xE0 ? 1 : byte >= 0xE0 && byte < 0xF0 ? 2
                                : byte >= 0xF0 && byte < 0xF5 ? 3 : text.size();  // a byte that starts nothing
        for (const std::size_t end = i + extra; i < end; ++i) {
            if (end >= text.size() || (static_cast<unsigned char>(text[i + 1]) & 0xC0) != 0x80) return false;
        }
    }
    return true;
}

// Every text is UTF-8 and its line breaks are real characters, never an
// escape left in the text; unknown identifiers give nothing.
TEST(StringTable, TextsAreUtf8WithRealLineBreaksAndUnknownIdsAreEmpty) {
    int known = 0;
    for (int id = -1; id < 1300; ++id) {
        const std::string text = LoadString(id);
        known += !text.empty();
        EXPECT_TRUE(IsUtf8(text) && text.find("\\r") == std::string::npos && text.find("\\n") == std::string::npos) << id;
        for (auto cr = text.find('\r'); cr != std::string::npos; cr = text.find('\r', cr + 1)) EXPECT_EQ(text[cr + 1], '\n') << id;
    }
    EXPECT_GT(known, 50);
    // "é" and the typographic apostrophe as their UTF-8 bytes, whatever the compiler's charset.
    EXPECT_NE(LoadString(1100).find("donn\xC3\xA9" "es"), std::string::npos);
    EXPECT_NE(LoadString(1044).find("d\xE2\x80\x99installation"), std::string::npos);
    EXPECT_NE(LoadString(1062).find(".\r\n\r\nV"), std::string::npos);
    for (int id : {0, 999, 1026, 1099, 1119, 1147, 1180}) EXPECT_EQ(LoadString(id), "") << id;
}

TEST(StringTable, GuidFormatGivesTheBracedThirtyEightCharacterForm) {
    char text[64];
    EXPECT_EQ(std::snprintf(text, sizeof text, LoadString(1001).c_str(), 0x1A2B3C4DUL, 0x5E6Fu, 0x7A8Bu, 0x9Cu, 0x0Du,
                            0x1Eu, 0x2Fu, 0x3Au, 0x4Bu, 0x5Cu, 0x6Du), 38);
    EXPECT_STREQ(text, "{1A2B3C4D-5E6F-7a8b-9C0D-1E2F3A4B5C6D}");
}

TEST(FormatString, ReplacesOneDigitPlaceholdersOnceAndLeavesTheRest) {
    const std::pair<std::string, const char*> cases[] = {
        {FormatString(LoadString(1085), {FormatString(LoadString(1090), {"512.0"}), "x"}), "512.0 Ko de x"},
        {FormatString(LoadString(1088), {"62", "5"}), "62 min 5 sec"},
        {FormatString("%1 et %1", {"a"}), "a et a"},
        {FormatString("%1 de %2", {"3 Ko"}), "3 Ko de %2"},
        {FormatString("%2 puis %1", {"a", "b"}), "b puis a"},
        {FormatString("%1 et %2", {"%2", "x"}), "%2 et x"},
        {FormatString("[%1]", {"%%1"}), "[%%1]"},
        {FormatString("100%% %1", {"ok"}), "100%% ok"},
        {FormatString("%0 %d %", {"x"}), "%0 %d %"},
        {FormatString("%10", {"a"}), "a0"},
        {FormatString("%9", {"1", "2", "3", "4", "5", "6", "7", "8", "neuf"}), "neuf"},
    };
    for (const auto& [formatted, expected] : cases) EXPECT_EQ(formatted, expected);
}

}  // namespace
}  // namespace kt::strings
