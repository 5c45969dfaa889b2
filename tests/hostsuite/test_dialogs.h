// Dialogs the presenter tests share.
#pragma once

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "hostsuite/dialog_model.h"
#include "hostsuite/message_box.h"

namespace kt::hostsuite::test {

// Dialog 130: a worker fills bar 1022 up to 100 with status 1061, waiting at
// `pauseAt` (ten seconds at most) for "Annuler", which asks 1062 first.
class WorkerDialog : public DialogModel {
public:
    explicit WorkerDialog(int pauseAt = 0) : DialogModel(130, "Téléchargement", Ending::ByItself), pauseAt_(pauseAt) {
        AddLabel(1028);
        AddLabel(1061);
        AddProgress(1022);
        AddPush(2, "Annuler");
        BindClick(2, [this] {
            if (KtMessageBox(Handle(), "Le téléchargement n'est pas terminé.", "Attention !", kStyleWarningYesNo, 1, 1062) != kIdYes) {
                return;
            }
            SetText(1028, "Fin de l'opération en cours...");
            cancel_ = true;
        });
    }
    ~WorkerDialog() override { OnDestroy(); }

protected:
    bool OnInitDialog() override {
        worker_ = std::thread([this] {
            for (int position = 1; position <= 100 && !cancel_; ++position) {
                SetPosition(1022, position);
                SetText(1061, "Reçu " + std::to_string(position) + " Ko");
                const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(position == pauseAt_ ? 10 : 0);
                while (!cancel_ && std::chrono::steady_clock::now() < until) std::this_thread::sleep_for(std::chrono::milliseconds(1));
                std::this_thread::sleep_for(std::chrono::microseconds(300));
            }
            PostCommand(cancel_ ? kIdCancel : kIdOk);
        });
        return true;
    }
    void OnDestroy() override {
        if (worker_.joinable()) worker_.join();
    }

private:
    const int pauseAt_;
    std::atomic<bool> cancel_{false};
    std::thread worker_;
};

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
