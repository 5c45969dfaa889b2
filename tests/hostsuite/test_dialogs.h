// The dialog the presenter tests share.
#pragma once

#include <string>
#include <vector>

#include "hostsuite/dialog_model.h"

namespace kt::hostsuite::test {

// The no-connection dialog, waiting for the user; it records the hooks reached.
class WaitingDialog : public DialogModel {
public:
    explicit WaitingDialog(int id = 145) : DialogModel(id, "Talvo") {
        AddPush(1, "OK");
        AddPush(2, "Annuler");
        AddLabel(1038, "Erreur lors de l'établissement de la connexion internet.");
    }
    std::vector<std::string> hooks;

protected:
    void OnOK() override { hooks.push_back("ok"); DialogModel::OnOK(); }
    void OnCancel() override { hooks.push_back("cancel"); DialogModel::OnCancel(); }
    void OnClose() override { hooks.push_back("close"); DialogModel::OnClose(); }
    void OnEscape() override { hooks.push_back("escape"); DialogModel::OnEscape(); }
};

}  // namespace kt::hostsuite::test
