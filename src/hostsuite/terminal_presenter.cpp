#include "hostsuite/terminal_presenter.h"

#include <utility>

#include "hostsuite/modal_session.h"
#include "hostsuite/safe_answers.h"
#include "hostsuite/terminal_dialog_view.h"
#include "hostsuite/transcript_format.h"

namespace kt::hostsuite {

namespace {

// How often a running dialog looks at the keyboard between its own updates.
constexpr std::chrono::milliseconds kKeyboardSlice{100};

std::string JoinCells(const std::vector<std::string>& cells) {
    std::string joined;
    for (std::size_t i = 0; i < cells.size(); ++i) joined += (i > 0 ? "\t" : "") + cells[i];
    return joined;
}

}  // namespace

TerminalPresenter::TerminalPresenter(std::shared_ptr<TranscriptWriter> transcript, std::ostream& out,
                                     LineReader reader)
    : transcript_(std::move(transcript)), out_(out), reader_(std::move(reader)) {}

std::optional<std::string> TerminalPresenter::AskLine(const std::string& prompt) {
    out_ << prompt << std::flush;
    std::string line;
    for (;;) {
        switch (reader_(line, kKeyboardSlice)) {
            case platform::ConsoleRead::Line: return line;
            case platform::ConsoleRead::Closed: out_ << '\n' << std::flush; return std::nullopt;
            case platform::ConsoleRead::Timeout: break;
        }
    }
}

int TerminalPresenter::Choose(const std::string& caption, unsigned style, const std::string& text,
                              const std::vector<Choice>& choices, int safe, bool& unscripted) {
    out_ << BoxText(caption, style, text, choices);
    for (;;) {
        const std::optional<std::string> typed = AskLine("Votre choix : ");
        if (!typed) {
            unscripted = true;
            return safe;
        }
        if (const Choice* choice = FindChoice(choices, *typed)) return choice->code;
        out_ << "Réponse non comprise.\n";
    }
}

void TerminalPresenter::ShowBusy(bool busy) {
    {
        std::lock_guard lock(console_);
        if (busy) out_ << "Veuillez patienter...\n" << std::flush;
    }
    WriteTranscript(transcript_.get(), BusyLine(busy));
}

int TerminalPresenter::ShowMessage(const MessageRequest& request) {
    bool unscripted = false;
    int answer = 0;
    {
        std::lock_guard lock(console_);
        answer = Choose(request.caption, request.style, request.text, MessageChoices(request.style),
                        SafeMessageAnswer(request.style), unscripted);
    }
    WriteTranscript(transcript_.get(), MessageLine(request, answer, unscripted));
    return answer;
}

int TerminalPresenter::ShowButtons(const ButtonsRequest& request) {
    bool unscripted = false;
    int answer = 0;
    {
        std::lock_guard lock(console_);
        answer = Choose(request.caption, request.style, request.text, CustomChoices(request.buttons),
                        kSafeButtonsAnswer, unscripted);
    }
    WriteTranscript(transcript_.get(), ButtonsLine(request, answer, unscripted));
    return answer;
}

std::optional<Credentials> TerminalPresenter::AskCredentials(const std::string& target) {
    std::optional<Credentials> answer;
    bool unscripted = false;
    {
        std::lock_guard lock(console_);
        out_ << "\n--- Authentification du serveur proxy ---\n" << target << '\n';
        const std::optional<std::string> user = AskLine("Nom d'utilisateur (vide pour annuler) : ");
        const std::optional<std::string> password =
            (user && !user->empty()) ? AskLine("Mot de passe : ") : std::nullopt;
        if (user && password) answer = Credentials{*user, *password};
        unscripted = !user || (!user->empty() && !password);
    }
    WriteTranscript(transcript_.get(), CredentialsLine(target, answer, unscripted));
    return answer;
}

std::optional<std::string> TerminalPresenter::ChooseFolder(Window, const std::string& caption,
                                                           const std::string& initialFolder) {
    std::optional<std::string> answer;
    bool unscripted = false;
    {
        std::lock_guard lock(console_);
        out_ << "\n--- " << caption << " ---\n";
        if (!initialFolder.empty()) out_ << "Répertoire actuel : " << initialFolder << '\n';
        const std::optional<std::string> typed = AskLine("Répertoire (vide pour annuler) : ");
        if (typed && !typed->empty()) answer = *typed;
        unscripted = !typed;
    }
    WriteTranscript(transcript_.get(), FolderLine(caption, answer, unscripted));
    return answer;
}

std::optional<DialogAction> TerminalPresenter::CompleteAction(const DialogModel& dialog,
                                                              const MenuEntry& entry) {
    DialogAction action;
    action.kind = entry.kind;
    action.control = entry.control;
    if (entry.kind == ActionKind::Text) {
        const std::optional<std::string> text = AskLine("Nouveau texte : ");
        if (!text) return std::nullopt;
        action.value = *text;
    } else if (entry.kind == ActionKind::Select || entry.kind == ActionKind::Add ||
               entry.kind == ActionKind::Deselect) {
        const std::optional<Control> list = dialog.GetControl(entry.control);
        if (!list || list->items.empty()) return std::nullopt;
        for (std::size_t i = 0; i < list->items.size(); ++i) {
            out_ << "  " << i + 1 << ". " << JoinCells(list->items[i].cells) << '\n';
        }
        const std::optional<std::string> typed = AskLine("Numéro de l'élément : ");
        if (!typed) return std::nullopt;
        std::size_t index = 0;
        for (std::size_t i = 0; i < list->items.size(); ++i) {
            if (*typed == std::to_string(i + 1)) index = i + 1;
        }
        if (index == 0) return std::nullopt;
        const std::vector<std::string>& cells = list->items[index - 1].cells;
        action.value = cells.size() > 1 ? JoinCells(cells) : cells.front();
    }
    return action;
}

int TerminalPresenter::RunDialog(DialogModel& dialog) {
    ModalSession session(dialog, transcript_.get());
    TerminalDialogView view(out_);
    bool unscripted = false;
    if (session.Open()) {
        std::lock_guard lock(console_);
        view.PrintAll(dialog);
    }
    while (session.Open()) {
        std::string typed;
        std::optional<DialogAction> action;
        platform::ConsoleRead read = platform::ConsoleRead::Timeout;
        {
            std::lock_guard lock(console_);
            view.PrintChanges(dialog);
            read = reader_(typed, kKeyboardSlice);
            if (read == platform::ConsoleRead::Line) {
                for (const MenuEntry& entry : view.Menu()) {
                    if (entry.key == typed) action = CompleteAction(dialog, entry);
                }
                if (!action) out_ << "Choix non disponible.\nVotre choix : " << std::flush;
            }
        }
        if (read == platform::ConsoleRead::Closed) {
            unscripted = session.EndUnanswered();
            break;
        }
        if (!action) continue;
        session.Play(*action);
        if (session.Open()) {
            std::lock_guard lock(console_);
            view.PrintAll(dialog);
        }
    }
    const int result = session.Finish(unscripted);
    std::lock_guard lock(console_);
    out_ << "\n=== " << dialog.Caption() << " : fermée ===\n" << std::flush;
    return result;
}

}  // namespace kt::hostsuite
