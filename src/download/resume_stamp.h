// A package left incomplete in Temp by a cancelled, failed or killed attempt
// is continued where it stopped, provided the server's file is still the one
// it was started from: the server's size and date of the file are kept in a
// small file beside the partial one.
#pragma once

#include <cstdint>
#include <string>

namespace kt::download {

// What the server said of a file: -1 for what it did not say.
struct ServerFileStamp {
    std::int64_t size = -1;
    std::int64_t time = -1;
};

// The file beside `path` that holds its stamp.
std::string StampPath(const std::string& path);

// How many bytes of the partial file `path` can be kept: its size when the
// stamp beside it is `stamp` (size and date both known) and the file is
// still shorter than the server's; 0 otherwise.
std::uint64_t ResumableBytes(const std::string& path, const ServerFileStamp& stamp);

// Keeps `stamp` beside `path` for a later attempt; when the server told
// neither size nor date there is nothing to check a later attempt against,
// and the stamp is removed instead. False when the stamp could not be written.
bool KeepStamp(const std::string& path, const ServerFileStamp& stamp);

void ForgetStamp(const std::string& path);

}  // namespace kt::download
