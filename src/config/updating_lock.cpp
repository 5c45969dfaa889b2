#include "config/updating_lock.h"

#include <filesystem>
#include <pugixml.hpp>
#include <strings.h>

#include "config/app_guid.h"
#include "config/calendar_date.h"
#include "config/node_data.h"
#include "config/xml_file.h"
#include "log/activity_log.h"

namespace kt::config {
namespace {

constexpr std::size_t kGuidChars = 128;
constexpr std::size_t kLockDateChars = 11;
// A lock taken yesterday still counts: an update can run past midnight.
constexpr long long kFreshLockDays = 1;

std::string LockPath(const std::string& updateDirSlash) {
    return (std::filesystem::path(updateDirSlash) / kUpdatingLockName).string();
}

void DeleteLock(const std::string& lockPath) {
    std::error_code ec;
    std::filesystem::remove(lockPath, ec);
    if (ec) KT_LOG(Error) << "Can't delete " << lockPath << " : " << ec.message();
}

// Age of the lock in whole days; a date that names no day counts from the
// start of the calendar, so the lock is stale.
long long LockAge(const std::string& dateText, const std::tm& now) {
    const std::optional<CalendarDate> date = ParseDateText(dateText);
    return WholeDaysSince(date && IsValidDate(*date) ? *date : kDayZero, now);
}

}  // namespace

int IsLockHeldElsewhere(run::RunContext& ctx, const std::string& lockPath) {
    return IsLockHeldElsewhere(ctx, lockPath, LocalNow());
}

int IsLockHeldElsewhere(run::RunContext& ctx, const std::string& lockPath, const std::tm& now) {
    std::error_code ec;
    if (!std::filesystem::exists(lockPath, ec)) return 0;
    std::string holder;
    std::string date;
    GetNodeData(lockPath, nullptr, "Workstation", nullptr, 0, "GUID", &holder, kGuidChars);
    GetNodeData(lockPath, "Workstation", "LastUpdate", &date, kLockDateChars, nullptr, nullptr, 0);
    std::string own;
    GetAppFormattedGuid(ctx, &own, kGuidChars);

    const bool ownLock = strcasecmp(holder.c_str(), own.c_str()) == 0;
    if (LockAge(date, now) <= kFreshLockDays && !ownLock) return 1;
    DeleteLock(lockPath);
    return 0;
}

int IsUpdateRunningElsewhere(run::RunContext& ctx, const std::string& updateDirSlash) {
    return IsUpdateRunningElsewhere(ctx, updateDirSlash, LocalNow());
}

int IsUpdateRunningElsewhere(run::RunContext& ctx, const std::string& updateDirSlash, const std::tm& now) {
    return IsLockHeldElsewhere(ctx, LockPath(updateDirSlash), now);
}

void SetUpdatingLock(run::RunContext& ctx, bool on) { SetUpdatingLock(ctx, on, LocalNow()); }

void SetUpdatingLock(run::RunContext& ctx, bool on, const std::tm& today) {
    if (ctx.updateDirSlash.empty()) return;
    const std::string lockPath = LockPath(ctx.updateDirSlash);
    if (!on) {
        DeleteLock(lockPath);
        return;
    }
    std::string guid;
    GetAppFormattedGuid(ctx, &guid, kGuidChars);
    pugi::xml_document doc;
    pugi::xml_node workstation = doc.append_child("Workstation");
    workstation.append_attribute("GUID") = guid.c_str();
    workstation.append_child("LastUpdate").text().set(DateText(today).c_str());
    SaveXmlFile(doc, lockPath);
}

}  // namespace kt::config
