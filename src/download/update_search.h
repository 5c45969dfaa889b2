// The download dialog's package bookkeeping: which packages to fetch for the
// workstations (the walk of versions.xml), the working list of packages
// chosen during that walk, and files.xml, the list of packages ready to
// install. The dialog holds one of these for its lifetime.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "download/catalogue.h"
#include "download/download_item.h"
#include "download/download_state.h"
#include "download/pending_files.h"
#include "sesam/pack_check_session.h"
#include "run/run_context.h"

namespace kt::download {

// Whether this workstation needs a Sesam Vitale pack package, from the pack
// description in versions.xml: (versions.xml path, probe only) -> 1 or 0.
// With probe only set, only whether the card-reader library answered.
using PackDecision = std::function<int(const std::string& versionsPath, int probeOnly)>;

class UpdateSearch {
public:
    // Internet mode takes the run's server addresses as its source list,
    // local mode the one folder `localFolder`. Without `packDecision` the
    // pack is judged by the Sesam Vitale pack module.
    UpdateSearch(run::RunContext& ctx, SourceMode mode, const std::string& localFolder,
                 PackDecision packDecision = {});
    UpdateSearch(const UpdateSearch&) = delete;
    UpdateSearch& operator=(const UpdateSearch&) = delete;

    DownloadState& State() { return state_; }
    const DownloadState& State() const { return state_; }

    // Fills `list` with the packages to fetch, for this workstation or, when
    // it shares its downloads, for every workstation of the update folder.
    // 1 when the search ran (the list may be empty); 0 when versions.xml is
    // missing (the list is left alone) or no workstation file was found;
    // -1 when versions.xml is not XML (the list is left alone).
    int GetUpdatesList(const std::string& versionsPath, DownloadList& list, const PackageFolder& folder);

    // Adds to the front of `list` the packages one workstation needs, from
    // its state file, fetched from `folder` of the server.
    int FillList(const std::string& stateFile, const std::string& versionsPath, DownloadList& list,
                 const PackageFolder& folder);

    // Records a host-version step in the working list. May replace
    // `newVersion` by the one already recorded for `oldVersion`. Returns 1
    // when the package goes into the download list. `added` is 0 when a
    // package of that file name was already recorded; `refused` 1 when the
    // user declined an update that changes the compatibility version.
    int AddNodeToFilesXml(const std::string& date, const std::string& name, const std::string& oldVersion,
                          std::string& newVersion, const std::string& canRestore, const std::string& compatibility,
                          int& added, int& refused);

    // Records a Sesam Vitale pack package: an update when the workstation's
    // pack date `sesamDate` is set, the complete pack otherwise. `noVerCheck`
    // is given for the complete pack only. Returns the added flag when the
    // package goes into the download list, else 0.
    int AddSesamNodeToFilesXml(const std::string& versionsPath, const std::string& date, const std::string& sesamDate,
                               const std::string& name, const std::string& canRestore, int* added,
                               const std::optional<std::string>& noVerCheck);

    // Moves a fetched package from Temp to Update and appends it to
    // files.xml. The arguments are the fields of its download item, with the
    // file name in place of the source. False when files.xml is there but
    // cannot be read: the package stays in Temp, nothing is recorded.
    bool ProcessUpdate(const std::string& oldVersion, const std::string& newVersion, const std::string& date,
                       const std::string& name, const std::string& canRestore, const std::string& compatibility,
                       const std::string& continueFlag, const std::string& added);

private:
    void SearchWorkstation(const std::string& stateFile, const Catalogue& catalogue, const std::string& versionsPath,
                           DownloadList& list, const PackageFolder& folder);
    void WalkVersions(const Catalogue& catalogue, const std::string& version, PackageFile& file, DownloadList& list,
                      const PackageFolder& folder);
    void AddCompletePack(const Catalogue& catalogue, const std::string& versionsPath, const std::string& sesamDate,
                         PackageFile& file, DownloadList& list, const PackageFolder& folder);
    void AddPackUpdates(const Catalogue& catalogue, const std::string& versionsPath, const std::string& sesamDate,
                        PackageFile& file, DownloadList& list, const PackageFolder& folder);
    // Where the package is fetched from: a server address or a local path.
    std::string PackageSource(const PackageFile& file, const PackageFolder& folder) const;
    // Starts the working list from files.xml the first time it is needed.
    void CopyFilesXmlOnce();
    int DecidePack(const std::string& versionsPath, int probeOnly);

    run::RunContext& ctx_;
    DownloadState state_;
    // The card-reader probe and the library it loaded, kept for the dialog's life.
    sesam::PackCheckSession packSession_;
    PackDecision packDecision_;
    PendingFiles pending_;
};

}  // namespace kt::download
