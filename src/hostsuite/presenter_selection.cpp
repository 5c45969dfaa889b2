#include "hostsuite/presenter_selection.h"

#include <cstdlib>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <variant>

#include "hostsuite/desktop_presenter.h"
#include "hostsuite/script_parser.h"
#include "hostsuite/scripted_presenter.h"
#include "hostsuite/terminal_presenter.h"
#include "hostsuite/transcript_writer.h"
#include "hostsuite/watched_presenter.h"
#include "log/activity_log.h"

namespace kt::hostsuite {

namespace {

constexpr const char* kScriptPrefix = "script:";
// A script answers while the terminal shows what it answers (the demo).
constexpr const char* kWatchPrefix = "watch:";

// The script file of "script:FILE" or "watch:FILE"; empty for another choice.
std::string ScriptPath(const std::string& choice) {
    for (const std::string prefix : {kScriptPrefix, kWatchPrefix}) {
        if (choice.rfind(prefix, 0) == 0 && choice.size() > prefix.size()) return choice.substr(prefix.size());
    }
    return {};
}

// The host asked for this presenter in order to test or watch a run: the
// reason it cannot have it goes to its error output as well as the log.
void Refuse(const std::string& reason) {
    KT_LOG(Error) << "Presenter not selected : " << reason;
    std::cerr << "ktupdate: " << reason << '\n';
}

std::optional<Script> ReadScript(const std::string& path) {
    std::variant<Script, ScriptError> loaded = LoadScript(path);
    if (const ScriptError* error = std::get_if<ScriptError>(&loaded)) {
        Refuse(error->line == 0 ? error->message
                                : path + ", line " + std::to_string(error->line) + ": " + error->message);
        return std::nullopt;
    }
    return std::move(std::get<Script>(loaded));
}

// The desktop presenter, driven by the script the environment names if any.
// Null when it cannot be had; `why` says why.
std::shared_ptr<Presenter> DesktopPresenter(std::shared_ptr<TranscriptWriter> transcript, std::string& why) {
    DesktopPresenterArgs args;
    args.transcript = std::move(transcript);
    if (const char* script = std::getenv(kDesktopScriptVariable); script != nullptr && *script != '\0') {
        std::optional<Script> loaded = ReadScript(script);
        if (!loaded) {
            why = std::string("the script ") + script + " cannot be used";
            return nullptr;
        }
        args.script = std::move(loaded);
    }
    if (const char* folder = std::getenv(kScreenshotVariable)) args.screenshotFolder = folder;
    return LoadDesktopPresenter(DesktopPluginPath(), std::move(args), why);
}

}  // namespace

int SelectPresenter(const char* ui, const char* transcriptPath) {
    const std::string choice = ui != nullptr ? ui : "";
    const std::string path = ScriptPath(choice);
    const bool scripted = !path.empty();
    const bool desktop = choice == "gtk" || choice == "auto";
    if (choice != "terminal" && !scripted && !desktop) {
        Refuse("unknown presenter \"" + choice + "\"");
        return 0;
    }
    std::optional<Script> script;
    if (scripted) {
        script = ReadScript(path);
        if (!script) return 0;
    }
    std::shared_ptr<TranscriptWriter> transcript;
    if (transcriptPath != nullptr && *transcriptPath != '\0') {
        transcript = TranscriptWriter::Open(transcriptPath);
        if (!transcript) {
            Refuse(std::string("cannot open the transcript ") + transcriptPath);
            return 0;
        }
    }
    if (desktop && (choice == "gtk" || DisplayConfigured())) {
        std::string why;
        if (std::shared_ptr<Presenter> windows = DesktopPresenter(transcript, why)) {
            InstallPresenter(std::move(windows));
            return 1;
        }
        if (choice == "gtk") {
            Refuse(why);
            return 0;
        }
        KT_LOG(Info) << "Desktop presenter not available (" << why << "); the terminal is used";
    }
    if (script && choice.rfind(kWatchPrefix, 0) == 0) {
        InstallPresenter(std::make_shared<WatchedScriptPresenter>(std::move(*script), transcript, std::cout));
    } else if (script) {
        InstallPresenter(std::make_shared<ScriptedPresenter>(std::move(*script), transcript));
    } else InstallPresenter(std::make_shared<TerminalPresenter>(transcript));
    return 1;
}

}  // namespace kt::hostsuite
