#include "gtk/gtk_presenter.h"

#include <filesystem>
#include <utility>

#include "gtk/dialog_window.h"
#include "gtk/message_windows.h"
#include "gtk/window_picture.h"
#include "hostsuite/dialog_model.h"
#include "hostsuite/modal_session.h"
#include "hostsuite/safe_answers.h"
#include "hostsuite/transcript_format.h"
#include "log/activity_log.h"

namespace kt::gtk {

using hostsuite::ActionKind;
using hostsuite::DialogAction;
using hostsuite::DialogModel;
using hostsuite::ScriptLine;

namespace {

// How long the dialog's thread waits for changes before looking again.
constexpr std::chrono::milliseconds kPumpSlice{250};

}  // namespace

GtkPresenter::GtkPresenter(GtkThread& toolkit, std::shared_ptr<hostsuite::TranscriptWriter> transcript,
                           std::optional<hostsuite::Script> script, std::string pictureFolder)
    : toolkit_(toolkit), transcript_(std::move(transcript)), script_(std::move(script)),
      pictureFolder_(std::move(pictureFolder)) {}

GtkWindow* GtkPresenter::TopWindow() const { return open_.empty() ? nullptr : open_.back()->Window(); }

int GtkPresenter::ShowMessage(const hostsuite::MessageRequest& request) {
    std::lock_guard lock(mutex_);
    const ScriptLine* line = script_ ? script_->TakeMessage(request.stringId, request.text) : nullptr;
    const Answering answering = !script_ ? Answering::ByPerson : line ? Answering::ByScript : Answering::Unanswered;
    const BoxRequest box{request.caption, request.text, request.style, hostsuite::MessageChoices(request.style),
                         hostsuite::SafeMessageAnswer(request.style)};
    int answer = 0;
    toolkit_.Call([&] { answer = RunMessageWindow(TopWindow(), box, answering, line ? line->answer : 0); });
    WriteTranscript(transcript_.get(), MessageLine(request, answer, answering == Answering::Unanswered));
    return answer;
}

int GtkPresenter::ShowButtons(const hostsuite::ButtonsRequest& request) {
    std::lock_guard lock(mutex_);
    const ScriptLine* line = script_ ? script_->TakeButtons(request.stringId, request.text) : nullptr;
    const Answering answering = !script_ ? Answering::ByPerson : line ? Answering::ByScript : Answering::Unanswered;
    const BoxRequest box{request.caption, request.text, request.style, hostsuite::CustomChoices(request.buttons),
                         hostsuite::kSafeButtonsAnswer};
    int answer = 0;
    toolkit_.Call([&] { answer = RunMessageWindow(TopWindow(), box, answering, line ? line->answer : 0); });
    WriteTranscript(transcript_.get(), ButtonsLine(request, answer, answering == Answering::Unanswered));
    return answer;
}

std::optional<hostsuite::Credentials> GtkPresenter::AskCredentials(const std::string& target) {
    std::lock_guard lock(mutex_);
    const ScriptLine* line = script_ ? script_->TakeCredentials() : nullptr;
    const Answering answering = !script_ ? Answering::ByPerson : line ? Answering::ByScript : Answering::Unanswered;
    std::optional<hostsuite::Credentials> answer;
    toolkit_.Call([&] {
        answer = RunCredentialsWindow(TopWindow(), target, answering,
                                      line ? line->credentials : std::optional<hostsuite::Credentials>());
    });
    WriteTranscript(transcript_.get(), CredentialsLine(target, answer, answering == Answering::Unanswered));
    return answer;
}

std::optional<std::string> GtkPresenter::ChooseFolder(hostsuite::Window, const std::string& caption,
                                                      const std::string& initialFolder) {
    std::lock_guard lock(mutex_);
    const ScriptLine* line = script_ ? script_->TakeFolder() : nullptr;
    const Answering answering = !script_ ? Answering::ByPerson : line ? Answering::ByScript : Answering::Unanswered;
    std::optional<std::string> answer;
    toolkit_.Call([&] {
        answer = RunFolderWindow(TopWindow(), caption, initialFolder, answering,
                                 line ? line->folder : std::optional<std::string>());
    });
    WriteTranscript(transcript_.get(), hostsuite::FolderLine(caption, answer, answering == Answering::Unanswered));
    return answer;
}

void GtkPresenter::ShowBusy(bool busy) {
    toolkit_.Call([&] {
        for (DialogWindow* window : open_) window->SetBusy(busy);
    });
    WriteTranscript(transcript_.get(), hostsuite::BusyLine(busy));
}

bool GtkPresenter::PumpShown(DialogModel& dialog, DialogWindow& window, const std::function<bool()>& done,
                             std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!dialog.Ended()) {
        if (done()) return true;
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        const std::uint64_t seen = dialog.ChangeCount();
        dialog.PumpUntil([&] { return dialog.ChangeCount() != seen || done(); }, std::min(left, kPumpSlice));
        if (dialog.ChangeCount() != seen && !dialog.Ended()) toolkit_.Call([&] { window.Refresh(); });
    }
    return false;
}

