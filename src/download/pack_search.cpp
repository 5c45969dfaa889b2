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

DownloadItem PackItem(PackageKind kind, const pugi::xml_node& node, std::string source, const PackageFile& file,
                      const std::string& canRestore, const std::string& noVerCheck, int added) {
    DownloadItem item;
    item.kind = kind;
    item.source = std::move(source);
    item.name = file.name;
    item.date = file.date;
    item.canRestore = canRestore;
    item.noVerCheck = noVerCheck;
    item.added = added != 0;
    const PackageCheck check = ReadPackageCheck(node);
    item.size = check.size;
    item.sha256 = check.sha256;
    return item;
}

}  // namespace

void UpdateSearch::AddCompletePack(const Catalogue& catalogue, const std::string& versionsPath,
                                   const std::string& sesamDate, PackageFile& file, DownloadList& list,
                                   const PackageFolder& folder) {
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
        list.push_front(PackItem(PackageKind::kCompletePack, node, PackageSource(file, folder), file, canRestore, noVerCheck,
                                 added));
    }
}

void UpdateSearch::AddPackUpdates(const Catalogue& catalogue, const std::string& versionsPath,
                                  const std::string& sesamDate, PackageFile& file, DownloadList& list,
                                  const PackageFolder& folder) {
    for (const pugi::xml_node& node : catalogue.PackUpdates()) {
        const std::string canRestore = node.attribute("CanRestore").value();
        ReadPackageFile(node, file);
        if (RefuseUnsafe(file, {file.date, canRestore})) continue;
        CopyFilesXmlOnce();
        int added = 1;
        if (AddSesamNodeToFilesXml(versionsPath, file.date, sesamDate, file.name, canRestore, &added, std::nullopt)) {
            list.push_front(PackItem(PackageKind::kPackUpdate, node, PackageSource(file, folder), file, canRestore, "", added));
        }
    }
}

}  // namespace kt::download
