// Small dialogs for the presenter tests, built like the module's own: a
// download-like dialog whose worker thread moves a progress bar and posts
// its result, and a dialog that waits for the user.
#pragma once

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "hostsuite/dialog_model.h"
#include "hostsuite/message_box.h"

namespace kt::hostsuite::test {

// Dialog 130: the worker fills bar 1022 from 1 to 100, writing status line
// 1061; at `pauseAt` it waits (at most `pause`) for a cancel. "Annuler" (2)
// asks message 1062 and, on Yes, disables itself and asks the worker to stop.
class WorkerDialog : public DialogModel {
public:
    explicit WorkerDialog(int pauseAt = 0, std::chrono::milliseconds pause = std::chrono::seconds(10))
        : DialogModel(130, "Téléchargement"), pauseAt_(pauseAt), pause_(pause) {
        AddLabel(1028);
        AddLabel(1061);
        AddProgress(1022);
        AddPush(2, "Annuler");
        BindClick(2, [this] { ConfirmCancel(); });
    }
    ~WorkerDialog() override { Join(); }

    int cancelQuestions = 0;

protected:
    bool OnInitDialog() override {
        SetRange(1022, 0, 100);
        SetText(1028, "Vérification...");
        worker_ = std::thread([this] { Work(); });
        return true;
    }
    void OnDestroy() override { Join(); }

private:
    void ConfirmCancel() {
        ++cancelQuestions;
        const int answer = KtMessageBox(Handle(), "Le téléchargement n'est pas terminé.", "Attention !",
                                        kStyleWarningYesNo, 1, 1062);
        if (answer != kIdYes) return;
        Enable(2, false);
        SetText(1028, "Fin de l'opération en cours...");
        cancel_ = true;
    }

    void Work() {
        for (int position = 1; position <= 100; ++position) {
            SetPosition(1022, position);
            SetText(1061, "Reçu " + std::to_string(position) + " Ko");
            if (position == pauseAt_) WaitForCancel();
            if (cancel_) {
                PostCommand(kIdCancel);
                return;
            }
            std::this_thread::sleep_for(std::chrono::microseconds(300));
        }
        SetText(1028, "Terminé");
        PostCommand(kIdOk);
    }

    void WaitForCancel() {
        const auto until = std::chrono::steady_clock::now() + pause_;
        while (!cancel_ && std::chrono::steady_clock::now() < until) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }

    void Join() {
        if (worker_.joinable()) worker_.join();
    }

    const int pauseAt_;
    const std::chrono::milliseconds pause_;
    std::atomic<bool> cancel_{false};
    std::thread worker_;
};

// A dialog that waits for the user, recording which hooks ended it.
class WaitingDialog : public DialogModel {
public:
    explicit WaitingDialog(int id = 145, std::string caption = "Talvo") : DialogModel(id, std::move(caption)) {
        AddPush(1, "OK");
        AddPush(2, "Annuler");
        AddLabel(1038, "Erreur lors de l'établissement de la connexion internet.");
    }
    std::vector<std::string> hooks;

protected:
    void OnCancel() override {
        hooks.push_back("cancel");
        DialogModel::OnCancel();
    }
    void OnClose() override {
        hooks.push_back("close");
        DialogModel::OnClose();
    }
    void OnEscape() override {
        hooks.push_back("escape");
        DialogModel::OnEscape();
    }
};

}  // namespace kt::hostsuite::test
