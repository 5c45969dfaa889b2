// One transfer attempt, step by step. Everything it opens (connections, the
// local file) belongs to it and is closed when it ends, however it ends.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "connect/url_parts.h"
#include "download/download_item.h"
#include "download/download_job.h"
#include "download/transfer_progress.h"
#include "platform/curl_session.h"
#include "log/activity_log.h"
#include "platform/output_file.h"
#include "platform/background_sha256.h"
#include "download/resume_stamp.h"

namespace kt::download {

class TransferAttempt {
public:
    TransferAttempt(DownloadJob& job, unsigned resume, unsigned split);
    unsigned Run();

private:
    // Each step gives the attempt's result when it ends the attempt, nothing
    // when the attempt goes on.
    using Outcome = std::optional<unsigned>;

    Outcome CheckConnection();
    Outcome OpenSession();
    Outcome ParseBaseAddress();
    Outcome FetchAccessParams();
    Outcome CopyAccessFile(const connect::UrlParts& address);
    Outcome StartCatalogue();
    // Fetches the current object into the open local file.
    Outcome FetchFile();
    Outcome FetchHttpFile();
    // Opens the local file: a package continues what an earlier attempt left
    // of the same server file, else starts afresh.
    Outcome OpenOutput(const ServerFileStamp& stamp);
    Outcome StartAfresh();
    // After the server refused to continue the file: from its first byte.
    template <typename Remote>
    Outcome StartOver(Remote& remote);
    // Reads the open remote file (FTP or HTTP) into the local file.
    template <typename Remote>
    Outcome ReadFile(Remote& remote, std::int64_t size);
    // The catalogue's size and digest of the package just fetched.
    Outcome CheckPackage(const std::string& path, std::uint64_t total);
    // Deletes the fetched file and fails the attempt with `logLine` + path.
    unsigned Refuse(const std::string& path, const char* logLine, const char* journalLine);
    Outcome FileNotFound(platform::FtpClient& ftp);
    Outcome ReadCatalogue();
    // With trusted publisher keys installed, the catalogue is read only when
    // its signature versions.xml.sig verifies against one of them.
    Outcome VerifyCatalogue();
    // The signature beside the catalogue; nothing when the server has none.
    Outcome FetchSignature(const connect::UrlParts& at, std::optional<std::string>& signature);
    // Takes the next package of the list: the attempt is finished (result
    // kTransferDone) or goes on with that package.
    Outcome NextPackage();
    // Opens `path`, inside the folder `root`, for the file to fetch.
    Outcome OpenLocalFile(const std::string& root, const std::string& path);

    void ApplySpeedLimit(std::uint64_t bytesBefore, TransferProgress::Clock::time_point start);

    unsigned Cancelled(const char* journal);
    unsigned WriteError(const std::error_code& error);
    // files.xml could not be read to record the last package fetched.
    unsigned NotRecorded();
    // A TLS failure (`error` from libcurl) on `address`: never retried in clear.
    unsigned SecureConnectionFailed(const std::string& address, int error);
    void Journal(const char* message);
    // The log line at `level`, then the matching journal line.
    void Report(el::Level level, const std::string& logLine, const char* journalLine);
    // Reports a failure that ends the attempt (a warning): kTransferFailed.
    unsigned Fail(const std::string& logLine, const char* journalLine);
    void SetText(int control, int stringId);

    DownloadJob& job_;
    const unsigned resume_;
    // The server folder of the catalogue and the packages.
    const PackageFolder folder_;
    platform::InternetSession session_;
    connect::UrlParts base_;
    // Where the file being fetched is: its server and its path there.
    connect::UrlParts current_;
    platform::OutputFile output_;
    // The local file of the current object.
    // The local file of the current object, and the folder below which it is
    // opened without following a link.
    std::string localRoot_;
    std::string localPath_;
    // The bytes of the current package kept from an earlier attempt.
    std::uint64_t from_ = 0;
    ServerFileStamp stamp_;
    // The kept bytes asked again, and how many of them are still to arrive.
    std::string overlap_;
    std::size_t overlapLeft_ = 0;
    // The digest is worked out only for a package whose digest the catalogue gives.
    bool hashing_ = false;
    platform::BackgroundSha256 digest_;
    bool cataloguePhase_ = true;
    // The package fetched last, recorded when the next is taken.
    DownloadItem previous_;
    // The continue value of the last host-version package: pack packages carry none of their own.
    std::string continue_;
    TransferProgress progress_;
};

}  // namespace kt::download
