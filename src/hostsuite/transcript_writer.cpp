#include "hostsuite/transcript_writer.h"

namespace kt::hostsuite {

std::shared_ptr<TranscriptWriter> TranscriptWriter::Open(const std::filesystem::path& path) {
    std::ofstream file(path, std::ios::binary | std::ios::app);
    if (!file) return nullptr;
    return std::shared_ptr<TranscriptWriter>(new TranscriptWriter(std::move(file)));
}

void TranscriptWriter::Write(const std::string& line) {
    std::lock_guard lock(mutex_);
    file_ << line << '\n';
    file_.flush();
}

void WriteTranscript(TranscriptWriter* transcript, const std::string& line) {
    if (transcript != nullptr) transcript->Write(line);
}

}  // namespace kt::hostsuite
