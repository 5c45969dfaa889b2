#include "sesam/ccam_tables.h"

#include <strings.h>

#include <filesystem>
#include <optional>

#include "log/activity_log.h"
#include "sesam/ccam_transfer.h"
#include "sesam/sesam_ini.h"
#include "sesam/sesam_xml.h"

namespace kt::sesam {
namespace {

bool SameFolder(const std::string& a, const std::string& b) {
    return !a.empty() && strcasecmp(a.c_str(), b.c_str()) == 0;
}

}  // namespace

int AreCcamTablesShared(const run::RunContext& ctx) {
    const std::string ini = SesamIniPath();
    std::error_code ec;
    if (!std::filesystem::exists(ini, ec)) return 0;
    const TableSet used = ReadSesamIniTables(ini);
    const std::optional<TableSet> shared = ReadSharedTableSet(SesamXmlPath(ctx));
    if (!shared) return 0;
    return SameFolder(used.common, shared->common) && SameFolder(used.ssv, shared->ssv) &&
                   SameFolder(used.srt, shared->srt) && SameFolder(used.sts, shared->sts)
               ? 1
               : 0;
}

int MoveCcamTables(const run::RunContext& ctx, const std::string& ini, const TableSet& source,
                   const TableSet& destination, int move) {
    KT_LOG(Info) << "Move CCAM tables from " << source.common << " to " << destination.common
                 << (move ? " (move)" : " (copy)");
    CcamTransfer transfer(ctx, ini, source, destination, move != 0);
    return transfer.Run() ? 1 : 0;
}

}  // namespace kt::sesam
