#include "config/update_sharing.h"

#include <strings.h>

#include <cstring>
#include <filesystem>

#include "config/config_paths.h"
#include "config/date_number.h"
#include "config/decimal_text.h"
#include "config/node_data.h"
#include "config/text_limit.h"
#include "config/workstation_files.h"
#include "config/xml_file.h"
#include "log/activity_log.h"

namespace kt::config {
namespace {

constexpr const char* kFilesName = "files.xml";

bool IsStep(const pugi::xml_node& node) {
    return node.type() == pugi::node_element && std::strcmp(node.name(), "File") == 0;
}

pugi::xml_node FindStepFrom(const pugi::xml_document& doc, const std::string& version) {
    return doc.find_node([&version](const pugi::xml_node& node) {
        if (!IsStep(node)) return false;
        const pugi::xml_attribute from = node.attribute("Version");
        return from && version == from.value();
    });
}

bool IsNamed(const pugi::xml_node& node, const char* name) {
    return node.type() == pugi::node_element && strcasecmp(node.name(), name) == 0;
}

// A pack package newer than the installed pack `sesam`.
bool IsNewerPack(const pugi::xml_node& files, const std::string& sesam) {
    const long installed = DateToNumber(sesam.c_str());
    for (const pugi::xml_node& child : files.children()) {
        if (IsNamed(child, "Sesam") && DateToNumber(child.attribute("Date").value()) > installed) return true;
        if (IsNamed(child, "SesamAll") && DecimalValue(sesam) == 0) return true;
    }
    return false;
}

}  // namespace

int IsAnyUpdateOnNetwork(run::RunContext& ctx) {
    constexpr std::size_t kValueChars = 25;
    const std::string filesXml = UpdateFilePath(ctx, kFilesName);
    std::error_code ec;
    if (!std::filesystem::exists(filesXml, ec)) {
        KT_LOG(Warning) << "No files.xml found";
        return 0;
    }
    std::string version;
    std::string sesam;
    const std::string appId = AppIdPath(ctx);
    GetNodeData(appId, "Workstation", "Version", &version, kValueChars, nullptr, nullptr, 0);
    GetNodeData(appId, "Workstation", "Sesam", &sesam, kValueChars, nullptr, nullptr, 0);
    KT_LOG(Info) << "Search update package on local network for current version = " << version;

    pugi::xml_document doc;
    // The load logged what is wrong with a damaged files.xml; read as empty,
    // it holds no package.
    if (LoadXmlFile(doc, filesXml) != XmlLoad::kLoaded) {
        KT_LOG(Warning) << "files.xml unusable, read as empty : " << filesXml;
    }
    if (const pugi::xml_node step = FindStepFrom(doc, version)) {
        KT_LOG(Info) << "Update package available on local network : newVersion = "
                     << step.attribute("NewVersion").value();
        return 1;
    }
    if (IsNewerPack(FindFirstElement(doc, "Files"), sesam)) {
        KT_LOG(Info) << "Update package (Sesam) available on network";
        return 1;
    }
    KT_LOG(Info) << "No update package available on network";
    return 0;
}

int FindNextUpdFile(run::RunContext& ctx, const std::string& version, std::string* newVersion, std::size_t size) {
    const std::string filesXml = UpdateFilePath(ctx, kFilesName);
    pugi::xml_document doc;
    if (LoadXmlFile(doc, filesXml) != XmlLoad::kLoaded) return 0;
    const pugi::xml_node step = FindStepFrom(doc, version);
    if (!step) return 0;
    const std::string next = LimitChars(step.attribute("NewVersion").value(), size);
    if (newVersion != nullptr) *newVersion = next;
    KT_LOG(Info) << "Update package available on local network : newVersion = " << next;
    return 1;
}

std::size_t CountUpdFiles(run::RunContext& ctx) {
    pugi::xml_document doc;
    if (LoadXmlFile(doc, UpdateFilePath(ctx, kFilesName)) != XmlLoad::kLoaded) return 0;
    std::size_t steps = 0;
    doc.find_node([&steps](const pugi::xml_node& node) {
        if (IsStep(node)) ++steps;
        return false;
    });
    return steps;
}

int CheckUpdateType(run::RunContext& ctx, const std::string& ownGuid) {
    constexpr std::size_t kTypeChars = 3;
    const std::string ownName = ownGuid + ".xml";
    for (const std::string& name : ListWorkstationFiles(UpdateFilePath(ctx, ""))) {
        if (strcasecmp(name.c_str(), ownName.c_str()) == 0) continue;
        std::string type;
        GetNodeData(UpdateFilePath(ctx, name), "Workstation", "LastUpdate", nullptr, 0, "Type", &type, kTypeChars);
        if (FlagIsOn(type)) {
            KT_LOG(Info) << "Already a Talvo on network configured to share updates";
            return 1;
        }
    }
    return 0;
}

}  // namespace kt::config
