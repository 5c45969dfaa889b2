#include "dialogs/main_dialog.h"

#include <filesystem>
#include <system_error>
#include <utility>

#include "config/app_guid.h"
#include "config/config_paths.h"
#include "config/decimal_text.h"
#include "config/node_data.h"
#include "config/text_limit.h"
#include "config/update_source.h"
#include "dialogs/main_controls.h"
#include "hostsuite/dialog_skin.h"
#include "hostsuite/message_box.h"
#include "run/run_names.h"
#include "strings/string_table.h"

namespace kt::dialogs {

using namespace main_dialog;

namespace {

constexpr int kCaptionPrefix = 1002;
constexpr int kBrowseCaption = 1075;

// Paths and the source type are read, and the directory taken, at most this long.
constexpr std::size_t kPathChars = 260;
constexpr std::size_t kGuidChars = 128;

}  // namespace

CKTupdateDLLDlg::CKTupdateDLLDlg(run::RunContext& ctx, hostsuite::Window, MainDialogServices services)
    : DialogModel(kResourceId, strings::LoadString(kCaptionPrefix) + ctx.appTitle),
      ctx_(ctx),
      services_(std::move(services)),
      appId_(config::AppIdPath(ctx)) {
    if (config::GetAppFormattedGuid(ctx_, &guid_, kGuidChars) == 1) guidFile_ = config::GuidFilePath(ctx_, guid_);
    AddControls();
    BindHandlers();
}

void CKTupdateDLLDlg::AddControls() {
    AddPush(hostsuite::kIdOk, "Commencer");
    AddPush(hostsuite::kIdCancel, "Fermer");
    AddPush(kOptionsButton, "Options...");
    AddPush(kHistoryButton, "Historique");
    AddRadio(kInternet, "Télécharger les mises à jour à partir d'Internet", kSourceRadios);
    AddRadio(kLocalNetwork, "Installer les mises à jour à partir du réseau local", kSourceRadios);
    AddRadio(kDirectory, "Charger les mises à jour à partir de : ", kSourceRadios);
    AddEdit(kDirectoryEdit);
    AddPush(kBrowseButton, "Parcourir...");
    AddCheck(kNetworkCheck, "Récupérer les mises à jour pour tous les postes en réseau",
             "Les mises à jour récupérées seront disponibles sur le réseau local pour les autres postes");
    AddCheck(kCcamShareCheck, "Partager les tables de la CCAM en réseau");
    AddEdit(kReadOnlyEdit);
    SetEditStyle(kReadOnlyEdit, false, true, false, 0);
    AddCheck(kSesamReinstallCheck, "Réinstaller le pack Sesam Vitale");
    AddCheck(kLocalVersionToggle, "Version locale");
    AddGroup(kOptionsGroup, "Options");
    AddLabel(kPicturePanel);
}

void CKTupdateDLLDlg::BindHandlers() {
    BindClick(kInternet, [this] { ApplySource(false, true); });
    BindClick(kLocalNetwork, [this] { ApplySource(false, false); });
    BindClick(kDirectory, [this] { ApplySource(true, true); });
    BindClick(kBrowseButton, [this] { Browse(); });
    BindClick(kOptionsButton, [this] {
        if (services_.openOptions) services_.openOptions(Handle());
    });
    BindClick(kHistoryButton, [this] {
        if (services_.openHistory) services_.openHistory(Handle(), [this] { EndDialog(hostsuite::kIdCancel); });
    });
}

bool CKTupdateDLLDlg::OnInitDialog() {
    // A second call of the module brings this dialog back instead of starting a run.
    registration_ = platform::RegisterOpenDialog(run::kDownloadDialogClass, [this] { RequestRestore(); });
    ReadSource();
    ReadNetworkDownload();
    ReadDirectory();
    for (int id : {kCcamShareCheck, kReadOnlyEdit, kSesamReinstallCheck, kLocalVersionToggle}) {
        Enable(id, false);
        Show(id, false);
    }
    return true;
}

void CKTupdateDLLDlg::ReadSource() {
    std::string type;
    if (config::GetNodeData(appId_, "Workstation", "Update", nullptr, 0, "Type", &type, kPathChars) != 1) return;
    choice_.internet = choice_.network = choice_.directory = false;
    switch (config::DecimalValue(type)) {
        case 1:
            CheckRadio(kInternet);
            ApplySource(false, true);
            choice_.internet = true;
            break;
        case 2:
            CheckRadio(kLocalNetwork);
            ApplySource(false, false);
            choice_.network = true;
            break;
        case 3:
            CheckRadio(kDirectory);
            ApplySource(true, true);
            choice_.directory = true;
            break;
        default:
            break;
    }
}

void CKTupdateDLLDlg::ReadNetworkDownload() {
    std::string network;
    if (config::GetNodeData(appId_, "Workstation", "Update", nullptr, 0, "Network", &network, kPathChars) != 1) return;
    SetCheck(kNetworkCheck, config::FlagIsOn(network));
}

void CKTupdateDLLDlg::ReadDirectory() {
    std::string directory;
    if (config::GetNodeData(appId_, "Workstation", "LocalUpdate", &directory, kPathChars, nullptr, nullptr, 0) == 1) {
        SetText(kDirectoryEdit, directory);
    }
}

void CKTupdateDLLDlg::ApplySource(bool directoryEnabled, bool networkEnabled) {
    Enable(kDirectoryEdit, directoryEnabled);
    Enable(kBrowseButton, directoryEnabled);
    Enable(kNetworkCheck, networkEnabled);
}

void CKTupdateDLLDlg::Browse() {
    const std::optional<std::string> folder =
        hostsuite::BrowseForFolder(Handle(), strings::LoadString(kBrowseCaption), BrowseStart());
    if (folder && !folder->empty()) SetText(kDirectoryEdit, *folder);
}

std::string CKTupdateDLLDlg::BrowseStart() const {
    const std::string text = config::LimitChars(Text(kDirectoryEdit), kPathChars);
    std::error_code error;
    if (text.empty() || std::filesystem::is_directory(text, error)) return text;
    return std::filesystem::path(text).parent_path().string();
}

// Records the choice shown; with `start`, a directory without an update
// is refused before anything is written.
bool CKTupdateDLLDlg::SaveChoice(bool start) {
    const bool internet = IsChecked(kInternet), network = IsChecked(kLocalNetwork), directory = IsChecked(kDirectory);
    config::UpdateSourceChoice source;
    source.source = internet    ? config::kSourceInternet
                    : network   ? config::kSourceLocalNetwork
                    : directory ? config::kSourceDirectory
                                : 0;
    source.share = IsChecked(kNetworkCheck);
    source.directory = Text(kDirectoryEdit);
    if (config::ApplyUpdateSource(ctx_, guidFile_.empty() ? std::string() : guid_, source, start, Handle()) != 1) {
        return false;
    }
    choice_ = {internet, network, directory, config::RecordedDirectory(source.directory)};
    return true;
}

void CKTupdateDLLDlg::OnOK() {
    if (SaveChoice(true)) EndDialog(hostsuite::kIdOk);
}

void CKTupdateDLLDlg::OnCancel() {
    (void)SaveChoice(false);
    EndDialog(hostsuite::kIdCancel);
}

void CKTupdateDLLDlg::OnEscape() { EndDialog(hostsuite::kIdCancel); }

int CKTupdateDLLDlg::OnEraseBackground(hostsuite::DeviceContext dc) {
    return hostsuite::PaintDialogBackground(Handle(), dc, kBackgroundImage);
}

void CKTupdateDLLDlg::OnDestroy() {
    registration_.reset();
    hostsuite::ReleaseDialogSkin(Handle());
}

}  // namespace kt::dialogs
