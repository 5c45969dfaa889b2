#include "dialogs/main_dialog.h"

#include <filesystem>
#include <system_error>
#include <utility>
#include <vector>

#include "config/app_guid.h"
#include "config/config_paths.h"
#include "config/decimal_text.h"
#include "config/node_data.h"
#include "config/text_limit.h"
#include "dialogs/main_controls.h"
#include "hostsuite/dialog_skin.h"
#include "hostsuite/message_box.h"
#include "run/run_names.h"
#include "strings/string_table.h"

namespace kt::dialogs {

using namespace main_dialog;

namespace {

constexpr int kCaptionPrefix = 1002;
constexpr int kNoUpdateInDirectory = 1074;
constexpr int kBrowseCaption = 1075;

// Paths and the source type are read, and the directory taken, at most this long.
constexpr std::size_t kPathChars = 260;
constexpr std::size_t kGuidChars = 128;

constexpr const char* kVersionsFile = "versions.xml";

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

std::string CKTupdateDLLDlg::DirectoryText() const {
    std::string directory = config::LimitChars(Text(kDirectoryEdit), kPathChars);
    if (!directory.empty() && directory.back() != '/') directory.push_back('/');
    return directory;
}

bool CKTupdateDLLDlg::DirectoryHoldsUpdate() const {
    const std::string directory = DirectoryText();
    // An empty directory would name versions.xml of whatever folder the host runs in.
    if (directory.empty()) return false;
    std::error_code error;
    return std::filesystem::is_regular_file(directory + kVersionsFile, error);
}

void CKTupdateDLLDlg::SaveChoice() {
    choice_.internet = IsChecked(kInternet);
    choice_.network = IsChecked(kLocalNetwork);
    choice_.directory = IsChecked(kDirectory);
    choice_.directoryText = DirectoryText();
    const bool networkDownload = IsChecked(kNetworkCheck);

    std::vector<config::NodeValue> update;
    const char* type = choice_.internet ? "1" : choice_.network ? "2" : choice_.directory ? "3" : nullptr;
    if (type != nullptr) update.push_back({"Workstation", "Update", "Type", type});
    update.push_back({"Workstation", "Update", "Network", networkDownload ? "1" : "0"});
    // The store logs what it cannot write; the choice stands either way.
    (void)config::SetNodeValues(appId_, update);
    (void)config::SetNodeData(appId_, "Workstation", "LocalUpdate", choice_.directoryText.c_str(), nullptr, nullptr);

    // Downloading for the others: on with the Internet source and the box
    // ticked, off with the other sources, untouched otherwise.
    const char* forOthers = (choice_.internet && networkDownload) ? "1"
                            : (choice_.network || choice_.directory) ? "0"
                                                                     : nullptr;
    if (forOthers != nullptr && !guidFile_.empty()) {
        (void)config::SetNodeData(guidFile_, "Workstation", "LastUpdate", nullptr, "Type", forOthers);
    }
}

void CKTupdateDLLDlg::OnOK() {
    // Nothing is written while the chosen directory holds no update: leaving
    // afterwards with Escape keeps the choice the run started with.
    if (IsChecked(kDirectory) && !DirectoryHoldsUpdate()) {
        hostsuite::KtMessageBox(Handle(), strings::LoadString(kNoUpdateInDirectory), "Erreur",
                                hostsuite::kStyleErrorOk, 1, kNoUpdateInDirectory);
        return;
    }
    SaveChoice();
    EndDialog(hostsuite::kIdOk);
}

void CKTupdateDLLDlg::OnCancel() {
    SaveChoice();
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
