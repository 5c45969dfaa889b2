// An FTP connection for the transfers: passive mode, binary, logged in with
// an account (or anonymously), through the session's proxy choice. It
// finds files and folders, and reads one file at a time in pieces of at
// most the caller's size. Every wait on the server can be stopped by the caller.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/curl_easy.h"
#include "platform/curl_pull.h"
#include "platform/curl_session.h"

namespace kt::platform {

enum class FtpStatus {
    kOk,
    // The file or folder does not exist, or may not be entered.
    kNotFound,
    // The server, the proxy or the network failed.
    kFailed,
    // The stop check asked to stop.
    kStopped,
};

// An empty user logs in anonymously.
struct FtpAccount {
    std::string user;
    std::string password;
};

struct FtpRead {
    FtpStatus status = FtpStatus::kFailed;
    // 0 with kOk: the end of the file.
    std::size_t size = 0;
    // The bytes, held by the reader until its next call.
    const char* data = nullptr;
};

// `path` ready to follow a server in an address: every byte that would
// change the address's meaning is escaped, "/" separates folders.
std::string EscapeUrlPath(const std::string& path);

class FtpClient {
public:
    // `proxyAccount` is given to a named proxy that asks for a login;
    // `secure` requires TLS for the login and the data.
    FtpClient(const InternetSession& session, const std::string& server, int port, FtpAccount account,
              FtpAccount proxyAccount = {}, bool secure = false);
    FtpClient(const FtpClient&) = delete;
    FtpClient& operator=(const FtpClient&) = delete;

    // Logs in.
    FtpStatus Connect(const StopCheck& stop);
    // The size of `object` (its path from the server root, "/maj/versions.xml"),
    // -1 when the server does not tell. Its date is kept for FileTime.
    FtpStatus Find(const std::string& object, std::int64_t& size, const StopCheck& stop);
    // The server's date of the file found last, in seconds since 1970; -1 when the server does not tell.
    std::int64_t FileTime() const { return fileTime_; }
    FtpStatus FindDirectory(const std::string& directory, const StopCheck& stop);
    // Starts reading `object` from byte `from` on; the server's answer comes
    // with the first Take.
    void OpenFile(const std::string& object, std::int64_t from = 0);
    // The next piece of the open file, at most `most` bytes.
    FtpRead Take(std::size_t most, const StopCheck& stop);
    // Ends the reading, aborting it when the file was not read to its end.
    void CloseFile();

    // The libcurl error number of the last failure, 0 when none.
    int LastError() const { return lastError_; }
    // The last failure was the server refusing to start a file past its beginning.
    bool RestartRefused() const;

private:
    // Runs one command that transfers no data on `object`.
    FtpStatus Command(const std::string& object, const StopCheck& stop);
    FtpStatus StatusOf(int result);
    std::string Url(const std::string& object) const;

    CurlEasy easy_;
    CurlPull pull_;
    std::string root_;
    FtpAccount account_;
    FtpAccount proxyAccount_;
    int lastError_ = 0;
    std::int64_t fileTime_ = -1;
    // Through an HTTP proxy the answer's length ends the file, not the connection.
    bool viaHttpProxy_ = false;
};

}  // namespace kt::platform
