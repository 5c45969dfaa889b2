// kthost: as a process it loads a module, hands it the record built from its
// options, chooses the presenter and prints the result last, with the
// documented exit statuses; its command line refuses what cannot fit.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "kthost_options.h"
#include "support/temp_tree.h"

namespace kthost {
namespace {

class KthostProcess : public ::testing::Test {
protected:
    // Exit status, standard output and the record the module was given, one field a line
    // (the module returns 7, which kthost could not make up).
    std::tuple<int, std::string, std::string> Kthost(const std::vector<std::string>& args) {
        std::string command = "FAKE_MODULE_RESULT=7 FAKE_MODULE_OUT='" + (tree / "record.txt").string() + "' " KTHOST_PATH;
        for (const std::string& arg : args) command += " '" + arg + "'";
        std::filesystem::remove(tree / "record.txt");
        const int raw = std::system((command + " </dev/null >'" + (tree / "out.txt").string() + "' 2>/dev/null").c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, kt::test::ReadFile(tree / "out.txt"), kt::test::ReadFile(tree / "record.txt")};
    }

    kt::test::TempTree tree;
    const std::string module = FAKE_MODULE_PATH;
};

// Every option in its field (an empty text given as empty, not null); the
// presenter chosen before the call (a transcript alone keeps the terminal);
// usage errors and unloadable modules call nothing and have their own exit status.
TEST_F(KthostProcess, PassesEveryOptionChoosesThePresenterFirstAndHasAnExitStatusPerFailure) {
    const struct {
        std::vector<std::string> args;
        int status;
        std::string record;  // a part of the record; "": no entry called
    } cases[] = {
        {{"--module", module, "--pid", "4242", "--at-start", "--sesam-install", "--teletrans", "--inst-only", "--update-dir",
          "/d/UpdateInfo", "--data-dir", "/d", "--app-dir", "/a", "--version-label", "Talvo 2024", "--compat-version", "5.2.0",
          "--ver-major", "5", "--ver-minor", "2", "--ver-build", "", "--title", "Talvo", "--practitioner", "Dr Martin", "--server",
          "ftp://127.0.0.1:2121/maj/", "--server", "ftp://127.0.0.1:2122/", "--postal-code", "77120", "--show", "6"}, 0,
         "entry=main\nshow=6\nflag=0\npid=4242\natStart=1\nsesam=1\nteletrans=1\ninstOnly=1\nupdate=/d/UpdateInfo\ndata=/d\n"
         "app=/a\npostal=77120\nlabel=Talvo 2024\ncompat=5.2.0\nmajor=5\nminor=2\nbuild=\ntitle=Talvo\npractitioner=Dr Martin\n"
         "servers=ftp://127.0.0.1:2121/maj/;ftp://127.0.0.1:2122/;\n"},
        {{"--module", module, "--critical", "--flag"}, 0, "entry=critical\nshow=-1\nflag=1\n"},
        {{"--module", module, "--transcript", "/x/s.txt"}, 0, "presenter=terminal|/x/s.txt\nentry=main\nshow=1\n"},
        {{"--module", module, "--pid"}, 2, ""}, {{"--module", module, "--ui", "script:refused"}, 2, ""},
        {{"--module", (tree / "absent.so").string()}, 3, ""}, {{"--module", "libm.so.6"}, 3, ""},  // the last lacks the entry points
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.back());
        const auto [status, out, record] = Kthost(c.args);
        EXPECT_EQ(status, c.status);
        EXPECT_TRUE(c.status == 0 ? out.ends_with("result: 7\n") : out.empty()) << out;
        EXPECT_EQ(record.find(c.record.empty() ? "entry=" : c.record) == std::string::npos, c.record.empty()) << record;
    }
}

// Fixed-size fields take their longest text and refuse a longer one; other
// mistakes are refused with a reason.
TEST(KthostOptions, MistakesAreRefusedWithAReason) {
    const std::string longest(259, 'a');
    const std::vector<std::vector<std::string>> mistakes = {
        {"--bogus"}, {"--app-dir"}, {"--title", "Talvo", "--server"}, {"--pid", "douze"}, {"--pid", "-1"},
        {"--pid", "4294967296"}, {"--show", "1x"}, {"--ui", "gui"}, {"--ui", "script:"}, {"Talvo"},
        {"--postal-code", "1234567890"}, {"--app-dir", longest + "a"}, {"--update-dir", longest + "a"}, {"--data-dir", longest + "a"},
    };
    for (const auto& args : mistakes) {
        const ParseResult result = ParseOptions(args);
        EXPECT_TRUE(!result.options && !result.error.empty()) << args[0];
    }
    const ParseResult accepted = ParseOptions({"--app-dir", longest, "--postal-code", "123456789", "--show", "-1"});
    ASSERT_TRUE(accepted.options.has_value()) << accepted.error;
    tagKTUpdateStruct record;
    FillRecord(*accepted.options, record);
    EXPECT_EQ(std::strlen(record.szAppDir), 259u);
    EXPECT_STREQ(record.szPostalCode, "123456789");
}

}  // namespace
}  // namespace kthost
