// A fetched package moves from Temp to Update and joins files.xml, the list
// the installer works through.
#include <strings.h>

#include <filesystem>

#include "config/config_paths.h"
#include "config/decimal_text.h"
#include "config/xml_file.h"
#include "download/package_name_check.h"
#include "download/update_search.h"
#include "log/activity_log.h"

namespace kt::download {
namespace {

namespace fs = std::filesystem;

bool SameKind(const std::string& field, const char* kind) { return strcasecmp(field.c_str(), kind) == 0; }

// Moves the package into Update by a rename within the update folder: the
// package is then wholly there or not at all, and its bytes are written once.
// Temp and Update are in the shared update folder: a link planted there is
// refused, never moved into Update for the installer to follow. False when
// the package is not there or could not be moved.
bool MovePackage(const fs::path& source, const fs::path& target, const std::string& name) {
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(source, ec))) return false;
    KT_DLOG(Info) << "KTDownload : copy " << name << " to " << target.string();
    if (!fs::is_regular_file(fs::symlink_status(source, ec)) || fs::is_symlink(fs::symlink_status(source.parent_path(), ec)) ||
        fs::is_symlink(fs::symlink_status(target.parent_path(), ec))) {
        ec = std::make_error_code(std::errc::too_many_symbolic_link_levels);
    } else {
        fs::rename(source, target, ec);
    }
    if (ec) {
        KT_DLOG(Error) << "KTDownload : Can't copy " << source.string() << " to " << target.string() << " : "
                       << ec.message();
        return false;
    }
    return true;
}

void AppendEntry(pugi::xml_node root, const std::string& oldVersion, const std::string& newVersion,
                 const std::string& date, const std::string& name, const std::string& canRestore,
                 const std::string& compatibility, const std::string& continueFlag) {
    const bool packUpdate = SameKind(oldVersion, kSesamKind);
    const bool completePack = SameKind(oldVersion, kSesamAllKind);
    pugi::xml_node entry = root.append_child(packUpdate ? kSesamKind : completePack ? kSesamAllKind : "File");
    entry.append_attribute("Date") = date.c_str();
    entry.append_attribute("Name") = name.c_str();
    if (!packUpdate && !completePack) {
        entry.append_attribute("Version") = oldVersion.c_str();
        entry.append_attribute("NewVersion") = newVersion.c_str();
    }
    entry.append_attribute("CanRestore") = canRestore.c_str();
    entry.append_attribute("Continue") = continueFlag.c_str();
    if (completePack) {
        entry.append_attribute("NoVerCheck") = compatibility.c_str();
    } else if (!packUpdate) {
        entry.append_attribute("Compatibility") = compatibility.c_str();
    }
}

}  // namespace

bool UpdateSearch::ProcessUpdate(const std::string& oldVersion, const std::string& newVersion,
                                 const std::string& date, const std::string& name, const std::string& canRestore,
                                 const std::string& compatibility, const std::string& continueFlag,
                                 const std::string& added) {
    if (!IsPlainFileName(name)) {
        KT_DLOG(Warning) << "KTDownload : ProcessUpdate : unsafe file name refused : " << name;
        return true;
    }
    // Read before the package moves: a list that cannot be read would lose
    // the package's entry, and the installer would never see it.
    const std::string filesXml = config::UpdateFilePath(ctx_, "files.xml");
    pugi::xml_document doc;
    const config::XmlLoad load = config::LoadXmlFile(doc, filesXml);
    if (load == config::XmlLoad::kMalformed || load == config::XmlLoad::kUnreadable) {
        KT_DLOG(Error) << "KTDownload : ProcessUpdate : files.xml can't be read : " << name << " not recorded";
        return false;
    }
    const fs::path updateFolder = config::UpdateFilePath(ctx_, "Update");
    std::error_code ec;
    fs::create_directories(updateFolder, ec);
    if (ec) KT_DLOG(Error) << "KTDownload : Can't create " << updateFolder.string() << " : " << ec.message();
    // Added 0: an earlier run or workstation put the package in place already.
    if (config::FlagIsOn(added) &&
        !MovePackage(fs::path(config::UpdateFilePath(ctx_, "Temp")) / name, updateFolder / name, name)) {
        return true;
    }
    if (load == config::XmlLoad::kMissing) {
        KT_DLOG(Info) << "KTDownload : Can't find files.xml, create a new one";
        doc.append_child("Files");
    }
    // Only one complete pack may wait for the installer: the newest.
    if (SameKind(oldVersion, kSesamAllKind)) {
        while (pugi::xml_node pack = config::FindFirstElement(doc, kSesamAllKind)) pack.parent().remove_child(pack);
    }
    const pugi::xml_node root = config::FindFirstElement(doc, "Files");
    if (!root) return true;
    AppendEntry(root, oldVersion, newVersion, date, name, canRestore, compatibility, continueFlag);
    KT_DLOG(Info) << "KTDownload : ProcessUpdate : Add node to files.xml";
    config::SaveXmlFile(doc, filesXml);
    return true;
}

}  // namespace kt::download
