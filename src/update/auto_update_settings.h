// Whether this workstation updates by itself, and when: the LastUpdate and
// Schedule settings of appid.xml. A missing file, element or value reads
// as "off".
#pragma once

#include "run/run_context.h"
#include "update/schedule_time.h"

namespace kt::update {

// 1 when updates are checked at every start of the host.
int IsAutoUpdate(const run::RunContext& ctx);

// 1 when updates are automatic in any way: at every start or scheduled.
int IsUpdateEnabled(const run::RunContext& ctx);

// 1 when scheduled updates are on.
int IsScheduleActive(const run::RunContext& ctx);

ScheduleSettings ReadScheduleSettings(const run::RunContext& ctx);

}  // namespace kt::update
