#include <gtest/gtest.h>

#include "kthost_help.h"
#include "kthost_options.h"

namespace kthost {
namespace {

// Every option, presenter and variable has a line of its own in the help, every presenter documented is
// accepted, and help and version are taken anywhere on the line.
TEST(KthostHelpTest, DocumentsEveryOptionPresenterAndVariable) {
    const std::string help = HelpText();
    std::vector<std::string> documented = OptionNames();
    for (const std::string ui : {"terminal", "script:FILE", "gtk", "auto"}) {
        documented.push_back("--ui " + ui);
        EXPECT_TRUE(ParseOptions({"--ui", ui}).options) << ui;
    }
    documented.insert(documented.end(), {"KT_GTK_SCRIPT", "KT_GTK_SCREENSHOTS"});
    for (const std::string& name : documented) EXPECT_NE(help.find("\n  " + name + " "), std::string::npos) << name;
    const std::tuple<std::vector<std::string>, bool, bool> cases[] = {
        {{"--help"}, true, false}, {{"--app-dir", "/opt/Talvo", "--version"}, false, true}, {{"--critical"}, false, false}};
    for (const auto& [args, wantHelp, wantVersion] : cases) {
        const ParseResult parsed = ParseOptions(args);
        ASSERT_TRUE(parsed.options) << parsed.error;
        EXPECT_EQ(std::pair(parsed.options->help, parsed.options->version), std::pair(wantHelp, wantVersion));
    }
}

}  // namespace
}  // namespace kthost
