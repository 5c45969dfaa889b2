// What every harness shares: one tree per process emptied before each input, a silent log, inputs of several files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "run/run_context.h"

namespace kt::fuzz {

// Separates the files of one input: "versions.xml", SEP, "GUID.xml", ...
inline constexpr std::string_view kFileSeparator = "\n#####\n";
inline constexpr const char* kOwnGuid = "{1A2B3C4D-5E6F-7a8b-9C0D-1E2F3A4B5C6D}";

// The process's tree, emptied; questions are answered Yes (No after SetAnswerNo(true)).
const std::filesystem::path& FreshTree();
void SetAnswerNo(bool no);
std::string WriteTreeFile(const std::string& relative, std::string_view content);
// The input cut at each separator; always at least one part.
std::vector<std::string_view> SplitInput(std::string_view input);
// The tree emptied, and a run context for it: "app/", UpdateInfo, host version 1.0.
run::RunContext& FreshContext();
// Stops the process with `what` on standard error: the fuzzer counts it as a crash.
[[noreturn]] void Fail(const std::string& what);

}  // namespace kt::fuzz

// Defines the harness: its body gets the input as `input`, a string_view.
#define KT_FUZZ_HARNESS(input)                                                                      \
    static void FuzzOne(std::string_view input);                                                    \
    extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {             \
        return FuzzOne({reinterpret_cast<const char*>(data), size}), 0;                             \
    }                                                                                               \
    static void FuzzOne(std::string_view input)
