#include "platform/curl_request.h"

#include <curl/curl.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <string_view>

#include "platform/curl_easy.h"

namespace kt::platform {
namespace {

// Heads and refusal bodies are small; a send that takes longer is stuck.
constexpr long kSendTimeoutSeconds = 120;

bool IsAuthRefusal(long status) { return status == 401 || status == 407; }

// "Content-Length: <digits>", the name in any letter case.
void ReadContentLength(std::string_view line, std::int64_t& length) {
    constexpr std::string_view kName = "content-length:";
    if (line.size() <= kName.size() ||
        !std::equal(kName.begin(), kName.end(), line.begin(),
                    [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); })) {
        return;
    }
    std::string_view value = line.substr(kName.size());
    while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.remove_prefix(1);
    std::int64_t number = 0;
    const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
    if (error == std::errc() && end != value.data() && number >= 0) length = number;
}

}  // namespace

struct CurlRequest::State {
    State(const InternetSession& session, const std::string& address) : easy(session), url(address) {}

    CurlEasy easy;
    std::string url;
    bool sawHttp = false;
    bool sawOther = false;
    bool stoppedAtBody = false;
    bool bodyComplete = true;
    long status = 0;
    std::int64_t contentLength = -1;
    std::int64_t fileTime = -1;
    int lastError = 0;

    static size_t OnHeader(char* data, size_t size, size_t count, void* self) {
        auto* state = static_cast<State*>(self);
        const std::string_view line(data, size * count);
        if (line.rfind("HTTP/", 0) == 0) {
            state->sawHttp = true;
            state->contentLength = -1;
        }
        if (state->sawHttp) ReadContentLength(line, state->contentLength);
        else if (!state->sawHttp && line.find_first_not_of("\r\n") != std::string_view::npos) state->sawOther = true;
        return size * count;
    }

    static size_t OnBody(char*, size_t size, size_t count, void* self) {
        auto* state = static_cast<State*>(self);
        long status = 0;
        curl_easy_getinfo(state->easy.Get(), CURLINFO_RESPONSE_CODE, &status);
        if (state->sawHttp && IsAuthRefusal(status)) return size * count;
        // The body of an accepted request is the transfer's: stop here.
        state->stoppedAtBody = true;
        return 0;
    }
};

CurlRequest::CurlRequest(const InternetSession& session, const std::string& url)
    : state_(std::make_unique<State>(session, url)) {
    CURL* curl = state_->easy.Get();
    if (curl == nullptr) return;
    state_->easy.SetUrl(state_->url);
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, &State::OnHeader);
    curl_easy_setopt(curl, CURLOPT_HEADERDATA, state_.get());
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &State::OnBody);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, state_.get());
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, kSendTimeoutSeconds);
    // The date tells a later attempt whether a partial file is still the server's.
    curl_easy_setopt(curl, CURLOPT_FILETIME, 1L);
}

CurlRequest::~CurlRequest() = default;

int CurlRequest::Send() {
    CURL* curl = state_->easy.Get();
    if (curl == nullptr) return state_->lastError = CURLE_FAILED_INIT;
    state_->lastError = 0;
    state_->sawHttp = state_->sawOther = state_->stoppedAtBody = false;
    state_->bodyComplete = true;
    state_->status = 0;
    state_->contentLength = -1;
    CURLcode result = curl_easy_perform(curl);
    if (result == CURLE_WRITE_ERROR && state_->stoppedAtBody) result = CURLE_OK;
    if (state_->sawHttp) curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &state_->status);
    curl_off_t fileTime = -1;
    state_->fileTime = curl_easy_getinfo(curl, CURLINFO_FILETIME_T, &fileTime) == CURLE_OK ? fileTime : -1;
    if (result == CURLE_OK) return 0;
    // A refusal whose head arrived is an answer, even when its body broke off.
    if (state_->sawHttp && state_->status != 0) {
        state_->bodyComplete = false;
        return 0;
    }
    return state_->lastError = result;
}

int CurlRequest::LastError() const { return state_->lastError; }

RequestKind CurlRequest::Kind() const {
    if (state_->sawHttp) return RequestKind::kHttp;
    return state_->sawOther ? RequestKind::kOther : RequestKind::kUnknown;
}

long CurlRequest::StatusCode() const { return state_->status; }

bool CurlRequest::BodyComplete() const { return state_->bodyComplete; }

bool CurlRequest::SetProxyUserName(const std::string& user) {
    CURL* curl = state_->easy.Get();
    return curl != nullptr && curl_easy_setopt(curl, CURLOPT_PROXYUSERNAME, user.c_str()) == CURLE_OK &&
           curl_easy_setopt(curl, CURLOPT_PROXYAUTH, CURLAUTH_ANY) == CURLE_OK;
}

bool CurlRequest::SetProxyPassword(const std::string& password) {
    CURL* curl = state_->easy.Get();
    return curl != nullptr && curl_easy_setopt(curl, CURLOPT_PROXYPASSWORD, password.c_str()) == CURLE_OK;
}

bool CurlRequest::SetServerUserName(const std::string& user) {
    CURL* curl = state_->easy.Get();
    return curl != nullptr && curl_easy_setopt(curl, CURLOPT_USERNAME, user.c_str()) == CURLE_OK &&
           curl_easy_setopt(curl, CURLOPT_HTTPAUTH, CURLAUTH_ANY) == CURLE_OK;
}

bool CurlRequest::SetServerPassword(const std::string& password) {
    CURL* curl = state_->easy.Get();
    return curl != nullptr && curl_easy_setopt(curl, CURLOPT_PASSWORD, password.c_str()) == CURLE_OK;
}

const std::string& CurlRequest::Url() const { return state_->url; }

std::int64_t CurlRequest::ContentLength() const { return state_->contentLength; }

std::int64_t CurlRequest::FileTime() const { return state_->fileTime; }

void* CurlRequest::Handle() const { return state_->easy.Get(); }

}  // namespace kt::platform
