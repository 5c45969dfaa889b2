#include "config/default_config.h"

#include <initializer_list>
#include <pugixml.hpp>
#include <utility>

#include "config/config_paths.h"
#include "config/workstation_state_file.h"
#include "config/xml_file.h"
#include "log/activity_log.h"

namespace kt::config {
namespace {

using Attributes = std::initializer_list<std::pair<const char*, const char*>>;

pugi::xml_node AppendElement(pugi::xml_node parent, const char* name, const char* text, Attributes attributes) {
    pugi::xml_node element = parent.append_child(name);
    if (text != nullptr) element.text().set(text);
    for (const auto& [attribute, value] : attributes) element.append_attribute(attribute) = value;
    return element;
}

// The tree in the order every reader and the installer expect.
void BuildDefaultTree(pugi::xml_document& doc, const run::RunContext& ctx, const std::string& guid,
                      const std::string& lastUpdate) {
    pugi::xml_node workstation = AppendElement(doc, "Workstation", nullptr, {{"GUID", guid.c_str()}});
    AppendElement(workstation, "Folder", ctx.appDir.c_str(), {});
    AppendElement(workstation, "Version", ctx.version.c_str(), {{"CompatVersion", ctx.compatVersion.c_str()}});
    AppendElement(workstation, "Sesam", "0", {{"Shared", "0"}});
    AppendElement(workstation, "LastUpdate", lastUpdate.c_str(), {{"FirstRun", "1"}, {"Continue", "0"}, {"Active", "0"}});
    AppendElement(workstation, "Schedule", nullptr,
                  {{"Teletrans", "1"}, {"Active", "0"}, {"Frequency", "7"}, {"DayNumber", "2"}, {"Time", "13:00"}});
    AppendElement(workstation, "LocalUpdate", kDefaultLocalUpdate, {});
    pugi::xml_node update = AppendElement(workstation, "Update", nullptr,
                                          {{"Type", "1"}, {"Network", "1"}, {"Speed", "0"}, {"Modem", "0"}, {"RASName", ""}});
    AppendElement(update, "Proxy", nullptr,
                  {{"Active", "0"}, {"UseIE", "1"}, {"Auth", "0"}, {"Address", ""}, {"Port", ""}, {"Login", ""}, {"Pass", ""}});
}

}  // namespace

CalendarDate OneMonthBack(const std::tm& today) {
    const int month = today.tm_mon + 1;
    const int year = today.tm_year + 1900;
    if (month == 1) return {today.tm_mday, 12, year - 1};
    return {today.tm_mday, month - 1, year};
}

int CreateDefaultConfig(run::RunContext& ctx, const std::string& guid) {
    return CreateDefaultConfig(ctx, guid, LocalNow());
}

int CreateDefaultConfig(run::RunContext& ctx, const std::string& guid, const std::tm& today) {
    KT_LOG(Info) << "Create default config in appid.xml";
    const std::string lastUpdate = DateText(OneMonthBack(today));
    pugi::xml_document doc;
    BuildDefaultTree(doc, ctx, guid, lastUpdate);
    UpdateConfXML(ctx, guid, ctx.version, lastUpdate, ctx.compatVersion, "1", "0", "0");
    return SaveXmlFile(doc, AppIdPath(ctx)) ? 1 : 0;
}

}  // namespace kt::config
