// One file of an attempt, the catalogue or a package: found on the server,
// read in pieces of 1024 bytes with the cancel checked before and after
// each, written to the local file, slowed down to the speed limit, and
// checked against the size the server announced. Endless data is cut: a
// catalogue at 16 MiB, a package at twice its announced size plus 1 MiB.
#include <filesystem>
#include <limits>
#include <optional>

#include "download/download_controls.h"
#include "download/progress_text.h"
#include "download/speed_limit.h"
#include "download/transfer_attempt.h"
#include "download/transfer_session.h"
#include "download/transfers.h"
#include "log/activity_log.h"

namespace kt::download {
namespace {

constexpr int kConnected = 1006;
constexpr int kDownloading = 1083;
constexpr int kDownloadUnderWay = 1070;
constexpr std::size_t kReadSize = 1024;
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
    platform::FtpClient ftp(session_, current_.server, current_.port, job_.account, ProxyAccount(job_.internet));
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
    if (status != platform::FtpStatus::kOk) {
        return Fail("KTDownload : Error with FTP connexion",
                    "MJ_DWL_DU_10 : Problème: connexion FTP - connexion.");
    }
    if (size >= 0) job_.dialog.SetRange(kFileBar, 0, ProgressRange(static_cast<std::uint64_t>(size)));
    ftp.OpenFile(current_.object);
    return ReadFile(ftp, size);
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

TransferAttempt::Outcome TransferAttempt::ReadFile(platform::FtpClient& ftp, std::int64_t size) {
    KT_DLOG(Info) << "KTDownload : " << current_.object << " : download starts";
    const auto start = TransferProgress::Clock::now();
    std::uint64_t bytes = 0;
    if (!cataloguePhase_) {
        SetText(kFileLabel, kDownloading);
        SetText(kOperationStatus, kDownloadUnderWay);
        progress_.StartFile(size, start);
    }
    // While the server keeps the next bytes waiting, the dialog shows all that arrived.
    const platform::StopCheck waiting = [this] {
        if (!cataloguePhase_) progress_.ShowPendingCounts();
        return job_.stopWanted();
    };
    bool readFailed = false;
    bool tooLong = false;
    const std::optional<ReadLimit> limit = LimitOf(cataloguePhase_, size);
    char buffer[kReadSize];
    for (;;) {
        if (job_.cancel.Poll()) return Cancelled("MJ_DWL_DU : Annulé par l'utilisateur.");
        const platform::FtpRead read = ftp.Read(buffer, sizeof buffer, waiting);
        if (read.status == platform::FtpStatus::kNotFound) {
            return Fail(std::string("KTDownload : Error with FTP connexion open file ") + current_.object,
                        "MJ_DWL_DU_12 : Problème: connexion FTP - openfile.");
        }
        if (read.status == platform::FtpStatus::kFailed) {
            Report(el::Level::Warning, "KTDownload : Read error during download", "MJ_DWL_DU_14 : Problème: lecture.");
            readFailed = true;
            break;
        }
        if (read.status == platform::FtpStatus::kOk && read.size > 0) {
            if (const std::error_code error = output_.Write(buffer, read.size)) return WriteError(error);
            ApplySpeedLimit(bytes, start);
            bytes += read.size;
            if (!cataloguePhase_) progress_.Add(read.size, TransferProgress::Clock::now());
            if (limit && bytes > limit->bytes) {
                KT_DLOG(Warning) << "KTDownload : " << current_.object << " exceeds " << limit->name << " ("
                                 << limit->bytes << " bytes)";
                tooLong = true;
                break;
            }
        }
        if (job_.cancel.Poll()) return Cancelled("MJ_DWL_DU : Annuleé par l'utilisateur.");
        if (read.status == platform::FtpStatus::kOk && read.size == 0) break;
    }

    KT_DLOG(Info) << "KTDownload : Download ends";
    const std::string path = output_.Path();
    if (const std::error_code error = output_.Close()) return WriteError(error);
    ftp.CloseFile();
    if (!cataloguePhase_) progress_.ShowCounts();
    // Without an announced size a broken read is the only sign that the
    // file is incomplete.
    const bool tooShort = size >= 0 ? bytes < static_cast<std::uint64_t>(size) : readFailed;
    if (tooShort || tooLong) {
        std::error_code ec;
        std::filesystem::remove(path, ec);
        return Fail(std::string("KTDownload : Wrong size for file ") + path + " : File deleted",
                    "MJ_DWL_DU_15 : Problème: taille differente.");
    }
    return std::nullopt;
}

void TransferAttempt::ApplySpeedLimit(std::uint64_t bytesBefore, TransferProgress::Clock::time_point start) {
    const double limit = job_.internet.speedLimit;
    if (!(limit > 0.0)) return;
    const auto pause = SpeedLimitPause(limit, bytesBefore, TransferProgress::Clock::now() - start);
    // The pause ends early when the user cancels; the check after the read acts on it.
    if (pause.count() > 0) job_.cancel.WaitSet(pause);
}

}  // namespace kt::download