bool GtkPresenter::PlayOnWindow(DialogModel& dialog, DialogWindow& window, const DialogAction& action) {
    if (action.kind == ActionKind::Sleep) {
        PumpShown(dialog, window, [] { return false; }, std::chrono::milliseconds(action.number));
        return true;
    }
    if (action.kind == ActionKind::Wait) {
        const int bar = action.control;
        const std::optional<hostsuite::Control> control = dialog.GetControl(bar);
        if (!control || control->kind != hostsuite::ControlKind::Progress) {
            KT_LOG(Warning) << "Dialog " << dialog.ResourceId() << " has no progress bar " << bar;
            return false;
        }
        const bool reached = PumpShown(dialog, window, [&] { return dialog.Position(bar) >= action.number; },
                                       std::chrono::milliseconds(hostsuite::kWaitLimitMs));
        if (!reached && !dialog.Ended()) {
            KT_LOG(Warning) << "Dialog " << dialog.ResourceId() << " : progress bar " << bar << " did not reach "
                            << action.number;
        }
        return reached;
    }
    bool taken = false;
    toolkit_.Call([&] { taken = window.Play(action); });
    // The widget's signal handed the action to this thread: it runs now.
    dialog.DrainPosted();
    if (!dialog.Ended()) toolkit_.Call([&] { window.Refresh(); });
    return taken;
}

void GtkPresenter::SavePicture(DialogWindow& window, int resourceId) {
    if (pictureFolder_.empty()) return;
    const std::string path =
        (std::filesystem::path(pictureFolder_) / ("dialog-" + std::to_string(resourceId) + ".png")).string();
    toolkit_.Call([&] {
        window.Refresh();
        SaveWindowPicture(window.Window(), path);
    });
}

int GtkPresenter::RunDialog(DialogModel& dialog) {
    hostsuite::ModalSession session(dialog, transcript_.get());
    std::unique_ptr<DialogWindow> window;
    if (session.Open()) {
        toolkit_.Call([&] {
            window = std::make_unique<DialogWindow>(dialog, TopWindow());
            open_.push_back(window.get());
            LetWindowPaint(window->Window());
        });
        SavePicture(*window, dialog.ResourceId());
    }
    bool unscripted = false;
    if (window && script_) {
        std::vector<DialogAction> actions;
        {
            std::lock_guard lock(mutex_);
            if (const ScriptLine* line = script_->TakeDialog(dialog.ResourceId())) actions = line->actions;
        }
        for (const DialogAction& action : actions) {
            if (!session.Open()) break;
            session.Play(action, [&](const DialogAction& played) { return PlayOnWindow(dialog, *window, played); });
            if (session.Open()) SavePicture(*window, dialog.ResourceId());
        }
        if (session.Open() && !dialog.WaitsForUser()) {
            PumpShown(dialog, *window, [] { return false; }, hostsuite::kSelfRunningLimit);
        }
        unscripted = session.EndUnanswered();
    } else if (window) {
        while (session.Open()) PumpShown(dialog, *window, [] { return false; }, kPumpSlice);
    }
    const int result = session.Finish(unscripted);
    if (window) {
        toolkit_.Call([&] {
            std::erase(open_, window.get());
            window.reset();
        });
    }
    return result;
}

}  // namespace kt::gtk
