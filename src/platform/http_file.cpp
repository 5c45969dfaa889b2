#include "platform/http_file.h"

#include <curl/curl.h>

namespace kt::platform {
namespace {

// Fewer, larger reads from the network on fast links.
constexpr long kReceiveBufferBytes = 256 * 1024;

}  // namespace

HttpFile::HttpFile(const InternetSession& session, const std::string& root, const std::string& object)
    : request_(session, root + EscapeUrlPath(object.empty() || object.front() != '/' ? "/" + object : object)),
      pull_(request_.Handle()) {}

void HttpFile::OpenFile(std::int64_t from) {
    lastError_ = 0;
    if (CURL* curl = request_.Handle()) {
        curl_easy_setopt(curl, CURLOPT_RESUME_FROM_LARGE, static_cast<curl_off_t>(from));
        curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
        curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
        curl_easy_setopt(curl, CURLOPT_BUFFERSIZE, kReceiveBufferBytes);
        // The pull bounds the waits; the whole file may take its time.
        curl_easy_setopt(curl, CURLOPT_TIMEOUT, 0L);
    }
    pull_.Start(true);
}

FtpRead HttpFile::Take(std::size_t most, const StopCheck& stop) {
    FtpRead read;
    switch (pull_.Take(most, read.data, read.size, stop)) {
        case PullState::kData:
            read.status = FtpStatus::kOk;
            break;
        case PullState::kStopped:
            read.status = FtpStatus::kStopped;
            break;
        case PullState::kEnd:
            lastError_ = pull_.Result();
            read.status = lastError_ == CURLE_OK ? FtpStatus::kOk : FtpStatus::kFailed;
            break;
    }
    return read;
}

void HttpFile::CloseFile() { pull_.Finish(); }

bool HttpFile::RestartRefused() const { return lastError_ == CURLE_RANGE_ERROR; }

}  // namespace kt::platform
