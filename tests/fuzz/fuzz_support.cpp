#include "fuzz_support.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "hostsuite/presenter.h"
#include "log/activity_log.h"
#include "support/temp_tree.h"

namespace kt::fuzz {
namespace {

namespace fs = std::filesystem;

std::atomic<bool> answerNo{false};

class AnsweringPresenter : public hostsuite::Presenter {
public:
    int ShowMessage(const hostsuite::MessageRequest&) override { return answerNo ? hostsuite::kIdNo : hostsuite::kIdYes; }
    int ShowButtons(const hostsuite::ButtonsRequest&) override { return hostsuite::kIdButton2; }
    std::optional<hostsuite::Credentials> AskCredentials(const std::string&) override { return std::nullopt; }
    int RunDialog(hostsuite::DialogModel&) override { return hostsuite::kIdCancel; }
};

// The process's tree, removed at its end with everything in it.
test::TempTree& Tree() {
    static test::TempTree* tree = [] {
        auto* made = new test::TempTree;
        setenv("TMPDIR", made->MakeDir("tmp").c_str(), 1);
        // Lines are still formatted, but the file easylogging++ opens stays empty.
        el::Configurations conf;
        conf.setToDefault();
        conf.setGlobally(el::ConfigurationType::Filename, (made->Root() / "log/fuzz.log").string());
        conf.setGlobally(el::ConfigurationType::ToFile, "false");
        conf.setGlobally(el::ConfigurationType::ToStandardOutput, "false");
        el::Loggers::getLogger("default");
        el::Loggers::setDefaultConfigurations(conf, true);
        hostsuite::InstallPresenter(std::make_shared<AnsweringPresenter>());
        std::atexit([] { delete tree; });
        return made;
    }();
    return *tree;
}

}  // namespace

const fs::path& FreshTree() {
    for (const char* folder : {"app", "UpdateInfo", "windows", "programfiles", "appdata", "registry", "run", "tmp"}) {
        std::error_code ec;
        fs::remove_all(Tree() / folder, ec);
        Tree().MakeDir(folder);
    }
    answerNo = false;
    return Tree().Root();
}

void SetAnswerNo(bool no) { answerNo = no; }

std::string WriteTreeFile(const std::string& relative, std::string_view content) {
    return Tree().WriteFile(relative, std::string(content)).string();
}

std::vector<std::string_view> SplitInput(std::string_view input) {
    std::vector<std::string_view> parts;
    for (std::size_t end; (end = input.find(kFileSeparator)) != std::string_view::npos;) {
        parts.push_back(input.substr(0, end));
        input.remove_prefix(end + kFileSeparator.size());
    }
    parts.push_back(input);
    return parts;
}

run::RunContext& FreshContext() {
    static std::unique_ptr<run::RunContext> made;  // one per process, made anew for each input
    made = std::make_unique<run::RunContext>();
    // With its separator, as the host gives it: the failure journal then lands in app/.
    made->appDir = (FreshTree() / "app").string() + "/";
    made->updateDir = (Tree() / "UpdateInfo").string();
    made->updateDirSlash = made->updateDir + "/";
    made->appTitle = "Talvo";
    made->version = made->compatVersion = "1.0";
    return *made;
}

void Fail(const std::string& what) {
    std::fprintf(stderr, "fuzz check failed: %s\n", what.c_str());
    std::error_code ec;
    fs::remove_all(Tree().Root(), ec);  // abort() runs no exit handler
    std::abort();
}

}  // namespace kt::fuzz
