#include "platform/ftp_client.h"

#include <curl/curl.h>

#include <cctype>
#include <cstdlib>
#include <utility>

namespace kt::platform {
namespace {

// A command (login, find) that takes longer than this is given up.
constexpr long kCommandTimeoutSeconds = 60;
// Fewer, larger reads from the network on fast links.
constexpr long kReceiveBufferBytes = 256 * 1024;

bool EnvironmentNames(const char* lower, const char* upper) {
    for (const char* name : {lower, upper}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') return true;
    }
    return false;
}

// Whether libcurl will send the FTP commands as HTTP requests to a proxy.
bool ThroughHttpProxy(const InternetSession& session) {
    switch (session.access) {
        case InternetAccess::kProxy:
            return !session.proxy.empty();
        case InternetAccess::kPreconfig:
            return EnvironmentNames("ftp_proxy", "FTP_PROXY") || EnvironmentNames("all_proxy", "ALL_PROXY");
        case InternetAccess::kDirect:
            break;
    }
    return false;
}
constexpr long kHttpNotFound = 404;

}  // namespace

// Paths go into the address as they are named on the server: every byte
// that would change the address's meaning is escaped, "/" separates folders.
std::string EscapeUrlPath(const std::string& path) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string escaped;
    for (const unsigned char c : path) {
        if (std::isalnum(c) || c == '/' || c == '-' || c == '.' || c == '_' || c == '~') {
            escaped.push_back(static_cast<char>(c));
        } else {
            escaped += {'%', kHex[c >> 4], kHex[c & 0x0F]};
        }
    }
    return escaped;
}

FtpClient::FtpClient(const InternetSession& session, const std::string& server, int port, FtpAccount account,
                     FtpAccount proxyAccount, bool secure)
    : easy_(session),
      pull_(easy_.Get()),
      account_(std::move(account)),
      proxyAccount_(std::move(proxyAccount)),
      viaHttpProxy_(ThroughHttpProxy(session)) {
    const bool ipv6 = server.find(':') != std::string::npos;
    root_ = (secure ? "ftps://" : "ftp://") + (ipv6 ? "[" + server + "]" : server) + ":" + std::to_string(port);
    CURL* curl = easy_.Get();
    if (curl == nullptr) return;
    if (!account_.user.empty()) {
        curl_easy_setopt(curl, CURLOPT_USERNAME, account_.user.c_str());
        curl_easy_setopt(curl, CURLOPT_PASSWORD, account_.password.c_str());
    }
    if (!proxyAccount_.user.empty()) {
        curl_easy_setopt(curl, CURLOPT_PROXYUSERNAME, proxyAccount_.user.c_str());
        curl_easy_setopt(curl, CURLOPT_PROXYPASSWORD, proxyAccount_.password.c_str());
        curl_easy_setopt(curl, CURLOPT_PROXYAUTH, CURLAUTH_ANY);
    }
    curl_easy_setopt(curl, CURLOPT_BUFFERSIZE, kReceiveBufferBytes);
    // Through an HTTP proxy the answer is an HTTP status: a refusal is a failure.
    curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
}

std::string FtpClient::Url(const std::string& object) const {
    const std::string path = object.empty() || object.front() != '/' ? "/" + object : object;
    return root_ + EscapeUrlPath(path);
}

FtpStatus FtpClient::StatusOf(int result) {
    lastError_ = result;
    switch (result) {
        case CURLE_OK:
            return FtpStatus::kOk;
        case CURLE_REMOTE_FILE_NOT_FOUND:
        case CURLE_REMOTE_ACCESS_DENIED:
            return FtpStatus::kNotFound;
        case CURLE_HTTP_RETURNED_ERROR: {
            long status = 0;
            curl_easy_getinfo(easy_.Get(), CURLINFO_RESPONSE_CODE, &status);
            return status == kHttpNotFound ? FtpStatus::kNotFound : FtpStatus::kFailed;
        }
        default:
            return FtpStatus::kFailed;
    }
}

