#include "config/last_update_stamp.h"

#include "config/calendar_date.h"
#include "config/config_paths.h"
#include "config/node_data.h"
#include "log/activity_log.h"

namespace kt::config {

int SetLastUpdate(run::RunContext& ctx, const std::string& guid) { return SetLastUpdate(ctx, guid, LocalNow()); }

int SetLastUpdate(run::RunContext& ctx, const std::string& guid, const std::tm& today) {
    KT_LOG(Info) << "Update lastUpdate date in appid.xml and GUID.xml";
    const std::string date = DateText(today);
    const int inAppId = SetNodeData(AppIdPath(ctx), "Workstation", "LastUpdate", date.c_str(), nullptr, nullptr);
    const int inGuidFile =
        SetNodeData(GuidFilePath(ctx, guid), "Workstation", "LastUpdate", date.c_str(), nullptr, nullptr);
    return inAppId && inGuidFile ? 1 : 0;
}

}  // namespace kt::config
