#include "config/workstation_state_file.h"

#include <pugixml.hpp>

#include "config/config_paths.h"
#include "config/xml_file.h"
#include "log/activity_log.h"

namespace kt::config {
namespace {

pugi::xml_node AppendWithText(pugi::xml_node parent, const char* name, const std::string& text) {
    pugi::xml_node element = parent.append_child(name);
    if (!text.empty()) element.text().set(text.c_str());
    return element;
}

}  // namespace

int UpdateConfXML(run::RunContext& ctx, const std::string& guid, const std::string& version,
                  const std::string& lastUpdate, const std::string& compatVersion, const std::string& type,
                  const std::string& sesamVersion, const std::string& shared) {
    KT_LOG(Info) << "Update GUID.xml with appid.xml info";
    pugi::xml_document doc;
    pugi::xml_node workstation = doc.append_child("Workstation");
    workstation.append_attribute("GUID") = guid.c_str();
    AppendWithText(workstation, "Version", version).append_attribute("CompatVersion") = compatVersion.c_str();
    AppendWithText(workstation, "Sesam", sesamVersion).append_attribute("Shared") = shared.c_str();
    AppendWithText(workstation, "LastUpdate", lastUpdate).append_attribute("Type") = type.c_str();
    return SaveXmlFile(doc, GuidFilePath(ctx, guid)) ? 1 : 0;
}

}  // namespace kt::config
