// The command line of kthost, the stand-in for the host application: which
// entry point to call, the record to pass, and how the module shows things.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <ktupdate.h>

namespace kthost {

struct Options {
    std::string module;  // empty: the library beside kthost
    bool critical = false;
    bool flag = false;
    int show = 1;

    std::uint32_t pid = 0;
    bool atStart = false;
    bool sesamInstall = false;
    bool teletrans = false;
    bool instOnly = false;
    std::string updateDir;
    std::string dataDir;
    std::string appDir;
    std::string postalCode;
    std::optional<std::string> versionLabel;
    std::optional<std::string> compatVersion;
    std::optional<std::string> verMajor;
    std::optional<std::string> verMinor;
    std::optional<std::string> verBuild;
    std::optional<std::string> title;
    std::optional<std::string> practitioner;
    std::vector<std::string> servers;

    std::optional<std::string> ui;
    std::optional<std::string> transcript;

    // Print the help or the version instead of loading the module.
    bool help = false;
    bool version = false;
};

struct ParseResult {
    std::optional<Options> options;
    // Why the command line was refused.
    std::string error;
};

// `args` without the program name.
ParseResult ParseOptions(const std::vector<std::string>& args);

std::string Usage();

// Every option the command line takes, flags and options with a value.
std::vector<std::string> OptionNames();

// Fills the record from the options; its text pointers point into `options`,
// which must outlive the call that receives the record.
void FillRecord(const Options& options, tagKTUpdateStruct& record);

}  // namespace kthost
