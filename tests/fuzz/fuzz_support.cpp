#include "fuzz_support.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "hostsuite/presenter.h"
#include "support/temp_tree.h"
#include "log/activity_log.h"

namespace kt::fuzz {
namespace {

namespace fs = std::filesystem;

// The folders a harness may write in; emptied before each input.
constexpr const char* kWorkFolders[] = {"app", "UpdateInfo", "windows", "programfiles", "appdata",
                                        "registry", "run", "tmp"};

std::atomic<bool> answerNo{false};

class AnsweringPresenter : public hostsuite::Presenter {
public:
    int ShowMessage(const hostsuite::MessageRequest&) override {
        return answerNo ? hostsuite::kIdNo : hostsuite::kIdYes;
    }
    int ShowButtons(const hostsuite::ButtonsRequest&) override { return hostsuite::kIdButton2; }
    std::optional<hostsuite::Credentials> AskCredentials(const std::string&) override { return std::nullopt; }
    int RunDialog(hostsuite::DialogModel&) override { return hostsuite::kIdCancel; }
};

// Lines are still built, so odd values go through the log's formatting,
// but the file easylogging++ insists on opening stays empty inside the tree.
void SilenceLog(const fs::path& root) {
    el::Configurations conf;
    conf.setToDefault();
    conf.setGlobally(el::ConfigurationType::Filename, (root / "log" / "fuzz.log").string());
    conf.setGlobally(el::ConfigurationType::ToFile, "false");
    conf.setGlobally(el::ConfigurationType::ToStandardOutput, "false");
    el::Loggers::getLogger("default");
    el::Loggers::setDefaultConfigurations(conf, true);
}

test::TempTree& Tree() {
    // Left to the end of the process; removed then with everything in it.
    static test::TempTree* tree = [] {
        auto* made = new test::TempTree;
        setenv("TMPDIR", made->MakeDir("tmp").c_str(), 1);
        SilenceLog(made->Root());
        hostsuite::InstallPresenter(std::make_shared<AnsweringPresenter>());
        std::atexit([] { delete tree; });
        return made;
    }();
    return *tree;
}

}  // namespace

const fs::path& FreshTree() {
    test::TempTree& tree = Tree();
    for (const char* folder : kWorkFolders) {
        std::error_code ec;
        fs::remove_all(tree / folder, ec);
        tree.MakeDir(folder);
    }
    answerNo = false;
    return tree.Root();
}

void SetAnswerNo(bool no) { answerNo = no; }

std::string WriteTreeFile(const std::string& relative, std::string_view content) {
    return Tree().WriteFile(relative, std::string(content)).string();
}

std::vector<std::string_view> SplitInput(std::string_view input) {
    std::vector<std::string_view> parts;
    for (;;) {
        const std::size_t end = input.find(kFileSeparator);
        parts.push_back(input.substr(0, end));
        if (end == std::string_view::npos) return parts;
        input.remove_prefix(end + kFileSeparator.size());
    }
}

run::RunContext& FreshContext() {
    const fs::path& root = FreshTree();
    // One per process, made anew for each input.
    static std::unique_ptr<run::RunContext> made;
    made = std::make_unique<run::RunContext>();
    run::RunContext& ctx = *made;
    // With its separator, as the host gives it: the failure journal, named
    // by appending to it, then lands in app/ and is emptied with it.
    ctx.appDir = (root / "app").string() + "/";
    ctx.updateDir = (root / "UpdateInfo").string();
    ctx.updateDirSlash = ctx.updateDir + "/";
    ctx.appTitle = "Talvo";
    ctx.version = ctx.compatVersion = "1.0";
    return ctx;
}

void Fail(const std::string& what) {
    std::fprintf(stderr, "fuzz check failed: %s\n", what.c_str());
    // abort() runs no exit handler: the tree goes first.
    std::error_code ec;
    fs::remove_all(Tree().Root(), ec);
    std::abort();
}

}  // namespace kt::fuzz
