// The activity log as the tests read it: the buffered lines written out first.
#pragma once

#include <string>

#include "log/activity_log.h"
#include "support/temp_tree.h"

namespace kt::test {

inline std::string ReadActivityLog() {
    log::FlushActivityLog();
    return ReadFile(log::ActivityLogPath());
}

}  // namespace kt::test
