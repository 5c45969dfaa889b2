// The sort key of a date text "d.m.y", which also orders the Sesam Vitale
// pack versions.
#pragma once

namespace kt::config {

// year * 10000 + month * 100 + day (4.12.2026 gives 20261204); 0 when the
// text has fewer than three parts or is absent. Only the first 20
// characters count.
long DateToNumber(const char* date);

}  // namespace kt::config
