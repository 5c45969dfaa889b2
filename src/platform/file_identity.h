// A file read together with what identifies it on its file system, so that a
// later removal takes away that very file and not one that another process
// has put in its place since.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace kt::platform {

struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    bool operator==(const FileIdentity&) const = default;
};

struct IdentifiedContent {
    FileIdentity identity;
    std::string content;
};

// The whole content of `path` and its identity, both from one open file;
// nothing when it cannot be opened or read.
std::optional<IdentifiedContent> ReadIdentifiedFile(const std::string& path);

enum class RemoveOutcome { kRemoved, kGone, kReplaced, kFailed };

// Removes `path` only when it is still the file `identity` names. The file
// is first moved aside under a private name, so that a file put there by
// someone else in the meantime is seen and moved back rather than lost.
RemoveOutcome RemoveFileIfSame(const std::string& path, const FileIdentity& identity);

}  // namespace kt::platform
