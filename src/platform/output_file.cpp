#include "platform/output_file.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

#include "platform/open_below.h"
#include "platform/sys_error.h"

namespace kt::platform {
namespace {

// Large enough that a fast transfer costs a few hundred writes per second.
constexpr std::size_t kBufferSize = 1 << 20;
// A piece at least this large goes to the file as it is: copying it into
// the buffer first would cost more than the write it saves.
constexpr std::size_t kDirectWrite = 128 << 10;

std::error_code LastError() { return {errno, std::generic_category()}; }

}  // namespace

// A file still open here was given up by its writer, whose attempt already
// failed or was cancelled: what it holds no longer matters.
OutputFile::~OutputFile() { static_cast<void>(Close()); }

std::error_code OutputFile::Open(const std::string& path) {
    return Open(std::filesystem::path(path).parent_path().string(), path);
}

std::error_code OutputFile::Open(const std::string& root, const std::string& path) {
    return OpenBelowWith(root, path, O_TRUNC);
}

std::error_code OutputFile::OpenAt(const std::string& root, const std::string& path, std::uint64_t keep) {
    if (const std::error_code error = OpenBelowWith(root, path, 0)) return error;
    const auto offset = static_cast<off_t>(keep);
    if (RetryOnEintr([&] { return ::ftruncate(fd_.Get(), offset); }) != 0 || ::lseek(fd_.Get(), offset, SEEK_SET) < 0) {
        const std::error_code error = LastError();
        static_cast<void>(Close());
        return error;
    }
    return {};
}

std::error_code OutputFile::OpenBelowWith(const std::string& root, const std::string& path, int flags) {
    static_cast<void>(Close());
    auto opened = OpenBelow(root.empty() ? "." : root, path, O_WRONLY | O_CREAT | flags);
    if (!opened) return opened.Error().code;
    fd_ = std::move(*opened);
    path_ = path;
    buffer_.resize(kBufferSize);
    used_ = 0;
    return {};
}

std::error_code OutputFile::Write(const char* data, std::size_t size) {
    if (!fd_.Valid()) return std::make_error_code(std::errc::bad_file_descriptor);
    if (size >= kDirectWrite) {
        if (const std::error_code error = Flush()) return error;
        return WriteAll(data, size);
    }
    while (size > 0) {
        if (used_ == buffer_.size()) {
            if (const std::error_code error = Flush()) return error;
        }
        const std::size_t piece = std::min(size, buffer_.size() - used_);
        std::memcpy(buffer_.data() + used_, data, piece);
        used_ += piece;
        data += piece;
        size -= piece;
    }
    return {};
}

std::error_code OutputFile::Flush() {
    // What could not be written is lost; the file is known to be bad.
    const std::size_t used = std::exchange(used_, 0);
    return WriteAll(buffer_.data(), used);
}

std::error_code OutputFile::WriteAll(const char* data, std::size_t size) {
    std::size_t done = 0;
    while (done < size) {
        const ssize_t written = RetryOnEintr([&] { return ::write(fd_.Get(), data + done, size - done); });
        if (written <= 0) return written < 0 ? LastError() : std::make_error_code(std::errc::io_error);
        done += static_cast<std::size_t>(written);
    }
    return {};
}

std::error_code OutputFile::Close() {
    if (!fd_.Valid()) return {};
    std::error_code error = Flush();
    if (::close(fd_.Release()) != 0 && !error) error = LastError();
    buffer_.clear();
    buffer_.shrink_to_fit();
    return error;
}

}  // namespace kt::platform
