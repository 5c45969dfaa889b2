// The walk of the host-version chain in versions.xml, from a workstation's
// version to the newest one the catalogue leads to.
#include <strings.h>

#include "config/decimal_text.h"
#include "download/download_item.h"
#include "download/package_name_check.h"
#include "download/update_search.h"
#include "log/activity_log.h"

namespace kt::download {
namespace {

struct StepValues {
    std::string newVersion;
    std::string continueFlag;
    std::string compatibility;
    std::string canRestore;
};

StepValues ReadStep(const CatalogueStep& step) {
    StepValues values;
    values.newVersion = step.newVersion;
    values.continueFlag = config::FlagIsOn(step.continueFlag) ? step.continueFlag : "0";
    values.compatibility = step.compatibility;
    // An update that changes the compatibility version can never be undone.
    values.canRestore = config::FlagIsOn(values.compatibility) ? step.canRestore : "0";
    return values;
}

// "Sesam" and "SesamAll" (any case) mark the pack's entries in files.xml and
// the history; a host version may not take those names.
bool NamesPackKind(const std::string& version) {
    return strcasecmp(version.c_str(), "Sesam") == 0 || strcasecmp(version.c_str(), "SesamAll") == 0;
}

void RefuseUnsafeStep(const PackageFile& file) {
    KT_DLOG(Warning) << "KTDownload : Unsafe file name, location or value refused (location = " << file.location
                     << ", file = " << file.name << ") : stop searching update in versions.xml";
}

}  // namespace

void UpdateSearch::WalkVersions(const Catalogue& catalogue, const std::string& version, PackageFile& file,
                                DownloadList& list, const PackageFolder& folder) {
    std::string oldVersion = version;
    // A catalogue whose steps lead back to a version already passed would
    // otherwise be walked for ever: a walk without a loop passes each
    // starting version at most once.
    std::size_t walked = 0;
    for (const CatalogueStep* step = catalogue.StepFrom(oldVersion); step != nullptr;
         step = catalogue.StepAfter(*step, oldVersion)) {
        if (++walked > catalogue.StepCount()) {
            KT_DLOG(Warning) << "KTDownload : versions.xml leads back to version " << oldVersion
                             << " : stop searching update in versions.xml";
            return;
        }
        StepValues values = ReadStep(*step);
        ApplyPackageChildren(step->children, file);
        KT_DLOG(Info) << "KTDownload : Find node in versions.xml : old version = " << oldVersion
                      << ", new version = " << values.newVersion << ", continu = " << values.continueFlag
                      << ", compatibility = " << values.compatibility << ", canrestore = " << values.canRestore
                      << ", location = " << file.location << ", file = " << file.name << ", date = " << file.date;
        // A step from a version named like a pack kind would read back as a
        // pack package from the download list.
        if (!IsSafePackage(file.location, file.name,
                           {file.date, oldVersion, values.newVersion, values.compatibility, values.canRestore,
                            values.continueFlag}) ||
            NamesPackKind(oldVersion)) {
            RefuseUnsafeStep(file);
            return;
        }
        CopyFilesXmlOnce();
        int added = 1;
        int refused = 0;
        const int listed = AddNodeToFilesXml(file.date, file.name, oldVersion, values.newVersion, values.canRestore,
                                             values.compatibility, added, refused);
        // files.xml, which any workstation writes, may give the step another
        // new version: it must be as fit for the download list as the catalogue's.
        if (!IsItemField(values.newVersion)) {
            RefuseUnsafeStep(file);
            return;
        }
        if (listed) {
            DownloadItem item;
            item.source = PackageSource(file, folder);
            item.name = file.name;
            item.date = file.date;
            item.oldVersion = oldVersion;
            item.newVersion = values.newVersion;
            item.canRestore = values.canRestore;
            item.continueFlag = values.continueFlag;
            item.compatibility = values.compatibility;
            item.added = added != 0;
            const PackageCheck check = ReadPackageCheck(step->node);
            item.size = check.size;
            item.sha256 = check.sha256;
            KT_DLOG(Info) << "KTDownload : Add item to download list : " << FormatDownloadItem(item);
            list.push_front(std::move(item));
        }
        if (!added) KT_DLOG(Info) << "KTDownload : " << file.name << " not added in files.xml because already existing";
        if (refused) {
            KT_DLOG(Warning) << "KTDownload : Critical update not accepted by user (" << oldVersion << " -> "
                             << values.newVersion << "): stop searching update in versions.xml";
            return;
        }
        oldVersion = values.newVersion;
    }
}

}  // namespace kt::download
