#include "kthost_options.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <functional>
#include <limits>
#include <map>

namespace kthost {

namespace {

struct Refused {
    std::string reason;
};

template <typename Number>
Number ParseNumber(const std::string& option, const std::string& text) {
    Number value{};
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end) throw Refused{option + ": not a number: " + text};
    return value;
}

// A fixed-size text field keeps room for its terminating zero.
std::string Fitting(const std::string& option, const std::string& text, std::size_t fieldSize) {
    if (text.size() >= fieldSize) {
        throw Refused{option + ": longer than " + std::to_string(fieldSize - 1) + " bytes"};
    }
    return text;
}

void CheckUi(const std::string& ui) {
    if (ui == "terminal" || ui == "gtk" || ui == "auto") return;
    for (const std::string prefix : {"script:", "watch:"}) {
        if (ui.rfind(prefix, 0) == 0 && ui.size() > prefix.size()) return;
    }
    throw Refused{"--ui: expected terminal, script:FILE, watch:FILE, gtk or auto, not " + ui};
}

using Flag = std::function<void(Options&)>;
using Valued = std::function<void(Options&, const std::string& option, const std::string& value)>;

const std::map<std::string, Flag>& Flags() {
    static const std::map<std::string, Flag> flags = {
        {"--critical", [](Options& o) { o.critical = true; }},
        {"--flag", [](Options& o) { o.flag = true; }},
        {"--at-start", [](Options& o) { o.atStart = true; }},
        {"--sesam-install", [](Options& o) { o.sesamInstall = true; }},
        {"--teletrans", [](Options& o) { o.teletrans = true; }},
        {"--inst-only", [](Options& o) { o.instOnly = true; }},
        {"--help", [](Options& o) { o.help = true; }},
        {"--version", [](Options& o) { o.version = true; }},
    };
    return flags;
}

const std::map<std::string, Valued>& ValuedOptions() {
    using S = const std::string&;
    static const std::map<std::string, Valued> valued = {
        {"--module", [](Options& o, S, S v) { o.module = v; }},
        {"--pid", [](Options& o, S n, S v) { o.pid = ParseNumber<std::uint32_t>(n, v); }},
        {"--show", [](Options& o, S n, S v) { o.show = ParseNumber<int>(n, v); }},
        {"--update-dir", [](Options& o, S n, S v) { o.updateDir = Fitting(n, v, sizeof tagKTUpdateStruct::szUpdateDir); }},
        {"--data-dir", [](Options& o, S n, S v) { o.dataDir = Fitting(n, v, sizeof tagKTUpdateStruct::szDataDir); }},
        {"--app-dir", [](Options& o, S n, S v) { o.appDir = Fitting(n, v, sizeof tagKTUpdateStruct::szAppDir); }},
        {"--postal-code", [](Options& o, S n, S v) { o.postalCode = Fitting(n, v, sizeof tagKTUpdateStruct::szPostalCode); }},
        {"--version-label", [](Options& o, S, S v) { o.versionLabel = v; }},
        {"--compat-version", [](Options& o, S, S v) { o.compatVersion = v; }},
        {"--ver-major", [](Options& o, S, S v) { o.verMajor = v; }},
        {"--ver-minor", [](Options& o, S, S v) { o.verMinor = v; }},
        {"--ver-build", [](Options& o, S, S v) { o.verBuild = v; }},
        {"--title", [](Options& o, S, S v) { o.title = v; }},
        {"--practitioner", [](Options& o, S, S v) { o.practitioner = v; }},
        {"--server", [](Options& o, S, S v) { o.servers.push_back(v); }},
        {"--ui", [](Options& o, S, S v) { CheckUi(v); o.ui = v; }},
        {"--transcript", [](Options& o, S, S v) { o.transcript = v; }},
    };
    return valued;
}

void CopyText(char* field, std::size_t size, const std::string& text) {
    std::memset(field, 0, size);
    std::memcpy(field, text.data(), std::min(text.size(), size - 1));
}

const char* PointerTo(const std::optional<std::string>& text) { return text ? text->c_str() : nullptr; }

}  // namespace

ParseResult ParseOptions(const std::vector<std::string>& args) {
    Options options;
    try {
        for (std::size_t i = 0; i < args.size(); ++i) {
            const std::string& name = args[i];
            if (const auto flag = Flags().find(name); flag != Flags().end()) {
                flag->second(options);
                continue;
            }
            const auto valued = ValuedOptions().find(name);
            if (valued == ValuedOptions().end()) throw Refused{"unknown option " + name};
            if (i + 1 == args.size()) throw Refused{name + " needs a value"};
            valued->second(options, name, args[++i]);
        }
    } catch (const Refused& refused) {
        return {std::nullopt, refused.reason};
    }
    return {options, {}};
}

std::string Usage() {
    return "usage: kthost [--module PATH] [--critical] [record options] [--ui terminal | --ui script:FILE]\n"
           "              [--ui gtk | --ui auto] [--ui watch:FILE] [--transcript FILE]\n"
           "record options: --pid N --at-start --sesam-install --teletrans --inst-only\n"
           "  --update-dir DIR --data-dir DIR --app-dir DIR --version-label TEXT\n"
           "  --compat-version V --ver-major N --ver-minor N --ver-build N --title TEXT\n"
           "  --practitioner TEXT --server URL (repeatable) --postal-code CODE --flag --show N\n"
           "kthost --help explains every option.\n";
}

std::vector<std::string> OptionNames() {
    std::vector<std::string> names;
    for (const auto& [name, set] : Flags()) names.push_back(name);
    for (const auto& [name, set] : ValuedOptions()) names.push_back(name);
    return names;
}

void FillRecord(const Options& options, tagKTUpdateStruct& record) {
    record.dwProcessId = options.pid;
    record.bAtStart = options.atStart ? 1 : 0;
    record.bSesamInstall = options.sesamInstall ? 1 : 0;
    record.bTeletrans = options.teletrans ? 1 : 0;
    record.bInstOnly = options.instOnly ? 1 : 0;
    CopyText(record.szUpdateDir, sizeof record.szUpdateDir, options.updateDir);
    CopyText(record.szDataDir, sizeof record.szDataDir, options.dataDir);
    CopyText(record.szAppDir, sizeof record.szAppDir, options.appDir);
    CopyText(record.szPostalCode, sizeof record.szPostalCode, options.postalCode);
    record.pszVersionLabel = PointerTo(options.versionLabel);
    record.pszCompatVersion = PointerTo(options.compatVersion);
    record.pszVerMajor = PointerTo(options.verMajor);
    record.pszVerMinor = PointerTo(options.verMinor);
    record.pszVerBuild = PointerTo(options.verBuild);
    record.pszAppTitle = PointerTo(options.title);
    record.pszPractitioner = PointerTo(options.practitioner);
    record.lstServerUrls.assign(options.servers.begin(), options.servers.end());
}

}  // namespace kthost
