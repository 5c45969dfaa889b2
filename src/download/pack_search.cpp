// The Sesam Vitale pack part of a workstation's search: the complete pack
// for a workstation without one, the pack updates newer than its pack.
#include "download/package_name_check.h"
#include "download/update_search.h"
#include "log/activity_log.h"

namespace kt::download {
namespace {

bool RefuseUnsafe(const PackageFile& file, std::initializer_list<std::string> fields) {
    if (IsSafePackage(file.location, file.name, fields)) return false;
    KT_DLOG(Warning) << "KTDownload : Unsafe file name, location or value refused (location = " << file.location
                     << ", file = " << file.name << ")";
    return true;
}

}  // namespace

void UpdateSearch::AddCompletePack(const Catalogue& catalogue, const std::string& versionsPath,
                                   const std::string& sesamDate, PackageFile& file, DownloadList& list, int split,
                                   const std::string& splitCode) {
    const pugi::xml_node node = catalogue.CompletePack();
    if (!node) return;
    KT_DLOG(Info) << "KTDownload : Found Sesam node in versions.xml";
    const std::string canRestore = node.attribute("CanRestore").value();
    const std::string noVerCheck = node.attribute("NoVerCheck").value();
    ReadPackageFile(node, file);
    if (RefuseUnsafe(file, {file.date, canRestore, noVerCheck})) return;
    CopyFilesXmlOnce();
    int added = 1;
    if (AddSesamNodeToFilesXml(versionsPath, file.date, sesamDate, file.name, canRestore, &added, noVerCheck)) {
        list.push_front(FormatSesamItem(PackageSource(file, split, splitCode), file.date, kSesamAllKind, canRestore,
                                        noVerCheck, added));
    }
}

void UpdateSearch::AddPackUpdates(const Catalogue& catalogue, const std::string& versionsPath,
                                  const std::string& sesamDate, PackageFile& file, DownloadList& list, int split,
                                  const std::string& splitCode) {
    for (const pugi::xml_node& node : catalogue.PackUpdates()) {
        const std::string canRestore = node.attribute("CanRestore").value();
        ReadPackageFile(node, file);
        if (RefuseUnsafe(file, {file.date, canRestore})) continue;
        CopyFilesXmlOnce();
        int added = 1;
        if (AddSesamNodeToFilesXml(versionsPath, file.date, sesamDate, file.name, canRestore, &added, std::nullopt)) {
            list.push_front(FormatSesamItem(PackageSource(file, split, splitCode), file.date, kSesamKind, canRestore,
                                            kSesamKind, added));
        }
    }
}

}  // namespace kt::download
