// appid.xml and the files other workstations leave in the update folder,
// through the accessors that read them: appid.xml, SEP, updating.xml, SEP,
// another workstation's GUID.xml. A value written through the accessor
// must read back as written.
#include <ctime>

#include "config/app_config_check.h"
#include "config/app_guid.h"
#include "config/config_paths.h"
#include "config/internet_config.h"
#include "config/last_update_age.h"
#include "config/node_data.h"
#include "config/update_sharing.h"
#include "config/updating_lock.h"
#include "fuzz_support.h"

namespace {

constexpr const char* kOtherGuid = "{9F8E7D6C-5B4A-3f2e-1D0C-BA9876543210}";

struct Read {
    const char* parent;
    const char* element;
    const char* attribute;
};

// The reads the module makes in appid.xml.
constexpr Read kReads[] = {
    {"Workstation", "Version", nullptr},       {"Workstation", "Sesam", nullptr},
    {"Workstation", "Update", "Network"},      {"Workstation", "Schedule", "Active"},
    {"Workstation", "LastUpdate", "Type"},     {nullptr, "LastUpdate", nullptr},
    {"Update", "Proxy", "Address"},            {nullptr, "Workstation", "GUID"},
};

std::tm Today() {
    std::tm today{};
    today.tm_mday = 6;
    today.tm_mon = 11;
    today.tm_year = 126;
    return today;
}

// Sets the text of Workstation/LastUpdate and its Type attribute; when the
// file takes them, they must read back whole.
void CheckWriteReadsBack(const std::string& appId) {
    const char* date = "6.12.2026";
    if (!kt::config::SetNodeData(appId, "Workstation", "LastUpdate", date, "Type", "1")) return;
    std::string text;
    std::string type;
    if (!kt::config::GetNodeData(appId, "Workstation", "LastUpdate", &text, 50, "Type", &type, 3)) {
        kt::fuzz::Fail("element written is not found again");
    }
    if (text != date || type != "1") kt::fuzz::Fail("written values read back as " + text + " / " + type);
}

}  // namespace

KT_FUZZ_HARNESS(input) {
    using namespace kt;
    const std::vector<std::string_view> files = fuzz::SplitInput(input);
    run::RunContext& ctx = fuzz::FreshContext();
    const std::string appId = fuzz::WriteTreeFile("app/appid.xml", files[0]);

    for (const Read& read : kReads) {
        std::string text;
        std::string value;
        config::GetNodeData(appId, read.parent, read.element, &text, 260, read.attribute, &value, 260);
    }
    static_cast<void>(config::DaysSinceLastUpdate(appId, Today()));
    config::InternetConfig internet;
    static_cast<void>(config::ReadInternetConfig(ctx, internet));
    std::string guid;
    config::GetAppFormattedGuid(ctx, &guid, 128);
    config::IsAppConfig(ctx, fuzz::kOwnGuid, Today());
    CheckWriteReadsBack(appId);

    if (files.size() > 1) {
        const std::string lock = fuzz::WriteTreeFile("UpdateInfo/updating.xml", files[1]);
        static_cast<void>(config::IsLockHeldElsewhere(ctx, lock, Today()));
    }
    if (files.size() > 2) {
        fuzz::WriteTreeFile(std::string("UpdateInfo/") + kOtherGuid + ".xml", files[2]);
        static_cast<void>(config::CheckUpdateType(ctx, fuzz::kOwnGuid));
    }
}
