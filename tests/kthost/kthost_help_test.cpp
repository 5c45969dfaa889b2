#include <gtest/gtest.h>

#include "kthost_help.h"
#include "kthost_options.h"

namespace kthost {
namespace {

TEST(KthostHelpTest, DocumentsEveryOptionOnItsOwnLine) {
    const std::string help = HelpText();
    for (const std::string& name : OptionNames()) {
        EXPECT_NE(help.find("\n  " + name + " "), std::string::npos) << name << " is not documented";
    }
}

TEST(KthostHelpTest, EveryPresenterIsDocumentedAndAccepted) {
    const std::string help = HelpText();
    for (const std::string ui : {"terminal", "script:FILE", "gtk", "auto"}) {
        EXPECT_NE(help.find("\n  --ui " + ui + " "), std::string::npos) << ui << " is not documented";
        const ParseResult parsed = ParseOptions({"--ui", ui});
        ASSERT_TRUE(parsed.options) << ui << ": " << parsed.error;
    }
    for (const std::string variable : {"KT_GTK_SCRIPT", "KT_GTK_SCREENSHOTS"}) {
        EXPECT_NE(help.find("\n  " + variable + " "), std::string::npos) << variable << " is not documented";
    }
}

TEST(KthostHelpTest, HelpAndVersionAreTakenAnywhereOnTheLine) {
    struct Case {
        std::vector<std::string> args;
        bool help;
        bool version;
    };
    const Case cases[] = {
        {{"--help"}, true, false},
        {{"--app-dir", "/opt/Talvo", "--version"}, false, true},
        {{"--critical"}, false, false},
    };
    for (const Case& c : cases) {
        const ParseResult parsed = ParseOptions(c.args);
        ASSERT_TRUE(parsed.options) << parsed.error;
        EXPECT_EQ(parsed.options->help, c.help);
        EXPECT_EQ(parsed.options->version, c.version);
    }
}

}  // namespace
}  // namespace kthost
