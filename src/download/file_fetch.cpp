// One file of an attempt, the catalogue or a package, from an FTP or an
// HTTP server: found on the server (FTP) or asked for (HTTP),
// read in pieces with the cancel checked before and after each, written to
// the local file, slowed down to the speed limit, and
// checked against the size the server announced. A package left incomplete
// by an earlier attempt is continued where it stopped. Endless data is cut: a
// catalogue at 16 MiB, a package at twice its announced size plus 1 MiB.
#include <strings.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <optional>
#include <type_traits>

#include "download/download_controls.h"
#include "download/progress_text.h"
#include "download/proxy_checks.h"
#include "download/resume_stamp.h"
#include "download/speed_limit.h"
#include "download/transfer_attempt.h"
#include "download/transfer_session.h"
#include "download/transfers.h"
#include "log/activity_log.h"
#include "platform/http_file.h"
#include "platform/tls_failure.h"

namespace kt::download {
namespace {

constexpr int kConnected = 1006;
constexpr int kDownloading = 1083;
constexpr int kDownloadUnderWay = 1070;
// A piece is what has arrived, up to this; under a speed limit pieces stay
// small so that the pauses between them stay short and even.
constexpr std::size_t kLargestPiece = 4u << 20;
constexpr std::size_t kLimitedPiece = 1024;
// A continued file is asked from this many bytes before its end, which must
// arrive as they were kept: a server that says it continues but sends the
// file from its start is caught there.
constexpr std::uint64_t kOverlap = 64 * 1024;

// The last `count` bytes of the first `size` of the file at `path`; empty when they cannot be read.
std::string KeptTail(const std::string& path, std::uint64_t size, std::uint64_t count) {
    std::ifstream in(path, std::ios::binary);
    std::string tail(count, '\0');
    if (!in.seekg(static_cast<std::streamoff>(size - count)) || !in.read(tail.data(), static_cast<std::streamsize>(count))) {
        return {};
    }
    return tail;
}

constexpr std::uint64_t kCatalogueLimit = 16u << 20;
constexpr std::uint64_t kPackageAllowance = 1u << 20;

// The most bytes the file may have, with the log's name of that limit.
struct ReadLimit {
    std::uint64_t bytes;
    std::string name;
};

std::optional<ReadLimit> LimitOf(bool catalogue, std::int64_t announced) {
    if (catalogue) return ReadLimit{kCatalogueLimit, "the catalogue limit"};
    if (announced < 0) return std::nullopt;
    const auto size = static_cast<std::uint64_t>(announced);
    // An absurd announced size must not wrap round to a small limit.
    const std::uint64_t most = std::numeric_limits<std::uint64_t>::max();
    const std::uint64_t bytes = size > (most - kPackageAllowance) / 2 ? most : 2 * size + kPackageAllowance;
    return ReadLimit{bytes, "twice the announced size plus 1 MiB"};
}

}  // namespace

TransferAttempt::Outcome TransferAttempt::FetchFile() {
    if (cataloguePhase_) {
        SetText(kStatusLine1, 1081);
        SetText(kStatusLine2, 1082);
        job_.dialog.SetText(kOverallLabel, "");
    } else {
        SetText(kOverallLabel, 1013);
    }
    if (current_.service == connect::UrlService::kHttp) return FetchHttpFile();
    platform::FtpClient ftp(session_, current_.server, current_.port, job_.account, ProxyAccount(job_.internet),
                            current_.secure);
    platform::FtpStatus status = ftp.Connect(job_.stopWanted);
    std::int64_t size = -1;
    if (status == platform::FtpStatus::kOk) {
        SetText(kOperationStatus, kConnected);
        status = ftp.Find(current_.object, size, job_.stopWanted);
        if (status == platform::FtpStatus::kNotFound) return FileNotFound(ftp);
    }
    if (status == platform::FtpStatus::kStopped && job_.cancel.Poll()) {
        return Cancelled("MJ_DWL_DU : Annulé par l'utilisateur.");
    }
    if (status == platform::FtpStatus::kFailed && platform::TlsFailureOf(ftp.LastError()) != platform::TlsFailure::kNone) {
        return SecureConnectionFailed(connect::ServerRoot(current_), ftp.LastError());
    }
    if (status != platform::FtpStatus::kOk) {
        return Fail("KTDownload : Error with FTP connexion",
                    "MJ_DWL_DU_10 : Problème: connexion FTP - connexion.");
    }
    if (size >= 0) job_.dialog.SetRange(kFileBar, 0, ProgressRange(static_cast<std::uint64_t>(size)));
    if (const Outcome end = OpenOutput({size, ftp.FileTime()})) return end;
    ftp.OpenFile(current_.object, static_cast<std::int64_t>(from_ - overlap_.size()));
    return ReadFile(ftp, size);
}

TransferAttempt::Outcome TransferAttempt::FetchHttpFile() {
    platform::HttpFile http(session_, connect::ServerRoot(current_), current_.object);
    if (http.Request().Handle() == nullptr) {
        return Fail("KTDownload : Failed to open HTTP connexion", "MJ_DWL_DU_13 : Problème: connexion HTTP - request.");
    }
    ProxyChecks proxy(job_.ctx, job_.internet);
    if (proxy.CheckProxyStatus(http.Request()) == 0) {
        const int error = http.Request().LastError();
        if (platform::TlsFailureOf(error) != platform::TlsFailure::kNone) {
            return SecureConnectionFailed(connect::ServerRoot(current_), error);
        }
        return kProxyRequestRefused;
    }
    Journal("MJ_DWL_DU : Connexion assurée.");
    SetText(kOperationStatus, kConnected);
    const std::int64_t size = http.Request().ContentLength();
    if (size >= 0) job_.dialog.SetRange(kFileBar, 0, ProgressRange(static_cast<std::uint64_t>(size)));
    if (const Outcome end = OpenOutput({size, http.Request().FileTime()})) return end;
    http.OpenFile(static_cast<std::int64_t>(from_ - overlap_.size()));
    return ReadFile(http, size);
}

TransferAttempt::Outcome TransferAttempt::OpenOutput(const ServerFileStamp& stamp) {
    from_ = 0;
    overlap_.clear();
    overlapLeft_ = 0;
    hashing_ = !cataloguePhase_ && !previous_.sha256.empty();
    digest_.Reset();
    if (cataloguePhase_) return OpenLocalFile(localRoot_, localPath_);
    stamp_ = stamp;
    from_ = ResumableBytes(localPath_, stamp);
    // The kept bytes go into the digest first; they are read this once.
    if (from_ > 0 && hashing_ && !digest_.UpdateFromFile(localPath_, from_)) {
        digest_.Reset();
        from_ = 0;
    }
    if (from_ > 0) {
        overlap_ = KeptTail(localPath_, from_, std::min(from_, kOverlap));
        overlapLeft_ = overlap_.size();
        if (overlap_.empty()) from_ = 0;
    }
    if (from_ == 0) return StartAfresh();
    KT_DLOG(Info) << "KTDownload : " << current_.object << " : continued after " << from_ << " bytes";
    if (const std::error_code error = output_.OpenAt(localRoot_, localPath_, from_)) {
        KT_DLOG(Warning) << "KTDownload : Can't open " << localPath_ << " : " << error.message();
        return WriteError(error);
    }
    return std::nullopt;
}

TransferAttempt::Outcome TransferAttempt::StartAfresh() {
    from_ = 0;
    overlap_.clear();
    overlapLeft_ = 0;
    digest_.Reset();
    // Without its stamp a partial file is never continued: better start over than mix two files.
    if (!KeepStamp(localPath_, stamp_)) ForgetStamp(localPath_);
    return OpenLocalFile(localRoot_, localPath_);
}

template <typename Remote>
TransferAttempt::Outcome TransferAttempt::StartOver(Remote& remote) {
    KT_DLOG(Info) << "KTDownload : " << current_.object << " : the server can't continue the file, download starts again";
    remote.CloseFile();
    if (const Outcome end = StartAfresh()) return end;
    progress_.RestartFile(TransferProgress::Clock::now());
    if constexpr (std::is_same_v<Remote, platform::FtpClient>) {
        remote.OpenFile(current_.object);
    } else {
        remote.OpenFile();
    }
    return std::nullopt;
}

TransferAttempt::Outcome TransferAttempt::FileNotFound(platform::FtpClient& ftp) {
    Report(el::Level::Warning, "KTDownload : Error with FTP connexion : can't find file : " + current_.object,
           "MJ_DWL_DU_11 : Problème: connexion FTP - find.");
    const std::string::size_type slash = current_.object.rfind('/');
    const std::string directory = slash == std::string::npos ? std::string() : current_.object.substr(0, slash);
    const platform::FtpStatus status = ftp.FindDirectory(directory, job_.stopWanted);
    if (status == platform::FtpStatus::kStopped && job_.cancel.Poll()) {
        return Cancelled("MJ_DWL_DU : Annulé par l'utilisateur.");
    }
    if (status != platform::FtpStatus::kNotFound) return kTransferFailed;
    KT_DLOG(Warning) << "KTDownload : Error with FTP connexion : can't find directory : " << directory;
    return kNoFileNorFolder;
}

template <typename Remote>
TransferAttempt::Outcome TransferAttempt::ReadFile(Remote& remote, std::int64_t size) {
    KT_DLOG(Info) << "KTDownload : " << current_.object << " : download starts";
    auto start = TransferProgress::Clock::now();
    std::uint64_t bytes = 0;
    if (!cataloguePhase_) {
        SetText(kFileLabel, kDownloading);
        SetText(kOperationStatus, kDownloadUnderWay);
        progress_.StartFile(size, start, from_);
    }
    // While the server keeps the next bytes waiting, the dialog shows all that arrived.
    const platform::StopCheck waiting = [this] {
        if (!cataloguePhase_) progress_.ShowPendingCounts();
        return job_.stopWanted();
    };
    bool readFailed = false;
    bool overLimit = false;
    const std::optional<ReadLimit> limit = LimitOf(cataloguePhase_, size);
    const std::size_t piece = job_.internet.speedLimit > 0.0 ? kLimitedPiece : kLargestPiece;
    for (;;) {
        if (job_.cancel.Poll()) return Cancelled("MJ_DWL_DU : Annulé par l'utilisateur.");
        const platform::FtpRead read = remote.Take(piece, waiting);
        if (read.status == platform::FtpStatus::kNotFound) {
            return Fail(std::string("KTDownload : Error with FTP connexion open file ") + current_.object,
                        "MJ_DWL_DU_12 : Problème: connexion FTP - openfile.");
        }
        if (read.status == platform::FtpStatus::kFailed && from_ > 0 && bytes == 0 && remote.RestartRefused()) {
            if (const Outcome end = StartOver(remote)) return end;
            start = TransferProgress::Clock::now();
            continue;
        }
        if (read.status == platform::FtpStatus::kFailed) {
            Report(el::Level::Warning, "KTDownload : Read error during download", "MJ_DWL_DU_14 : Problème: lecture.");
            readFailed = true;
            break;
        }
        std::size_t skip = 0;
        if (read.status == platform::FtpStatus::kOk && overlapLeft_ > 0) {
            skip = std::min(read.size, overlapLeft_);
            if (std::memcmp(read.data, overlap_.data() + (overlap_.size() - overlapLeft_), skip) != 0) {
                if (const Outcome end = StartOver(remote)) return end;
                start = TransferProgress::Clock::now();
                continue;
            }
            overlapLeft_ -= skip;
        }
        if (read.status == platform::FtpStatus::kOk && read.size > skip) {
            const std::size_t fresh = read.size - skip;
            if (const std::error_code error = output_.Write(read.data + skip, fresh)) return WriteError(error);
            if (hashing_) digest_.Update(read.data + skip, fresh);
            ApplySpeedLimit(bytes, start);
            bytes += fresh;
            if (!cataloguePhase_) progress_.Add(fresh, TransferProgress::Clock::now());
            if (limit && from_ + bytes > limit->bytes) {
                KT_DLOG(Warning) << "KTDownload : " << current_.object << " exceeds " << limit->name << " ("
                                 << limit->bytes << " bytes)";
                overLimit = true;
                break;
            }
        }
        if (job_.cancel.Poll()) return Cancelled("MJ_DWL_DU : Annuleé par l'utilisateur.");
        if (read.status == platform::FtpStatus::kOk && read.size == 0) break;
    }

    KT_DLOG(Info) << "KTDownload : Download ends";
    const std::string path = output_.Path();
    if (const std::error_code error = output_.Close()) return WriteError(error);
    remote.CloseFile();
    if (!cataloguePhase_) progress_.ShowCounts();
    const std::uint64_t total = from_ + bytes;
    // Without an announced size a broken read is the only sign that the
    // file is incomplete.
    const bool tooShort = size >= 0 ? total < static_cast<std::uint64_t>(size) : readFailed;
    if (tooShort && readFailed && !overLimit && !cataloguePhase_ && ResumableBytes(path, stamp_) > 0) {
        // A broken line leaves a good beginning: the next attempt continues it.
        return Fail(std::string("KTDownload : Wrong size for file ") + path + " : File kept to continue",
                    "MJ_DWL_DU_15 : Problème: taille differente.");
    }
    // A continued file longer than the server's means the server sent the
    // whole file after the kept part: the two do not make the package.
    const bool tooLong = overLimit || (from_ > 0 && size >= 0 && total > static_cast<std::uint64_t>(size));
    if (tooShort || tooLong) {
        return Refuse(path, "KTDownload : Wrong size for file ", "MJ_DWL_DU_15 : Problème: taille differente.");
    }
    if (cataloguePhase_) return std::nullopt;
    return CheckPackage(path, total);
}

TransferAttempt::Outcome TransferAttempt::CheckPackage(const std::string& path, std::uint64_t total) {
    if (!previous_.size.empty() && previous_.size != std::to_string(total)) {
        return Refuse(path, "KTDownload : Wrong size for file ", "MJ_DWL_DU_15 : Problème: taille differente.");
    }
    if (hashing_ && strcasecmp(digest_.HexDigest().c_str(), previous_.sha256.c_str()) != 0) {
        return Refuse(path, "KTDownload : Wrong SHA-256 for file ", "MJ_DWL_DU_19 : Problème: empreinte differente.");
    }
    ForgetStamp(path);
    return std::nullopt;
}

unsigned TransferAttempt::Refuse(const std::string& path, const char* logLine, const char* journalLine) {
    std::error_code ec;
    std::filesystem::remove(path, ec);
    ForgetStamp(path);
    return Fail(logLine + path + " : File deleted", journalLine);
}

void TransferAttempt::ApplySpeedLimit(std::uint64_t bytesBefore, TransferProgress::Clock::time_point start) {
    const double limit = job_.internet.speedLimit;
    if (!(limit > 0.0)) return;
    const auto pause = SpeedLimitPause(limit, bytesBefore, TransferProgress::Clock::now() - start);
    // The pause ends early when the user cancels; the check after the read acts on it.
    if (pause.count() > 0) job_.cancel.WaitSet(pause);
}

}  // namespace kt::download
