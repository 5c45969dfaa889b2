// Appends transcript lines to a file, one whole line at a time, from any
// thread; each line is on disk before the item's answer is acted on.
#pragma once

#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <string>

namespace kt::hostsuite {

class TranscriptWriter {
public:
    // Nothing when the file cannot be opened for appending.
    static std::shared_ptr<TranscriptWriter> Open(const std::filesystem::path& path);

    void Write(const std::string& line);

private:
    explicit TranscriptWriter(std::ofstream file) : file_(std::move(file)) {}

    std::mutex mutex_;
    std::ofstream file_;
};

// Writes when there is a transcript; many callers have none.
void WriteTranscript(TranscriptWriter* transcript, const std::string& line);

}  // namespace kt::hostsuite
