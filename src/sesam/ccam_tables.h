// CCAM tables shared on the network: whether this workstation uses the
// shared set, and the move of a table set from one set of folders to
// another with a backup and a rollback.
#pragma once

#include <string>

#include "run/run_context.h"
#include "sesam/table_set.h"

namespace kt::sesam {

// 1 when sesam.ini of the Windows directory points at the (non-empty)
// folders sesam.xml of the update folder lists, compared ignoring case.
int AreCcamTablesShared(const run::RunContext& ctx);

// Copies (or moves, when `move` is set) the four folders of `source` to
// `destination` and then points `ini` at the destination. 1 when done; 0
// with message 1115 (nothing changed) or 1116 (a rollback failed; the backup
// is kept and its path logged). In copy mode `source` is never changed.
int MoveCcamTables(const run::RunContext& ctx, const std::string& ini, const TableSet& source,
                   const TableSet& destination, int move);

}  // namespace kt::sesam
