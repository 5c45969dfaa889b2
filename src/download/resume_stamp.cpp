#include "download/resume_stamp.h"

#include <filesystem>
#include <fstream>

#include "platform/atomic_file.h"

namespace kt::download {

std::string StampPath(const std::string& path) { return path + ".ktresume"; }

std::uint64_t ResumableBytes(const std::string& path, const ServerFileStamp& stamp) {
    if (stamp.size <= 0 || stamp.time < 0) return 0;
    std::ifstream in(StampPath(path));
    ServerFileStamp kept;
    if (!(in >> kept.size >> kept.time) || kept.size != stamp.size || kept.time != stamp.time) return 0;
    std::error_code ec;
    const std::uintmax_t have = std::filesystem::file_size(path, ec);
    if (ec || have >= static_cast<std::uintmax_t>(stamp.size)) return 0;
    return have;
}

bool KeepStamp(const std::string& path, const ServerFileStamp& stamp) {
    if (stamp.size <= 0 || stamp.time < 0) {
        ForgetStamp(path);
        return true;
    }
    const std::string text = std::to_string(stamp.size) + " " + std::to_string(stamp.time) + "\n";
    return static_cast<bool>(platform::ReplaceFileAtomically(StampPath(path), text));
}

void ForgetStamp(const std::string& path) {
    std::error_code ec;
    std::filesystem::remove(StampPath(path), ec);
}

}  // namespace kt::download
