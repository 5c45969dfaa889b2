// New workstation identities: 128 random bits, written in the braced text
// form every workstation of the practice reads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "run/run_context.h"

namespace kt::config {

struct Guid {
    std::uint32_t data1 = 0;
    std::uint16_t data2 = 0;
    std::uint16_t data3 = 0;
    std::uint8_t data4[8] = {};
};

// Where new GUIDs come from; an all-zero GUID means the source failed.
using GuidSource = std::function<Guid()>;

// A random (version 4) GUID from the system's random source; all zero when
// that source fails.
Guid SystemGuid();

// "{XXXXXXXX-XXXX-xxxx-XXXX-XXXXXXXXXXXX}": 38 characters, upper case but
// for the third field, as string 1001 gives the format.
std::string FormatGuid(const Guid& guid);

// 1 with a new GUID text (at most `size` characters) in `out`. When no GUID
// can be made, shows message 1000, logs the error and returns 0.
int GetFormattedGuid(run::RunContext& ctx, std::string* out, std::size_t size);
int GetFormattedGuid(run::RunContext& ctx, std::string* out, std::size_t size, const GuidSource& source);

}  // namespace kt::config
