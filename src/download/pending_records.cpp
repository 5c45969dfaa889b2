// Recording the packages chosen by a search in its working list, with the
// compatibility question and the Sesam Vitale pack decision.
#include <strings.h>

#include "config/date_number.h"
#include "config/decimal_text.h"
#include "strings/string_table.h"
#include "download/update_search.h"
#include "hostsuite/message_box.h"
#include "log/activity_log.h"

namespace kt::download {
namespace {

constexpr int kCompatibilityQuestion = 1024;

}  // namespace

int UpdateSearch::AddNodeToFilesXml(const std::string& date, const std::string& name, const std::string& oldVersion,
                                    std::string& newVersion, const std::string& canRestore,
                                    const std::string& compatibility, int& added, int& refused) {
    if (!pending_.Exists()) {
        KT_DLOG(Info) << "KTDownload : Can't find files.xml, create a new one";
        pending_.Clear();
    }
    added = pending_.HasFileNamed(name) ? 0 : 1;
    if (const std::string* recordedNew = pending_.NewVersionFrom(oldVersion)) {
        if (strcasecmp(recordedNew->c_str(), newVersion.c_str()) == 0) return 0;
        newVersion = *recordedNew;
        KT_DLOG(Warning) << "KTDownload : Already same old version (" << oldVersion
                         << " in files.xml but different new version = " << newVersion;
        return 1;
    }
    // Every workstation of the practice must take an update that changes the
    // compatibility version, so the user confirms it once per dialog.
    if (!config::FlagIsOn(compatibility) && !ctx_.bCritical) {
        if (!state_.askedOnce) {
            KT_DLOG(Info) << "KTDownload : Update changes compatibility version : ask for confirmation";
            state_.askedOnce = true;
            const int answer = hostsuite::KtMessageBox(state_.owner, strings::LoadString(kCompatibilityQuestion),
                                                       ctx_.appTitle, hostsuite::kStyleInfoYesNo, 1,
                                                       kCompatibilityQuestion);
            state_.compatibilityRefused = answer == hostsuite::kIdNo;
        }
        if (state_.compatibilityRefused) {
            refused = 1;
            return 0;
        }
    }
    pending_.AppendFile(date, name, oldVersion, newVersion, canRestore, compatibility);
    pending_.MarkWritten();
    KT_DLOG(Info) << "KTDownload : Add node in tmp_files.xml : version = " << oldVersion
                  << ", new version = " << newVersion << ", compatibility = " << compatibility
                  << ", canrestore = " << canRestore << ", file = " << name << ", date = " << date;
    return 1;
}

int UpdateSearch::AddSesamNodeToFilesXml(const std::string& versionsPath, const std::string& date,
                                         const std::string& sesamDate, const std::string& name,
                                         const std::string& canRestore, int* added,
                                         const std::optional<std::string>& noVerCheck) {
    if (!pending_.Exists()) pending_.Clear();
    *added = pending_.HasCompletePackNamed(name) ? 0 : 1;
    const bool packUpdate = config::DecimalValue(sesamDate) != 0;
    const bool skipVersionCheck = !noVerCheck || config::FlagIsOn(*noVerCheck);
    pugi::xml_node recorded;
    if (packUpdate) {
        recorded = pending_.PackUpdateDated(date);
    } else {
        recorded = pending_.CompletePackDated(date);
        // A complete pack that skips the version check replaces whatever
        // complete pack was recorded before, even one of the same date.
        if (recorded && noVerCheck && config::FlagIsOn(*noVerCheck)) {
            pending_.RemoveCompletePacks();
            pending_.MarkWritten();
            recorded = pugi::xml_node();
        }
    }
    if (recorded) return 0;

    if (skipVersionCheck) {
        // Probed all the same, so that the pack's state is known to the installer.
        DecidePack(versionsPath, 1);
    } else if (DecidePack(versionsPath, 0) == 0) {
        return 0;
    }
    if (config::DateToNumber(date.c_str()) <= config::DateToNumber(sesamDate.c_str())) return 0;
    pending_.AppendPack(packUpdate ? kSesamKind : kSesamAllKind, date, name, canRestore, noVerCheck.value_or(""));
    pending_.MarkWritten();
    return *added;
}

}  // namespace kt::download
