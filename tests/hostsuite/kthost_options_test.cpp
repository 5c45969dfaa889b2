// kthost's command line: each option lands in its record field, omitted
// options keep their documented defaults, and mistakes are usage errors.
#include <gtest/gtest.h>

#include <cstring>

#include "kthost_options.h"

namespace kthost {
namespace {

Options Accepted(const std::vector<std::string>& args) {
    const ParseResult result = ParseOptions(args);
    EXPECT_TRUE(result.options.has_value()) << result.error;
    return result.options.value_or(Options{});
}

TEST(KthostOptions, OmittedOptionsGiveAnEmptyRecordWithNullTexts) {
    const Options options = Accepted({});
    EXPECT_TRUE(options.module.empty());
    EXPECT_FALSE(options.critical);
    EXPECT_FALSE(options.ui.has_value());
    EXPECT_FALSE(options.transcript.has_value());
    EXPECT_EQ(options.show, 1);
    EXPECT_FALSE(options.flag);

    tagKTUpdateStruct record;
    FillRecord(options, record);
    EXPECT_EQ(record.dwProcessId, 0u);
    EXPECT_EQ(record.bAtStart, 0);
    EXPECT_EQ(record.bTeletrans, 0);
    EXPECT_STREQ(record.szUpdateDir, "");
    EXPECT_STREQ(record.szPostalCode, "");
    EXPECT_EQ(record.pszVersionLabel, nullptr);
    EXPECT_EQ(record.pszCompatVersion, nullptr);
    EXPECT_EQ(record.pszVerMajor, nullptr);
    EXPECT_EQ(record.pszVerBuild, nullptr);
    EXPECT_EQ(record.pszAppTitle, nullptr);
    EXPECT_EQ(record.pszPractitioner, nullptr);
    EXPECT_TRUE(record.lstServerUrls.empty());
    EXPECT_EQ(record.hWndParent, nullptr);
}

TEST(KthostOptions, EveryOptionReachesItsField) {
    const Options options = Accepted({"--module", "/opt/lib.so", "--critical", "--pid", "4242", "--at-start",
                                      "--sesam-install", "--teletrans", "--inst-only", "--update-dir", "/d/UpdateInfo",
                                      "--data-dir", "/d", "--app-dir", "/a", "--version-label", "Talvo 2024",
                                      "--compat-version", "5.2.0", "--ver-major", "5", "--ver-minor", "2",
                                      "--ver-build", "1234", "--title", "Talvo", "--practitioner", "Dr Martin",
                                      "--server", "ftp://127.0.0.1:2121/maj/", "--server", "ftp://127.0.0.1:2122/",
                                      "--postal-code", "77120", "--flag", "--show", "6", "--ui", "script:a.txt",
                                      "--transcript", "shown.txt"});
    EXPECT_EQ(options.module, "/opt/lib.so");
    EXPECT_TRUE(options.critical);
    EXPECT_TRUE(options.flag);
    EXPECT_EQ(options.show, 6);
    EXPECT_EQ(options.ui, "script:a.txt");
    EXPECT_EQ(options.transcript, "shown.txt");

    tagKTUpdateStruct record;
    FillRecord(options, record);
    EXPECT_EQ(record.dwProcessId, 4242u);
    EXPECT_EQ(record.bAtStart, 1);
    EXPECT_EQ(record.bSesamInstall, 1);
    EXPECT_EQ(record.bTeletrans, 1);
    EXPECT_EQ(record.bInstOnly, 1);
    EXPECT_STREQ(record.szUpdateDir, "/d/UpdateInfo");
    EXPECT_STREQ(record.szDataDir, "/d");
    EXPECT_STREQ(record.szAppDir, "/a");
    EXPECT_STREQ(record.szPostalCode, "77120");
    EXPECT_STREQ(record.pszVersionLabel, "Talvo 2024");
    EXPECT_STREQ(record.pszCompatVersion, "5.2.0");
    EXPECT_STREQ(record.pszVerMajor, "5");
    EXPECT_STREQ(record.pszVerMinor, "2");
    EXPECT_STREQ(record.pszVerBuild, "1234");
    EXPECT_STREQ(record.pszAppTitle, "Talvo");
    EXPECT_STREQ(record.pszPractitioner, "Dr Martin");
    EXPECT_EQ(record.lstServerUrls, (std::list<std::string>{"ftp://127.0.0.1:2121/maj/", "ftp://127.0.0.1:2122/"}));
}

TEST(KthostOptions, AnEmptyTextIsGivenAsAnEmptyTextNotAsNull) {
    tagKTUpdateStruct record;
    const Options options = Accepted({"--practitioner", "", "--ver-build", ""});
    FillRecord(options, record);
    ASSERT_NE(record.pszPractitioner, nullptr);
    EXPECT_STREQ(record.pszPractitioner, "");
    ASSERT_NE(record.pszVerBuild, nullptr);
}

TEST(KthostOptions, FixedSizeFieldsTakeTheirLongestTextAndRefuseLonger) {
    const std::string longest(259, 'a');
    tagKTUpdateStruct record;
    FillRecord(Accepted({"--app-dir", longest, "--postal-code", "123456789"}), record);
    EXPECT_EQ(std::strlen(record.szAppDir), 259u);
    EXPECT_STREQ(record.szPostalCode, "123456789");
    EXPECT_FALSE(ParseOptions({"--app-dir", longest + "a"}).options.has_value());
    EXPECT_FALSE(ParseOptions({"--update-dir", longest + "a"}).options.has_value());
    EXPECT_FALSE(ParseOptions({"--data-dir", longest + "a"}).options.has_value());
    EXPECT_FALSE(ParseOptions({"--postal-code", "1234567890"}).options.has_value());
}

TEST(KthostOptions, MistakesAreRefusedWithAReason) {
    const std::vector<std::vector<std::string>> mistakes = {
        {"--bogus"},
        {"--app-dir"},
        {"--title", "Talvo", "--server"},
        {"--pid", "douze"},
        {"--pid", "-1"},
        {"--pid", "4294967296"},
        {"--show", "1x"},
        {"--ui", "gui"},
        {"--ui", "script:"},
        {"Talvo"},
    };
    for (const auto& args : mistakes) {
        const ParseResult result = ParseOptions(args);
        EXPECT_FALSE(result.options.has_value()) << args[0];
        EXPECT_FALSE(result.error.empty()) << args[0];
    }
    EXPECT_TRUE(ParseOptions({"--ui", "terminal"}).options.has_value());
    EXPECT_TRUE(ParseOptions({"--show", "-1"}).options.has_value());
}

}  // namespace
}  // namespace kthost
