// Checks of the host's record before a run uses it.
#pragma once

#include <ktupdate.h>

#include <string>

namespace kt::update {

// The string-table identifier of the record's first problem (1078, 1084,
// 1098 or 1100), or 0 when the record is usable.
[[nodiscard]] int FindRecordProblem(const tagKTUpdateStruct& record);

// "major.minor.build" of the record; a missing third part is "0".
std::string RecordVersion(const tagKTUpdateStruct& record);

}  // namespace kt::update
