// Reads a script of answers. Blank lines and lines starting with "#" are
// ignored; every other line must be one of:
//
//   message ID -> ANSWER          message "PREFIX" -> ANSWER
//   buttons ID -> 23|24|25        buttons "PREFIX" -> 23|24|25
//   credentials -> "USER" "PASSWORD"          credentials -> cancel
//   folder -> "PATH"                          folder -> cancel
//   dialog DLG: ACTION; ACTION; ...
//
// ANSWER is ok, cancel, retry, yes, no or a number; a line ending with " *"
// may answer any number of items. Quoted texts take \\ \" \n \r \t.
#pragma once

#include <filesystem>
#include <string>
#include <variant>

#include "hostsuite/script.h"

namespace kt::hostsuite {

struct ScriptError {
    // 0 when the file itself could not be read.
    int line = 0;
    std::string message;
};

std::variant<Script, ScriptError> ParseScript(const std::string& text);

std::variant<Script, ScriptError> LoadScript(const std::filesystem::path& path);

// The button code of an answer word or number; nothing for anything else.
std::optional<int> ParseAnswer(const std::string& word);

}  // namespace kt::hostsuite
