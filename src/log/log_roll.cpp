#include "log/log_roll.h"

#include <filesystem>
#include <system_error>

namespace kt::log {

void RollWhenFull(el::Logger* logger, el::Level level) {
    el::base::TypedConfigurations* conf = logger->typedConfigurations();
    el::base::type::fstream_t* file = conf->fileStream(level);
    const std::size_t maxSize = conf->maxLogFileSize(level);
    if (file == nullptr || maxSize == 0) return;
    file->flush();
    const std::streamoff size = file->tellp();
    if (size < 0 || static_cast<std::size_t>(size) < maxSize) return;
    // On failure the library's own check rolls the file as before.
    std::error_code error;
    std::filesystem::resize_file(conf->filename(level), 0, error);
    if (error) return;
    // A stream the library reopened is not in append mode: it must write from the start again.
    if (!file->seekp(0)) file->clear();
}

}  // namespace kt::log
