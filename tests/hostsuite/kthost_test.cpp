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

struct KthostRun {
    int status = -1;
    std::string out;
    std::string err;
    std::string record;  // what the module was given, one field a line
};

std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

class KthostProcess : public ::testing::Test {
protected:
    KthostRun Kthost(const std::vector<std::string>& args, const std::string& program = KTHOST_PATH) {
        // The module returns 7, which kthost could not make up.
        std::string command = "FAKE_MODULE_RESULT=7 FAKE_MODULE_OUT=" + Quoted((tree / "record.txt").string()) + " " +
                              Quoted(program);
        for (const std::string& arg : args) command += " " + Quoted(arg);
        command += " </dev/null >" + Quoted((tree / "out.txt").string()) + " 2>" + Quoted((tree / "err.txt").string());
        std::filesystem::remove(tree / "record.txt");
        const int raw = std::system(command.c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, kt::test::ReadFile(tree / "out.txt"),
                kt::test::ReadFile(tree / "err.txt"), kt::test::ReadFile(tree / "record.txt")};
    }

    kt::test::TempTree tree;
    const std::string module = FAKE_MODULE_PATH;
};

TEST_F(KthostProcess, CallsTheOrdinaryEntryPointWithEveryOptionInItsFieldAndPrintsItsResultLast) {
    const KthostRun run = Kthost(
        {"--module", module, "--pid", "4242", "--at-start", "--sesam-install", "--teletrans", "--inst-only",
         "--update-dir", "/d/UpdateInfo", "--data-dir", "/d", "--app-dir", "/a", "--version-label", "Talvo 2024",
         "--compat-version", "5.2.0", "--ver-major", "5", "--ver-minor", "2", "--ver-build", "", "--title", "Talvo",
         "--practitioner", "Dr Martin", "--server", "ftp://127.0.0.1:2121/maj/", "--server", "ftp://127.0.0.1:2122/",
         "--postal-code", "77120", "--show", "6"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "the module speaks on standard output\nresult: 7\n");
    // An empty text is given as an empty text, not as null; without --ui
    // the module keeps its own presenter.
    EXPECT_EQ(run.record,
              "entry=main\nshow=6\nflag=0\npid=4242\natStart=1\nsesam=1\nteletrans=1\ninstOnly=1\n"
              "update=/d/UpdateInfo\ndata=/d\napp=/a\npostal=77120\nlabel=Talvo 2024\ncompat=5.2.0\nmajor=5\n"
              "minor=2\nbuild=\ntitle=Talvo\npractitioner=Dr Martin\n"
              "servers=ftp://127.0.0.1:2121/maj/;ftp://127.0.0.1:2122/;\n");
}

// The critical entry's defaults, the presenter chosen before the call (a
// transcript alone keeps the terminal), then the exit statuses of usage
// errors and unloadable modules, which call nothing.
TEST_F(KthostProcess, ChoosesThePresenterFirstAndHasAnExitStatusPerFailure) {
    const struct {
        std::vector<std::string> args;
        int status;
        std::string record;  // a part of the record; "": no entry called
    } cases[] = {
        {{"--module", module, "--critical"}, 0,
         "entry=critical\nshow=-1\nflag=0\npid=0\natStart=0\nsesam=0\nteletrans=0\ninstOnly=0\nupdate=\n"
         "data=\napp=\npostal=\nlabel=<null>\ncompat=<null>\nmajor=<null>\nminor=<null>\nbuild=<null>\n"
         "title=<null>\npractitioner=<null>\nservers=\n"},
        {{"--module", module, "--critical", "--flag"}, 0, "\nflag=1\n"},
        {{"--module", module, "--ui", "script:/x/a.txt", "--transcript", "/x/s.txt"}, 0,
         "presenter=script:/x/a.txt|/x/s.txt\nentry=main\nshow=1\n"},
        {{"--module", module, "--transcript", "/x/s.txt"}, 0, "presenter=terminal|/x/s.txt\nentry=main"},
        {{"--module", module, "--pid"}, 2, ""},
        {{"--module", module, "--ui", "script:refused"}, 2, ""},
        {{"--module", (tree / "absent.so").string()}, 3, ""},
        {{"--module", "libm.so.6"}, 3, ""},  // loads, but lacks the entry points
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.back());
        const KthostRun run = Kthost(c.args);
        EXPECT_EQ(run.status, c.status) << run.err;
        EXPECT_TRUE(c.status == 0 ? run.out.ends_with("result: 7\n") : run.out.empty()) << run.out;
        EXPECT_EQ(run.record.find(c.record.empty() ? "entry=" : c.record) == std::string::npos, c.record.empty()) << run.record;
    }
}

TEST_F(KthostProcess, FindsTheModuleBesideItselfByDefault) {
    const auto folder = tree.MakeDir("install");
    std::filesystem::copy_file(KTHOST_PATH, folder / "kthost");
    std::filesystem::copy_file(module, folder / "libktupdatedll.so");
    const KthostRun run = Kthost({"--title", "Talvo"}, (folder / "kthost").string());
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.record.find("\ntitle=Talvo\n"), std::string::npos);
    std::filesystem::remove(folder / "libktupdatedll.so");
    EXPECT_EQ(Kthost({}, (folder / "kthost").string()).status, 3);
}

// Fixed-size fields take their longest text and refuse a longer one; other
// mistakes are refused with a reason.
TEST(KthostOptions, MistakesAreRefusedWithAReason) {
    const std::string longest(259, 'a');
    const std::vector<std::vector<std::string>> mistakes = {
        {"--bogus"},        {"--app-dir"},    {"--title", "Talvo", "--server"},   {"--pid", "douze"},
        {"--pid", "-1"},    {"--pid", "4294967296"}, {"--show", "1x"},        {"--ui", "gui"},
        {"--ui", "script:"}, {"Talvo"},       {"--postal-code", "1234567890"},   {"--app-dir", longest + "a"},
        {"--update-dir", longest + "a"},      {"--data-dir", longest + "a"},
    };
    for (const auto& args : mistakes) {
        const ParseResult result = ParseOptions(args);
        EXPECT_FALSE(result.options.has_value()) << args[0];
        EXPECT_FALSE(result.error.empty()) << args[0];
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
