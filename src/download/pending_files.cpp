#include "download/pending_files.h"

#include <cstring>

#include "config/xml_file.h"
#include "log/activity_log.h"

namespace kt::download {
namespace {

pugi::xml_node Find(const TextIndex<pugi::xml_node>& index, const std::string& key) {
    const pugi::xml_node* found = index.Find(key);
    return found == nullptr ? pugi::xml_node() : *found;
}

bool Named(const pugi::xml_node& node, const char* name) {
    return node.type() == pugi::node_element && std::strcmp(node.name(), name) == 0;
}

}  // namespace

PendingFiles::PendingFiles() { StartEmpty(); }

void PendingFiles::StartEmpty() {
    doc_.reset();
    fileNames_.Clear();
    completePackNames_.Clear();
    filesByVersion_.Clear();
    packUpdatesByDate_.Clear();
    completePacksByDate_.Clear();
    root_ = doc_.append_child("Files");
}

void PendingFiles::Clear() {
    StartEmpty();
    exists_ = false;
}

void PendingFiles::CopyFrom(const std::string& filesXmlPath) {
    StartEmpty();
    exists_ = true;
    pugi::xml_document copy;
    if (config::LoadXmlFile(copy, filesXmlPath) != config::XmlLoad::kLoaded) return;
    const pugi::xml_node root = config::FindFirstElement(copy, "Files");
    if (!root) {
        KT_DLOG(Warning) << "KTDownload : No Files element in " << filesXmlPath;
        return;
    }
    doc_.reset(copy);
    root_ = config::FindFirstElement(doc_, "Files");
    struct Indexer : pugi::xml_tree_walker {
        PendingFiles* files = nullptr;
        bool for_each(pugi::xml_node& node) override {
            if (node.type() == pugi::node_element) files->Index(node);
            return true;
        }
    } indexer;
    indexer.files = this;
    doc_.traverse(indexer);
}

void PendingFiles::Index(const pugi::xml_node& element) {
    const pugi::xml_attribute name = element.attribute("Name");
    if (Named(element, "File")) {
        if (name) fileNames_.Add(name.value(), element);
        if (const pugi::xml_attribute version = element.attribute("Version")) {
            filesByVersion_.Add(version.value(), element.attribute("NewVersion").value());
        }
    } else if (Named(element, "Sesam")) {
        if (const pugi::xml_attribute date = element.attribute("Date")) {
            packUpdatesByDate_.Add(date.value(), element);
        }
    } else if (Named(element, "SesamAll")) {
        if (name) completePackNames_.Add(name.value(), element);
        if (const pugi::xml_attribute date = element.attribute("Date")) {
            completePacksByDate_.Add(date.value(), element);
        }
    }
}

pugi::xml_node PendingFiles::PackUpdateDated(const std::string& date) const { return Find(packUpdatesByDate_, date); }

pugi::xml_node PendingFiles::CompletePackDated(const std::string& date) const {
    return Find(completePacksByDate_, date);
}

void PendingFiles::AppendFile(const std::string& date, const std::string& name, const std::string& oldVersion,
                              const std::string& newVersion, const std::string& canRestore,
                              const std::string& compatibility) {
    pugi::xml_node file = root_.append_child("File");
    file.append_attribute("Date") = date.c_str();
    file.append_attribute("Name") = name.c_str();
    file.append_attribute("Version") = oldVersion.c_str();
    file.append_attribute("NewVersion") = newVersion.c_str();
    file.append_attribute("CanRestore") = canRestore.c_str();
    file.append_attribute("Compatibility") = compatibility.c_str();
    Index(file);
}

void PendingFiles::AppendPack(const char* element, const std::string& date, const std::string& name,
                              const std::string& canRestore, const std::string& noVerCheck) {
    pugi::xml_node pack = root_.append_child(element);
    pack.append_attribute("Date") = date.c_str();
    pack.append_attribute("Name") = name.c_str();
    pack.append_attribute("CanRestore") = canRestore.c_str();
    pack.append_attribute("NoVerCheck") = noVerCheck.c_str();
    Index(pack);
}

void PendingFiles::RemoveCompletePacks() {
    while (pugi::xml_node pack = config::FindFirstElement(doc_, "SesamAll")) pack.parent().remove_child(pack);
    completePackNames_.Clear();
    completePacksByDate_.Clear();
}

std::string PendingFiles::Serialize() { return config::SerializeXml(doc_); }

}  // namespace kt::download
