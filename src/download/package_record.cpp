#include "download/package_record.h"

namespace kt::download {

bool IsAlreadyRecorded(const DownloadItem& item) { return !item.added; }

void CarryContinue(DownloadItem& item, std::string& last) {
    if (item.kind == PackageKind::kVersionStep) last = item.continueFlag;
    else item.continueFlag = last;
}

bool RecordIfComplete(UpdateSearch& search, const DownloadItem& item) {
    const bool step = item.kind == PackageKind::kVersionStep;
    if (item.date.empty() || item.name.empty()) return true;
    if (step && (item.oldVersion.empty() || item.newVersion.empty())) return true;
    const std::string kind = item.kind == PackageKind::kPackUpdate ? kSesamKind : kSesamAllKind;
    // files.xml tells the three kinds apart by these fields.
    const std::string compatibility =
        step ? item.compatibility : item.kind == PackageKind::kPackUpdate ? kind : item.noVerCheck;
    return search.ProcessUpdate(step ? item.oldVersion : kind, step ? item.newVersion : kind, item.date, item.name,
                         item.canRestore, compatibility, item.continueFlag, item.added ? "1" : "0");
}

}  // namespace kt::download
