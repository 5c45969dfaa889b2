#include "dialogs/password_dialog.h"

namespace kt::dialogs {

CKTPassword::CKTPassword() : DialogModel(kResourceId, "Mot de passe") {
    AddLabel(kPromptText, "Veuillez entrer le mot de passe");
    AddLabel(kPromptText2, "de connexion :");
    AddEdit(kPasswordEdit);
    // The typed characters show; the length is that of the dial parameters.
    SetEditStyle(kPasswordEdit, false, false, false, kMaxPasswordLength);
    AddPush(hostsuite::kIdOk, "OK");
    AddPush(hostsuite::kIdCancel, "Annuler");
}

bool CKTPassword::OnInitDialog() {
    SetText(kPasswordEdit, password_);
    return true;
}

void CKTPassword::OnOK() {
    password_ = Text(kPasswordEdit);
    EndDialog(hostsuite::kIdOk);
}

}  // namespace kt::dialogs
