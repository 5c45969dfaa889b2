// The catalogue turned into the download list, and the list worked through
// from its front: each package is recorded in files.xml once the next one
// is taken, so a failed or cancelled attempt leaves the package it was
// fetching unrecorded.
#include <filesystem>

#include "config/config_paths.h"
#include "download/download_controls.h"
#include "download/package_record.h"
#include "download/transfer_attempt.h"
#include "download/transfers.h"
#include "log/activity_log.h"

namespace kt::download {
namespace {

constexpr int kDone = 1071;
constexpr int kProcessing = 1069;

}  // namespace

TransferAttempt::Outcome TransferAttempt::ReadCatalogue() {
    if (const Outcome refused = VerifyCatalogue()) return refused;
    KT_DLOG(Info) << "KTDownload : Read file versions.xml";
    const std::string versions = job_.tempFolder.FilePath("versions.xml");
    // A catalogue that does not parse is a failed attempt, not "no updates".
    if (job_.search.GetUpdatesList(versions, job_.list, folder_) < 0) {
        return Fail("KTDownload : versions.xml can't be read", "MJ_DWL_DU_14 : Problème: lecture.");
    }
    if (job_.list.empty()) {
        Journal("MJ_DWL_DU : Il n’y a pas de mises à jour.");
        return kNothingToFetch;
    }
    progress_.SetTotal(GetTotalSize(job_, job_.list));
    cataloguePhase_ = false;
    Journal("MJ_DWL_DU : Liste des mises à jour créé.");
    return std::nullopt;
}

unsigned TransferAttempt::NotRecorded() {
    return Fail("KTDownload : " + previous_.name + " not recorded in files.xml", "MJ_DWL_DU_15 : Problème: écriture.");
}

TransferAttempt::Outcome TransferAttempt::NextPackage() {
    KT_DLOG(Info) << "KTDownload : Read package file " << current_.object;
    if (job_.list.empty()) {
        if (!RecordIfComplete(job_.search, previous_)) return NotRecorded();
        KT_DLOG(Info) << "KTDownload : No remaining update package to add to files.xml";
        SetText(kOperationStatus, kDone);
        return kTransferDone;
    }
    for (;;) {
        SetText(kOperationStatus, kProcessing);
        if (!RecordIfComplete(job_.search, previous_)) return NotRecorded();
        DownloadItem item = job_.list.front();
        const auto parts = connect::SplitUrl(item.source);
        if (!parts || parts->service != base_.service || parts->secure != base_.secure) {
            Journal("MJ_DWL_DU_17 : Problème: file URL.");
            return kTransferFailed;
        }
        job_.list.pop_front();
        CarryContinue(item, continue_);
        previous_ = item;
        if (!IsAlreadyRecorded(item)) {
            const std::filesystem::path temp = config::UpdateFilePath(job_.ctx, "Temp");
            std::error_code ec;
            std::filesystem::create_directories(temp, ec);
            current_ = *parts;
            localRoot_ = temp.parent_path().string();
            localPath_ = (temp / item.name).string();
            return std::nullopt;
        }
        // Already in place: recorded with the next package, or now when it is the last.
        if (job_.list.empty()) {
            if (!RecordIfComplete(job_.search, previous_)) return NotRecorded();
            previous_ = DownloadItem{};
            return kTransferDone;
        }
    }
}

}  // namespace kt::download
