#include "sesam/ccam_leave.h"

#include <strings.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

#include "config/config_paths.h"
#include "config/node_data.h"
#include "config/workstation_files.h"
#include "hostsuite/message_box.h"
#include "log/activity_log.h"
#include "sesam/ccam_tables.h"
#include "sesam/sesam_folders.h"
#include "sesam/sesam_ini.h"
#include "sesam/sesam_xml.h"
#include "strings/string_table.h"

namespace kt::sesam {
namespace {

constexpr int kLeaveQuestion = 1037;
constexpr std::size_t kSesamTextLength = 25;
constexpr std::size_t kFlagLength = 3;
constexpr std::size_t kGuidLength = 128;

bool EqualIgnoringCase(const std::string& a, const std::string& b) { return strcasecmp(a.c_str(), b.c_str()) == 0; }

// Whether another workstation, among the state files `names`, uses the shared
// tables with the same pack version.
bool OtherWorkstationUses(const run::RunContext& ctx, const std::vector<std::string>& names, const std::string& guid,
                          const std::string& packVersion) {
    for (const std::string& name : names) {
        const std::string file = ctx.updateDirSlash + name;
        std::string sesam, shared, owner;
        config::GetNodeData(file, "Workstation", "Sesam", &sesam, kSesamTextLength, "Shared", &shared, kFlagLength);
        if (std::atoi(shared.c_str()) == 0) continue;
        config::GetNodeData(file, nullptr, "Workstation", nullptr, 0, "GUID", &owner, kGuidLength);
        if (!sesam.starts_with('0') && EqualIgnoringCase(sesam, packVersion) && !EqualIgnoringCase(owner, guid)) {
            return true;
        }
    }
    return false;
}

void StopSharing(run::RunContext& ctx, const std::string& guid, bool last) {
    std::error_code ec;
    if (last && !std::filesystem::remove(SesamXmlPath(ctx), ec) && ec) {
        KT_LOG(Error) << "Can't delete " << SesamXmlPath(ctx) << " : " << ec.message();
    }
    for (const std::string& file : {config::AppIdPath(ctx), config::GuidFilePath(ctx, guid)}) {
        if (!config::SetNodeData(file, "Workstation", "Sesam", nullptr, "Shared", "0")) {
            KT_LOG(Error) << "Can't clear the CCAM sharing flag of " << file;
        }
    }
}

}  // namespace

LeaveOutcome LeaveSharedCcamTables(run::RunContext& ctx, const std::string& guid, const std::string& entryName,
                                   const std::string& packVersion) {
    if (!EqualIgnoringCase(entryName, "Sesam") || !AreCcamTablesShared(ctx)) return LeaveOutcome::kGoOn;
    const std::vector<std::string> names = config::ListWorkstationFiles(ctx.updateDir);
    if (names.empty()) {
        KT_LOG(Warning) << "No workstation file in " << ctx.updateDir << " : the Sesam pack is not uninstalled";
        return LeaveOutcome::kStop;
    }
    const bool others = OtherWorkstationUses(ctx, names, guid, packVersion);
    if (hostsuite::KtMessageBox(ctx.ownerWindow, strings::LoadString(kLeaveQuestion), ctx.appTitle,
                                hostsuite::kStyleErrorYesNo, 1, kLeaveQuestion) != hostsuite::kIdYes) {
        return LeaveOutcome::kStop;
    }
    const std::optional<TableSet> shared = ReadSharedTableSet(SesamXmlPath(ctx));
    KT_LOG(Info) << "Leave the shared CCAM tables" << (others ? ", still used by other workstations" : "");
    if (shared && MoveCcamTables(ctx, SesamIniPath(), *shared, LocalTableSet(), others ? 0 : 1)) {
        StopSharing(ctx, guid, !others);
    }
    return LeaveOutcome::kGoOn;
}

}  // namespace kt::sesam
