#include "config/lock_record.h"

#include <cstdio>
#include <optional>
#include <pugixml.hpp>
#include <strings.h>

#include "config/calendar_date.h"
#include "config/text_limit.h"
#include "config/xml_file.h"

namespace kt::config {
namespace {

constexpr std::size_t kGuidChars = 128;
constexpr std::size_t kLockDateChars = 11;
constexpr std::size_t kFactChars = 128;

// Age of the lock in whole days; a date that names no day counts from the
// start of the calendar, so the lock is stale.
long long LockAge(const std::string& dateText, const std::tm& now) {
    const std::optional<CalendarDate> date = ParseDateText(dateText);
    return WholeDaysSince(date && IsValidDate(*date) ? *date : kDayZero, now);
}

std::optional<std::int64_t> ProcessIdOf(const std::string& text) {
    if (text.empty() || text.size() > 10) return std::nullopt;
    std::int64_t pid = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        pid = pid * 10 + (c - '0');
    }
    return pid;
}

// Only a lock written under this very boot of this very machine names a
// process that can be looked for here.
bool WrittenUnderThisBoot(const LockRecord& lock, const LockObserver& observer) {
    return !lock.host.empty() && lock.host == observer.host && !lock.bootId.empty() &&
           lock.bootId == observer.bootId;
}

}  // namespace

LockNow CurrentLockNow() {
    LockNow now{{}, std::time(nullptr)};
    localtime_r(&now.epoch, &now.local);
    return now;
}

LockNow LockNowOf(const std::tm& local) { return {local, EpochOfLocal(local)}; }

LockVerdict JudgeLock(const LockRecord& lock, const LockObserver& observer, const LockNow& now) {
    if (strcasecmp(lock.guid.c_str(), observer.guid.c_str()) == 0) return LockVerdict::kOwn;
    if (LockAge(lock.date, now.local) > kFreshLockDays) return LockVerdict::kStale;
    if (WrittenUnderThisBoot(lock, observer)) {
        const auto pid = ProcessIdOf(lock.processId);
        if (pid && observer.processExists && !observer.processExists(*pid)) return LockVerdict::kStale;
        return LockVerdict::kFresh;
    }
    std::time_t beat = 0;
    // A heartbeat ahead of this clock is fresh: the clocks of two machines differ.
    if (ParseHeartbeat(lock.heartbeat, &beat) && now.epoch - beat > kHeartbeatSilenceSeconds) {
        return LockVerdict::kStale;
    }
    return LockVerdict::kFresh;
}

LockRecord ParseLockRecord(const std::string& content) {
    LockRecord lock;
    pugi::xml_document doc;
    if (!doc.load_buffer(content.data(), content.size())) return lock;
    const pugi::xml_node holder = FindFirstElement(doc, "Workstation");
    lock.guid = LimitChars(holder.attribute("GUID").as_string(), kGuidChars);
    lock.host = LimitChars(holder.attribute("Host").as_string(), kFactChars);
    lock.processId = LimitChars(holder.attribute("ProcessId").as_string(), kFactChars);
    lock.bootId = LimitChars(holder.attribute("BootId").as_string(), kFactChars);
    lock.heartbeat = LimitChars(holder.attribute("Heartbeat").as_string(), kFactChars);
    lock.date = LimitChars(holder.child("LastUpdate").text().as_string(), kLockDateChars);
    return lock;
}

std::string LockFileContent(const LockRecord& lock) {
    pugi::xml_document doc;
    pugi::xml_node holder = doc.append_child("Workstation");
    holder.append_attribute("GUID") = lock.guid.c_str();
    holder.append_attribute("Host") = lock.host.c_str();
    holder.append_attribute("ProcessId") = lock.processId.c_str();
    holder.append_attribute("BootId") = lock.bootId.c_str();
    holder.append_attribute("Heartbeat") = lock.heartbeat.c_str();
    holder.append_child("LastUpdate").text().set(lock.date.c_str());
    return SerializeXml(doc);
}

std::string HeartbeatText(std::time_t utc) {
    std::tm parts{};
    gmtime_r(&utc, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &parts);
    return text;
}

bool ParseHeartbeat(const std::string& text, std::time_t* utc) {
    std::tm parts{};
    int consumed = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d:%2dZ%n", &parts.tm_year, &parts.tm_mon, &parts.tm_mday,
                    &parts.tm_hour, &parts.tm_min, &parts.tm_sec, &consumed) != 6 ||
        static_cast<std::size_t>(consumed) != text.size()) {
        return false;
    }
    if (parts.tm_mon < 1 || parts.tm_mon > 12 || parts.tm_mday < 1 || parts.tm_mday > 31 || parts.tm_hour > 23 ||
        parts.tm_min > 59 || parts.tm_sec > 60) {
        return false;
    }
    parts.tm_year -= 1900;
    parts.tm_mon -= 1;
    *utc = timegm(&parts);
    return true;
}

}  // namespace kt::config
