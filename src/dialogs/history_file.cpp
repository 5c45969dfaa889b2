#include "dialogs/history_file.h"

#include <strings.h>

#include <cstdlib>
#include <pugixml.hpp>

#include "config/text_limit.h"
#include "config/xml_file.h"
#include "log/activity_log.h"

namespace kt::dialogs {
namespace {

constexpr const char* kHistory = "History";
constexpr std::size_t kVersionLength = 50;

bool NameIs(const pugi::xml_node& node, const char* name) { return strcasecmp(node.name(), name) == 0; }

bool IsSesamEntry(const pugi::xml_node& node) { return NameIs(node, "Sesam") || NameIs(node, "SesamAll"); }

bool IsEntry(const pugi::xml_node& node) { return NameIs(node, "Item") || IsSesamEntry(node); }

std::vector<std::string> Fields(const std::string& text) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t dot; (dot = text.find('.', start)) != std::string::npos; start = dot + 1) {
        fields.push_back(text.substr(start, dot - start));
    }
    fields.push_back(text.substr(start));
    return fields;
}

bool Load(pugi::xml_document& doc, const std::string& appId) {
    return config::LoadXmlFile(doc, appId) == config::XmlLoad::kLoaded;
}

}  // namespace

bool HasHistoryEntries(const std::string& appId) {
    pugi::xml_document doc;
    if (!Load(doc, appId)) return false;
    for (const pugi::xml_node& child : config::FindFirstElement(doc, kHistory).children()) {
        if (child.type() == pugi::node_element && IsEntry(child)) return true;
    }
    return false;
}

void ForgetFirstRestorable(const std::string& appId) {
    pugi::xml_document doc;
    if (!Load(doc, appId)) return;
    pugi::xml_node item = doc.find_node([](const pugi::xml_node& node) {
        return node.type() == pugi::node_element && NameIs(node, "Item") &&
               std::string(node.attribute("CanRestore").value()) == "1";
    });
    if (!item) return;
    KT_LOG(Info) << "Uninstall backup missing : " << item.attribute("File").value() << " can no longer be restored";
    item.attribute("CanRestore").set_value("0");
    while (pugi::xml_node child = item.find_child([](const pugi::xml_node& n) { return n.type() == pugi::node_element; })) {
        item.remove_child(child);
    }
    (void)config::SaveXmlFile(doc, appId);
}

std::vector<HistoryEntry> ReadHistory(const std::string& appId) {
    std::vector<HistoryEntry> entries;
    pugi::xml_document doc;
    if (!Load(doc, appId)) return entries;
    for (const pugi::xml_node& child : config::FindFirstElement(doc, kHistory).children()) {
        if (child.type() != pugi::node_element) continue;
        entries.push_back(HistoryEntry{IsSesamEntry(child), child.attribute("NewVer").value(),
                                       child.attribute("GetDate").value(), child.attribute("PutDate").value(),
                                       child.attribute("File").value(),
                                       std::atoi(child.attribute("CanRestore").value())});
    }
    return entries;
}

std::optional<std::string> ClearHistory(const std::string& appId) {
    pugi::xml_document doc;
    if (!Load(doc, appId)) return std::nullopt;
    pugi::xml_node history = config::FindFirstElement(doc, kHistory);
    while (pugi::xml_node child = history.first_child()) history.remove_child(child);
    pugi::xml_node version = config::FindFirstElement(doc, "Version");
    std::string text = config::LimitChars(version.text().get(), kVersionLength);
    const std::vector<std::string> fields = Fields(text);
    if (version && fields.size() > 3) {
        text = fields[0] + "." + fields[1] + "." + fields[2];
        version.text().set(text.c_str());
    }
    if (!config::SaveXmlFile(doc, appId)) return std::nullopt;
    return text;
}

std::vector<std::string> HistoryRowCells(const HistoryEntry& entry, const std::string& versionLabel) {
    const std::vector<std::string> fields = Fields(entry.newVer);
    const std::string build = fields.size() >= 3 ? fields[2] : "";
    return {entry.sesam ? "Sesam" : versionLabel + " (" + build + ")", entry.getDate, entry.putDate, entry.file};
}

}  // namespace kt::dialogs
