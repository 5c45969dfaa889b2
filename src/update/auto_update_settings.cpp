#include "update/auto_update_settings.h"

#include <pugixml.hpp>

#include "config/config_paths.h"
#include "config/decimal_text.h"
#include "config/node_data.h"
#include "config/xml_file.h"
#include "log/activity_log.h"

namespace kt::update {
namespace {

constexpr std::size_t kScheduleChars = 50;

bool IsActive(const pugi::xml_node& element) {
    return element && config::FlagIsOn(element.attribute("Active").as_string());
}

std::string ScheduleValue(const run::RunContext& ctx, const char* attribute) {
    std::string value;
    config::GetNodeData(config::AppIdPath(ctx), "Workstation", "Schedule", nullptr, 0, attribute, &value,
                        kScheduleChars);
    return value;
}

}  // namespace

int IsAutoUpdate(const run::RunContext& ctx) {
    pugi::xml_document doc;
    if (config::LoadXmlFile(doc, config::AppIdPath(ctx)) != config::XmlLoad::kLoaded) return 0;
    if (!IsActive(config::FindFirstElement(doc, "LastUpdate"))) return 0;
    KT_LOG(Info) << "Auto update is enabled";
    return 1;
}

int IsUpdateEnabled(const run::RunContext& ctx) {
    pugi::xml_document doc;
    const bool loaded = config::LoadXmlFile(doc, config::AppIdPath(ctx)) == config::XmlLoad::kLoaded;
    const pugi::xml_node atStart = config::FindFirstElement(doc, "LastUpdate");
    const pugi::xml_node scheduled = config::FindFirstElement(doc, "Schedule");
    if (loaded && atStart && scheduled && (IsActive(atStart) || IsActive(scheduled))) {
        KT_LOG(Info) << "Auto update is enabled (at start or scheduled)";
        return 1;
    }
    KT_LOG(Info) << "Auto update is disabled (at start or scheduled)";
    return 0;
}

int IsScheduleActive(const run::RunContext& ctx) { return config::FlagIsOn(ScheduleValue(ctx, "Active")) ? 1 : 0; }

ScheduleSettings ReadScheduleSettings(const run::RunContext& ctx) {
    return {ScheduleValue(ctx, "Frequency"), ScheduleValue(ctx, "DayNumber"), ScheduleValue(ctx, "Time")};
}

}  // namespace kt::update
