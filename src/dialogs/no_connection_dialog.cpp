#include "dialogs/no_connection_dialog.h"

#include "hostsuite/dialog_skin.h"

namespace kt::dialogs {
namespace {

// The title of a run whose host gave none.
constexpr const char* kDefaultTitle = "l'Application";

}  // namespace

CKTMessageBox::CKTMessageBox(const run::RunContext& ctx, OpenOptions openOptions)
    : DialogModel(kResourceId, ""), ctx_(ctx), openOptions_(std::move(openOptions)) {
    AddPush(hostsuite::kIdOk, "OK");
    AddPush(hostsuite::kIdCancel, "Annuler");
    AddPush(kSettingsButton, "Paramétrer...");
    AddLabel(kErrorText, "Erreur lors de l'établissement de la connexion internet.");
    AddLabel(kRetryText, "Cliquez sur OK pour réessayer ou Annuler pour abandonner.");
    AddLabel(kSettingsText, "Pour changer ou vérifier les paramètres de connexion, cliquez sur Paramétrer.");
    // Whatever the options dialog returns, the user then chooses here.
    BindClick(kSettingsButton, [this] {
        if (openOptions_) openOptions_(Handle());
    });
    BindClick(hostsuite::kIdCancel, [this] { EndDialog(hostsuite::kIdCancel); });
}

bool CKTMessageBox::OnInitDialog() {
    SetCaption(ctx_.appTitle.empty() ? kDefaultTitle : ctx_.appTitle);
    return true;
}

int CKTMessageBox::OnEraseBackground(hostsuite::DeviceContext dc) {
    return hostsuite::PaintDialogBackground(Handle(), dc, kBackgroundImage);
}

void CKTMessageBox::OnDestroy() { hostsuite::ReleaseDialogSkin(Handle()); }

}  // namespace kt::dialogs