FtpStatus FtpClient::Command(const std::string& object, const StopCheck& stop) {
    CURL* curl = easy_.Get();
    if (curl == nullptr) return StatusOf(CURLE_FAILED_INIT);
    const std::string url = Url(object);
    easy_.SetUrl(url);
    curl_easy_setopt(curl, CURLOPT_NOBODY, 1L);
    curl_easy_setopt(curl, CURLOPT_IGNORE_CONTENT_LENGTH, 0L);
    curl_easy_setopt(curl, CURLOPT_RESUME_FROM_LARGE, static_cast<curl_off_t>(0));
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, kCommandTimeoutSeconds);
    pull_.Start(false);
    const PullState state = pull_.RunToEnd(stop);
    const int result = pull_.Result();
    pull_.Finish();
    if (state == PullState::kStopped) return FtpStatus::kStopped;
    return StatusOf(result);
}

FtpStatus FtpClient::Connect(const StopCheck& stop) { return Command("/", stop); }

FtpStatus FtpClient::Find(const std::string& object, std::int64_t& size, const StopCheck& stop) {
    size = -1;
    fileTime_ = -1;
    // The date only for files: some servers refuse it for folders.
    if (easy_.Get() != nullptr) curl_easy_setopt(easy_.Get(), CURLOPT_FILETIME, 1L);
    const FtpStatus status = Command(object, stop);
    if (easy_.Get() != nullptr) curl_easy_setopt(easy_.Get(), CURLOPT_FILETIME, 0L);
    if (status != FtpStatus::kOk) return status;
    curl_off_t length = -1;
    if (curl_easy_getinfo(easy_.Get(), CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) == CURLE_OK) size = length;
    curl_off_t time = -1;
    if (curl_easy_getinfo(easy_.Get(), CURLINFO_FILETIME_T, &time) == CURLE_OK) fileTime_ = time;
    return status;
}

FtpStatus FtpClient::FindDirectory(const std::string& directory, const StopCheck& stop) {
    // A trailing "/" makes the last part a folder to enter, not a file.
    std::string folder = directory;
    if (folder.empty() || folder.back() != '/') folder.push_back('/');
    return Command(folder, stop);
}

void FtpClient::OpenFile(const std::string& object, std::int64_t from) {
    CURL* curl = easy_.Get();
    lastError_ = 0;
    if (curl != nullptr) {
        const std::string url = Url(object);
        easy_.SetUrl(url);
        curl_easy_setopt(curl, CURLOPT_NOBODY, 0L);
        curl_easy_setopt(curl, CURLOPT_HTTPGET, 1L);
        // The file is read to the end of the data connection, whatever size
        // the server announced: the caller compares the two. Continuing a
        // file needs its size, without which libcurl would not send REST; a
        // proxy keeps its connection open after the answer, whose length is
        // the file's.
        curl_easy_setopt(curl, CURLOPT_IGNORE_CONTENT_LENGTH, from > 0 || viaHttpProxy_ ? 0L : 1L);
        curl_easy_setopt(curl, CURLOPT_TIMEOUT, 0L);
        curl_easy_setopt(curl, CURLOPT_RESUME_FROM_LARGE, static_cast<curl_off_t>(from));
    }
    pull_.Start(true);
}

// Through an HTTP proxy the refusal is an answer without the asked range.
bool FtpClient::RestartRefused() const {
    return lastError_ == CURLE_FTP_COULDNT_USE_REST || lastError_ == CURLE_RANGE_ERROR;
}

FtpRead FtpClient::Take(std::size_t most, const StopCheck& stop) {
    FtpRead read;
    switch (pull_.Take(most, read.data, read.size, stop)) {
        case PullState::kData:
            read.status = FtpStatus::kOk;
            break;
        case PullState::kStopped:
            read.status = FtpStatus::kStopped;
            break;
        case PullState::kEnd:
            read.status = StatusOf(pull_.Result());
            break;
    }
    return read;
}

void FtpClient::CloseFile() { pull_.Finish(); }

}  // namespace kt::platform
