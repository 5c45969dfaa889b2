// Private-profile (INI) files, read and written as the Windows kernel does:
// "[Section]" lines open a section, "Key=Value" lines give values, lines
// starting with ";" are comments. Section and key names are compared without
// regard to case and, like values, lose their surrounding blanks. Only the
// first section of a name counts. A file given by a bare name lives in the
// Windows folder. Nothing is cached: every call reads the file again.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kt::platform {

// The value of `key` in `section`, without one pair of matching quotes around
// it. `defaultValue`, without its trailing blanks, when the file, the section
// or the key does not exist. The result fits a buffer of `size` characters
// with its terminator: at most `size` - 1 characters, cut at a character
// boundary of the UTF-8 text.
std::string GetPrivateProfileString(std::string_view section, std::string_view key, std::string_view defaultValue,
                                    std::size_t size, const std::string& file);

// The value read as a decimal integer with an optional sign, up to its first
// other character (no digit gives 0). `defaultValue` when the key does not
// exist or its value is empty.
int GetPrivateProfileInt(std::string_view section, std::string_view key, int defaultValue, const std::string& file);

// Sets `key` of `section` to `value`: an existing key is rewritten in place,
// a new key goes at the end of its section, a new section at the end of the
// file, a missing file is created. The rest of the file is kept as it is. The
// file is replaced atomically (temporary file in the same folder, then
// rename), so a reader sees either the old or the new content, and written
// under a lock beside it that holds across processes. False when it
// could not be written, or when a name or the value cannot be stored on one
// line (line breaks, a key with "=" or starting like a section or comment).
[[nodiscard]] bool WritePrivateProfileString(std::string_view section, std::string_view key,
                                             std::string_view value, const std::string& file);

}  // namespace kt::platform
