// kthost as a process: it loads a module, hands it the record, chooses the
// presenter and prints the result last, with the documented exit statuses.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>

#include "support/temp_tree.h"

namespace {

struct KthostRun {
    int status = -1;
    std::string out;
    std::string err;
    std::map<std::string, std::string> record;  // what the module was given
};

std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

class KthostProcess : public ::testing::Test {
protected:
    KthostRun Kthost(const std::vector<std::string>& args, const std::string& program = KTHOST_PATH,
               const std::string& environment = "") {
        std::string command = "FAKE_MODULE_OUT=" + Quoted((tree / "record.txt").string()) + " " + environment + " " +
                              Quoted(program);
        for (const std::string& arg : args) command += " " + Quoted(arg);
        command += " </dev/null >" + Quoted((tree / "out.txt").string()) + " 2>" + Quoted((tree / "err.txt").string());
        std::filesystem::remove(tree / "record.txt");
        KthostRun run;
        const int raw = std::system(command.c_str());
        run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        run.out = kt::test::ReadFile(tree / "out.txt");
        run.err = kt::test::ReadFile(tree / "err.txt");
        std::istringstream lines(kt::test::ReadFile(tree / "record.txt"));
        for (std::string line; std::getline(lines, line);) {
            const auto equal = line.find('=');
            run.record[line.substr(0, equal)] = line.substr(equal + 1);
        }
        return run;
    }

    static std::string LastLine(const std::string& text) {
        std::istringstream lines(text);
        std::string last;
        for (std::string line; std::getline(lines, line);) {
            if (!line.empty()) last = line;
        }
        return last;
    }

    kt::test::TempTree tree;
    const std::string module = FAKE_MODULE_PATH;
};

TEST_F(KthostProcess, CallsTheOrdinaryEntryPointWithTheRecordAndPrintsItsResultLast) {
    KthostRun run = Kthost({"--module", module, "--app-dir", "/a", "--ver-major", "5", "--title", "Talvo",
                            "--server", "ftp://127.0.0.1/1/", "--server", "ftp://127.0.0.1/2/", "--show", "3",
                            "--practitioner", "Dr Martin"},
                           KTHOST_PATH, "FAKE_MODULE_RESULT=7");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(LastLine(run.out), "result: 7");
    EXPECT_NE(run.out.find("the module speaks"), std::string::npos);
    EXPECT_EQ(run.record["entry"], "main");
    EXPECT_EQ(run.record["show"], "3");
    EXPECT_EQ(run.record["app"], "/a");
    EXPECT_EQ(run.record["major"], "5");
    EXPECT_EQ(run.record["minor"], "<null>");
    EXPECT_EQ(run.record["practitioner"], "Dr Martin");
    EXPECT_EQ(run.record["servers"], "ftp://127.0.0.1/1/;ftp://127.0.0.1/2/;");
    EXPECT_EQ(run.record.count("presenter"), 0u) << "without --ui the module keeps its own presenter";
}

TEST_F(KthostProcess, CallsTheCriticalEntryPointWithItsFlag) {
    KthostRun run = Kthost({"--module", module, "--critical", "--flag", "--pid", "12"}, KTHOST_PATH,
                           "FAKE_MODULE_RESULT=0");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(LastLine(run.out), "result: 0");
    EXPECT_EQ(run.record["entry"], "critical");
    EXPECT_EQ(run.record["flag"], "1");
    EXPECT_EQ(run.record["pid"], "12");
}

TEST_F(KthostProcess, PassesThePresenterChoiceBeforeTheCall) {
    KthostRun run = Kthost({"--module", module, "--ui", "script:/x/answers.txt", "--transcript", "/x/shown.txt"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.record["presenter"], "script:/x/answers.txt|/x/shown.txt");
    run = Kthost({"--module", module, "--transcript", "/x/shown.txt"});
    EXPECT_EQ(run.record["presenter"], "terminal|/x/shown.txt") << "a transcript alone keeps the terminal";
}

TEST_F(KthostProcess, APresenterTheModuleRefusesIsAUsageErrorAndNothingIsCalled) {
    KthostRun run = Kthost({"--module", module, "--ui", "script:refused"});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.record.count("entry"), 0u);
    EXPECT_EQ(run.out.find("result:"), std::string::npos);
}

TEST_F(KthostProcess, UsageErrorsAndUnloadableModulesHaveTheirExitStatus) {
    KthostRun run = Kthost({"--module", module, "--pid"});
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("usage: kthost"), std::string::npos);
    run = Kthost({"--module", (tree / "absent.so").string()});
    EXPECT_EQ(run.status, 3);
    // A library that loads but lacks the entry points.
    run = Kthost({"--module", "libm.so.6"});
    EXPECT_EQ(run.status, 3);
    EXPECT_EQ(run.out.find("result:"), std::string::npos);
}

TEST_F(KthostProcess, FindsTheModuleBesideItselfByDefault) {
    const auto folder = tree.MakeDir("install");
    std::filesystem::copy_file(KTHOST_PATH, folder / "kthost");
    std::filesystem::copy_file(module, folder / "libktupdatedll.so");
    KthostRun run = Kthost({"--title", "Talvo"}, (folder / "kthost").string());
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.record["title"], "Talvo");
    std::filesystem::remove(folder / "libktupdatedll.so");
    EXPECT_EQ(Kthost({}, (folder / "kthost").string()).status, 3);
}

}  // namespace
