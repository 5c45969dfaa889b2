// appid.xml and the files other workstations leave in the update folder, through the accessors that read them:
// appid.xml, SEP, updating.xml, SEP, another workstation's GUID.xml. A value written must read back as written.
#include "config/app_config_check.h"
#include "config/internet_config.h"
#include "config/last_update_age.h"
#include "config/node_data.h"
#include "config/update_sharing.h"
#include "config/updating_lock.h"
#include "fuzz_support.h"

KT_FUZZ_HARNESS(input) {
    using namespace kt;
    const std::vector<std::string_view> files = fuzz::SplitInput(input);
    run::RunContext& ctx = fuzz::FreshContext();
    const std::string appId = fuzz::WriteTreeFile("app/appid.xml", files[0]);
    std::tm today{};
    today.tm_mday = 6, today.tm_mon = 11, today.tm_year = 126;
    static_cast<void>(config::DaysSinceLastUpdate(appId, today));
    config::InternetConfig internet;
    static_cast<void>(config::ReadInternetConfig(ctx, internet));
    config::IsAppConfig(ctx, fuzz::kOwnGuid, today);
    std::string text, type;
    if (config::SetNodeData(appId, "Workstation", "LastUpdate", "6.12.2026", "Type", "1") &&
        (!config::GetNodeData(appId, "Workstation", "LastUpdate", &text, 50, "Type", &type, 3) || text != "6.12.2026" ||
         type != "1")) {
        fuzz::Fail("written values read back as " + text + " / " + type);
    }
    if (files.size() > 1) {
        static_cast<void>(config::IsLockHeldElsewhere(ctx, fuzz::WriteTreeFile("UpdateInfo/updating.xml", files[1]), today));
    }
    if (files.size() > 2) {
        fuzz::WriteTreeFile("UpdateInfo/{9F8E7D6C-5B4A-3f2e-1D0C-BA9876543210}.xml", files[2]);
        static_cast<void>(config::CheckUpdateType(ctx, fuzz::kOwnGuid));
    }
}
