// One file read from an HTTP or HTTPS server: a request that the proxy
// checks may send again with credentials, then the file's bytes read in
// pieces the caller chooses, with the credentials the request ended with.
// Every wait on the server can be stopped by the caller.
#pragma once

#include <cstddef>
#include <string>

#include "platform/curl_pull.h"
#include "platform/curl_request.h"
#include "platform/ftp_client.h"

namespace kt::platform {

class HttpFile {
public:
    // The file `object` (its path on the server) of the server at `root`
    // ("https://server:port").
    HttpFile(const InternetSession& session, const std::string& root, const std::string& object);
    HttpFile(const HttpFile&) = delete;
    HttpFile& operator=(const HttpFile&) = delete;

    // The request the checks send before the file is read.
    CurlRequest& Request() { return request_; }
    // Starts reading the file from byte `from` (a Range request when not 0);
    // the server's answer comes with the first Take.
    void OpenFile(std::int64_t from = 0);
    // The next piece, at most `most` bytes; size 0 with kOk: the end. An
    // answer that is not a success is a failure.
    FtpRead Take(std::size_t most, const StopCheck& stop);
    // Ends the reading, aborting it when the file was not read to its end.
    void CloseFile();

    // The libcurl error number of the last failure, 0 when none.
    int LastError() const { return lastError_; }
    // True when the last failure was the server sending the whole file to a Range request.
    bool RestartRefused() const;

private:
    CurlRequest request_;
    CurlPull pull_;
    int lastError_ = 0;
};

}  // namespace kt::platform
