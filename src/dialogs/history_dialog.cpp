#include "dialogs/history_dialog.h"

#include <strings.h>

#include <filesystem>
#include <optional>

#include "config/app_guid.h"
#include "config/config_paths.h"
#include "config/node_data.h"
#include "config/text_limit.h"
#include "config/workstation_state_file.h"
#include "dialogs/history_file.h"
#include "hostsuite/dialog_skin.h"
#include "hostsuite/message_box.h"
#include "log/activity_log.h"
#include "platform/recycle_bin.h"
#include "platform/system_paths.h"
#include "sesam/ccam_leave.h"
#include "strings/string_table.h"

namespace kt::dialogs {
namespace {

constexpr int kEmptyHistory = 1020;
constexpr int kClearQuestion = 1019;
constexpr std::size_t kGuidLength = 128;
constexpr std::size_t kCellLength = 50;

std::string Read(const std::string& file, const char* element, std::size_t textLength, const char* attribute = nullptr,
                 std::size_t valueLength = 0) {
    std::string text, value;
    config::GetNodeData(file, "Workstation", element, attribute ? nullptr : &text, textLength, attribute,
                        attribute ? &value : nullptr, valueLength);
    return attribute ? value : text;
}

}  // namespace

CKTHistory::CKTHistory(run::RunContext& ctx, HistoryServices services)
    : DialogModel(kResourceId, "Historique"), ctx_(ctx), services_(std::move(services)), appId_(config::AppIdPath(ctx)) {
    AddPush(kUninstallButton, "Désinstaller");
    AddPush(kCloseButton, "Fermer");
    AddPush(kClearButton, "Effacer l’historique");
    AddList(kList, false, true);
    BindSelectionChange(kList, [this](int row) { OnRowStateChanged(row); });
    BindClick(kClearButton, [this] { Clear(); });
}

bool CKTHistory::OnInitDialog() {
    if (!config::GetAppFormattedGuid(ctx_, &guid_, kGuidLength)) KT_LOG(Error) << "History : no workstation GUID";
    SetColumns(kList, {strings::LoadString(1042), strings::LoadString(1044), strings::LoadString(1045),
                       strings::LoadString(1046)});
    ClearItems(kList);
    if (HasHistoryEntries(appId_)) Fill();
    Enable(kUninstallButton, false);
    return true;
}

void CKTHistory::Fill() {
    std::error_code ec;
    if (!std::filesystem::is_directory(ctx_.updateDirSlash + "$" + guid_, ec)) ForgetFirstRestorable(appId_);
    for (const HistoryEntry& entry : ReadHistory(appId_)) {
        AddRow(kList, HistoryRowCells(entry, ctx_.versionLabel), entry.canRestore);
    }
}

void CKTHistory::OnRowStateChanged(int row) { Enable(kUninstallButton, ItemData(kList, row) != 0); }

void CKTHistory::OnOK() {
    // Only the first selected row is uninstalled, and only when it can be.
    const int row = Selection(kList);
    if (row < 0 || ItemData(kList, row) == 0) return;
    const std::string name = config::LimitChars(ItemText(kList, row, 0), kCellLength);
    const bool sesam = strcasecmp(name.c_str(), "Sesam") == 0;
    const std::string packVersion = config::LimitChars(ItemText(kList, row, 2), kCellLength);
    if (sesam::LeaveSharedCcamTables(ctx_, guid_, name, packVersion) == sesam::LeaveOutcome::kStop) return;
    KT_LOG(Info) << "Uninstall " << ItemText(kList, row, 3);
    if (services_.startUninstall) services_.startUninstall(sesam ? 1 : 0);
    EndDialog(kUninstallStarted);
    if (services_.endOwnerWithoutSaving) services_.endOwnerWithoutSaving();
}

void CKTHistory::Clear() {
    if (ItemCount(kList) == 0) {
        hostsuite::KtMessageBox(Handle(), strings::LoadString(kEmptyHistory), ctx_.appTitle, hostsuite::kStyleErrorOk,
                                1, kEmptyHistory);
        return;
    }
    if (hostsuite::KtMessageBox(Handle(), strings::LoadString(kClearQuestion), ctx_.appTitle,
                                hostsuite::kStyleWarningYesNo, 1, kClearQuestion) != hostsuite::kIdYes) {
        return;
    }
    EmptyBackupFolders();
    const std::optional<std::string> version = ClearHistory(appId_);
    if (!version) {
        KT_LOG(Error) << "History : can't rewrite " << appId_;
        return;
    }
    KT_LOG(Info) << "History cleared";
    RewriteGuidFile(*version);
    ClearItems(kList);
    Enable(kUninstallButton, false);
}

void CKTHistory::EmptyBackupFolders() const {
    const std::string backup = ctx_.updateDirSlash + "$" + guid_;
    platform::MoveToRecycleBin(backup);
    std::error_code ec;
    std::filesystem::create_directory(backup, ec);
    const std::string programFiles = platform::SystemPaths::ProgramFiles();
    if (!programFiles.empty()) {
        platform::MoveToRecycleBin((std::filesystem::path(programFiles) / "Sesam" / "Uninstall").string());
    }
}

void CKTHistory::RewriteGuidFile(const std::string& version) {
    const bool internet = Read(appId_, "Update", 3, "Type", 3) == "1";
    const std::string type(internet ? "1" : "0");
    (void)config::UpdateConfXML(ctx_, guid_, version, Read(appId_, "LastUpdate", 12),
                                Read(appId_, "Version", 0, "CompatVersion", 50), type, Read(appId_, "Sesam", 20),
                                Read(appId_, "Sesam", 0, "Shared", 3));
}

int CKTHistory::OnEraseBackground(hostsuite::DeviceContext dc) {
    return hostsuite::PaintDialogBackground(Handle(), dc, kBackgroundImage);
}

void CKTHistory::OnDestroy() { hostsuite::ReleaseDialogSkin(Handle()); }

}  // namespace kt::dialogs
