#include "config/app_config_check.h"

#include <pugixml.hpp>

#include "config/calendar_date.h"
#include "config/config_paths.h"
#include "config/decimal_text.h"
#include "config/text_limit.h"
#include "config/version_compare.h"
#include "config/workstation_state_file.h"
#include "config/xml_file.h"
#include "log/activity_log.h"

namespace kt::config {
namespace {

constexpr std::size_t kVersionChars = 50;
constexpr std::size_t kSesamChars = 20;
constexpr std::size_t kFlagChars = 3;
constexpr std::size_t kDateChars = 12;

struct StoredState {
    std::string type;
    std::string version;
    std::string compatVersion;
    std::string sesamVersion;
    std::string shared;
    std::string lastUpdate;
};

std::string TextOf(const pugi::xml_document& doc, const char* name, std::size_t maxChars) {
    return LimitChars(FindFirstElement(doc, name).text().get(), maxChars);
}

std::string AttributeOf(const pugi::xml_document& doc, const char* name, const char* attribute,
                        std::size_t maxChars) {
    return LimitChars(FindFirstElement(doc, name).attribute(attribute).value(), maxChars);
}

StoredState ReadStoredState(const pugi::xml_document& doc) {
    StoredState stored;
    const bool internet = DecimalValue(AttributeOf(doc, "Update", "Type", kFlagChars)) == 1;
    stored.type = std::string(internet ? "1" : "0");
    stored.compatVersion = AttributeOf(doc, "Version", "CompatVersion", kVersionChars);
    stored.version = TextOf(doc, "Version", kVersionChars);
    stored.sesamVersion = TextOf(doc, "Sesam", kSesamChars);
    stored.shared = AttributeOf(doc, "Sesam", "Shared", kFlagChars);
    stored.lastUpdate = TextOf(doc, "LastUpdate", kDateChars);
    return stored;
}

// Writes the running versions into appid.xml.
void CorrectVersions(run::RunContext& ctx, pugi::xml_document& doc, const StoredState& stored) {
    pugi::xml_node version = FindFirstElement(doc, "Version");
    if (CompareVersions(ctx.compatVersion.c_str(), stored.compatVersion.c_str()) != 0) {
        KT_LOG(Error) << "IsAppConfig : KTVer compat version (" << ctx.compatVersion << ") != appid compat version ("
                      << stored.compatVersion << "). That should not happen.";
        pugi::xml_attribute compat = version.attribute("CompatVersion");
        if (!compat) compat = version.append_attribute("CompatVersion");
        compat.set_value(ctx.compatVersion.c_str());
    }
    version.text().set(ctx.version.c_str());
    KT_LOG(Info) << "IsAppConfig : Overwrite versions in appid.xml from KTVer.dll";
    SaveXmlFile(doc, AppIdPath(ctx));
}

}  // namespace

int IsAppConfig(run::RunContext& ctx, const std::string& guid) { return IsAppConfig(ctx, guid, LocalNow()); }

int IsAppConfig(run::RunContext& ctx, const std::string& guid, const std::tm& today) {
    pugi::xml_document doc;
    if (LoadXmlFile(doc, AppIdPath(ctx)) != XmlLoad::kLoaded) return 0;
    if (!FindFirstElement(doc, "Workstation") || !FindFirstElement(doc, "Version")) return 0;

    const StoredState stored = ReadStoredState(doc);
    UpdateConfXML(ctx, guid, stored.version, stored.lastUpdate, stored.compatVersion, stored.type,
                  stored.sesamVersion, stored.shared);
    if (CompareVersions(ctx.compatVersion.c_str(), stored.compatVersion.c_str()) == 0 &&
        CompareVersions(ctx.version.c_str(), stored.version.c_str()) == 0) {
        return 1;
    }
    CorrectVersions(ctx, doc, stored);
    const bool hasLastUpdate = FindFirstElement(doc, "LastUpdate");
    const std::string lastUpdate = hasLastUpdate ? stored.lastUpdate : DateText(today);
    UpdateConfXML(ctx, guid, ctx.version, lastUpdate, ctx.compatVersion, stored.type, stored.sesamVersion,
                  stored.shared);
    return 1;
}

}  // namespace kt::config
