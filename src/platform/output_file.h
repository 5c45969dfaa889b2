// A file being received: created (or emptied) for writing, written through
// a large buffer so that many small pieces cost few system calls, and closed
// once. Errors carry the system's error number for the error box.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <system_error>
#include <vector>

#include "platform/unique_fd.h"

namespace kt::platform {

class OutputFile {
public:
    OutputFile() = default;
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Creates `path`, or empties it when it exists. Closes a file still open.
    // A link at `path` is refused (ELOOP), never followed.
    [[nodiscard]] std::error_code Open(const std::string& path);
    // The same for a `path` inside the folder `root`, following no link at
    // any step below `root` (see OpenBelow).
    [[nodiscard]] std::error_code Open(const std::string& root, const std::string& path);
    // Opens `path` inside `root` (as Open) to go on writing after its first
    // `keep` bytes; whatever follows them is cut off. Closes a file still open.
    [[nodiscard]] std::error_code OpenAt(const std::string& root, const std::string& path, std::uint64_t keep);
    bool IsOpen() const { return fd_.Valid(); }
    const std::string& Path() const { return path_; }

    // Appends `size` bytes; a failure of the disk may only show at a later
    // write or at Close.
    [[nodiscard]] std::error_code Write(const char* data, std::size_t size);
    // Writes what is buffered and closes. Nothing to do when not open.
    [[nodiscard]] std::error_code Close();

private:
    // Opens `path` below `root` (see OpenBelow) with `flags` besides creation.
    [[nodiscard]] std::error_code OpenBelowWith(const std::string& root, const std::string& path, int flags);
    [[nodiscard]] std::error_code Flush();
    [[nodiscard]] std::error_code WriteAll(const char* data, std::size_t size);

    UniqueFd fd_;
    std::string path_;
    std::vector<char> buffer_;
    std::size_t used_ = 0;
};

}  // namespace kt::platform
