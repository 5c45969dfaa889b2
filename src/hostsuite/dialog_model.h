// A toolkit-independent modal dialog: its controls by resource identifier,
// the handlers bound to them, and the hooks a dialog overrides. A presenter
// runs it modally on the thread that calls RunDialog (the dialog's thread);
// it turns a person's actions, or a script's, into the User* calls below.
//
// Threads: the control accessors, PostCommand, PostCall, CallOnDialogThread,
// RequestRestore and EndDialog may be called from any thread. Handlers and
// hooks only ever run on the dialog's thread, while the presenter drains what
// other threads posted.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "hostsuite/control.h"
#include "hostsuite/dialog_skin.h"
#include "hostsuite/presenter.h"

namespace kt::hostsuite {

enum class ShowState { Normal, Minimised };

class DialogModel {
public:
    // How a modal run ends: by the user, or by the dialog's own work (a
    // transfer, a dial-up) that ends it when done.
    enum class Ending { ByUser, ByItself };

    DialogModel(int resourceId, std::string caption, Ending ending = Ending::ByUser);
    virtual ~DialogModel();
    DialogModel(const DialogModel&) = delete;
    DialogModel& operator=(const DialogModel&) = delete;

    int ResourceId() const { return resourceId_; }
    // The dialog's window, as owner of the message boxes it shows.
    Window Handle() const { return const_cast<DialogModel*>(this); }
    // False for the dialogs that run by themselves and end on their own; a
    // dialog that waits for the user is ended with Cancel when nobody answers it.
    bool WaitsForUser() const { return ending_ == Ending::ByUser; }

    // Definition, before the dialog runs. A second control with the same
    // identifier is ignored.
    void AddControl(Control control);
    void AddPush(int id, std::string caption);
    void AddRadio(int id, std::string caption, int group = 0);
    void AddCheck(int id, std::string caption, std::string description = {});
    void AddGroup(int id, std::string caption);
    void AddLabel(int id, std::string text = {});
    void AddEdit(int id, std::string text = {});
    void AddList(int id, bool sorted = false, bool multiSelect = false);
    void AddCombo(int id, bool sorted = false);
    void AddProgress(int id);

    // Handlers, bound on the dialog's thread. A click comes from push
    // buttons, radio buttons and check boxes; a selection change from lists
    // and combo boxes, with the index of the item whose state changed.
    void BindClick(int id, std::function<void()> handler);
    void BindSelectionChange(int id, std::function<void(int item)> handler);

    // Window.
    std::string Caption() const;
    void SetCaption(std::string caption);
    ShowState GetShowState() const;
    void SetShowState(ShowState state);

    // Controls; an unknown identifier reads as empty and ignores changes.
    bool HasControl(int id) const;
    std::optional<Control> GetControl(int id) const;
    // Every control, in the order they were added.
    std::vector<Control> Controls() const;
    std::string Text(int id) const;
    void SetText(int id, std::string text);
    bool IsEnabled(int id) const;
    void Enable(int id, bool enabled);
    bool IsVisible(int id) const;
    void Show(int id, bool visible);
    bool IsChecked(int id) const;
    void SetCheck(int id, bool checked);
    // Checks a radio button and clears the others of its group, by program
    // (no handler runs).
    void CheckRadio(int id);
    // Edit styles.
    void SetEditStyle(int id, bool password, bool readOnly, bool digitsOnly, std::size_t maxLength);

    // Lists and combo boxes. AddItem/AddRow return the index of the new
    // item (in sort order for sorted lists).
    int AddItem(int id, std::string text, std::intptr_t data = 0);
    int AddRow(int id, std::vector<std::string> cells, std::intptr_t data = 0);
    void ClearItems(int id);
    // Makes the list a report-style list with these column titles.
    void SetColumns(int id, std::vector<std::string> titles);
    int ItemCount(int id) const;
    std::string ItemText(int id, int index, int column = 0) const;
    std::intptr_t ItemData(int id, int index) const;
    // The selected item of a single-selection list; the first selected one
    // of a multi-selection list; -1 for none.
    int Selection(int id) const;
    std::vector<int> SelectedItems(int id) const;
    // Selects by program (no handler runs); -1 clears the selection.
    void SetSelection(int id, int index);
    // The first item after `startAfter` (wrapping round) whose text begins
    // with `prefix`, ignoring ASCII case; -1 when none.
    int FindItemPrefix(int id, const std::string& prefix, int startAfter = -1) const;

    // Progress bars.
    void SetRange(int id, int low, int high);
    void SetPosition(int id, int position);
    int Position(int id) const;

    // From any thread: a command as if the window received it (1 = OK, 2 =
    // Cancel, else the control's click handler); a call to run on the
    // dialog's thread; a request to come back from minimised. Dropped when
    // the dialog is not running or has ended.
    void PostCommand(int id);
    void PostCall(std::function<void()> call);
    void RequestRestore();
    // Runs `call` on the dialog's thread and waits for it; false when the
    // dialog ended (or was not running) before running it. What `call`
    // throws is thrown again here, on the waiting thread.
    bool CallOnDialogThread(std::function<void()> call);

    // Ends the modal run with `result`; the last call before the run
    // finishes gives the result.
    void EndDialog(int result);
    bool Ended() const;
    int Result() const;

    // For presenters, on the dialog's thread.
    // Starts the modal run: initialisation, then the background.
    void BeginModal();
    // Finishes the modal run: pending posts are dropped, then OnDestroy.
    void EndModal();
    // Runs what other threads posted, in order; stops when the dialog ends.
    void DrainPosted();
    // Runs posted work and waits for changes until `done` holds, the dialog
    // ends or `limit` passes. True when `done` held.
    bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds limit);
    // Grows with every change of the window or a control.
    std::uint64_t ChangeCount() const;

    // A person's actions. Each returns false when the control cannot take
    // it (missing, hidden, disabled, read-only or of another kind).
    bool UserClick(int id);
    bool UserSetCheck(int id, bool checked);
    bool UserSetText(int id, const std::string& text);
    // Chooses the item whose text (or, for a report list, whose cells joined
    // by tabs) is `itemText`.
    bool UserSelect(int id, const std::string& itemText);
    // Adds the item to (or removes it from) a multi-selection list's
    // selection, the others staying as they are (a Ctrl-click). False for
    // other controls, an unknown item, or an item already in that state.
    bool UserToggle(int id, const std::string& itemText, bool selected);
    void UserClose();
    void UserEscape();
    // A command from the window's own controls or posted by another thread.
    void Command(int id);

protected:
    virtual bool OnInitDialog() { return true; }
    virtual void OnOK() { EndDialog(kIdOk); }
    virtual void OnCancel() { EndDialog(kIdCancel); }
    // The title bar's close box.
    virtual void OnClose() { OnCancel(); }
    // The Escape key.
    virtual void OnEscape() { OnCancel(); }
    // Non-zero when the background was painted.
    virtual int OnEraseBackground(DeviceContext) { return 0; }
    virtual void OnRestore() { SetShowState(ShowState::Normal); }
    virtual void OnDestroy() {}

private:
    struct CallState;
    struct Posted {
        enum class Kind { Command, Call, Restore } kind = Kind::Command;
        int id = 0;
        std::function<void()> call;
        std::shared_ptr<CallState> waiter;
    };

    Control* Find(int id);
    const Control* Find(int id) const;
    // Applies `change` to the control under the lock and counts the change.
    void Change(int id, const std::function<void(Control&)>& change);
    bool Post(Posted posted);
    void DropPosted(std::deque<Posted>& dropped);
    void RunPosted(Posted& posted);
    void RunClickHandler(int id);
    void RunSelectionHandler(int id, int item);
    std::optional<Control> InputControl(int id) const;
    // Checks the radio button and clears the others of its group.
    void ChooseRadio(const Control& radio);
    void Changed();

    const int resourceId_;
    const Ending ending_;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::string caption_;
    ShowState showState_ = ShowState::Normal;
    std::vector<Control> controls_;
    std::map<int, std::size_t> index_;
    std::deque<Posted> posted_;
    std::uint64_t changes_ = 0;
    bool running_ = false;
    bool ended_ = false;
    int result_ = 0;
    std::thread::id dialogThread_;

    std::map<int, std::function<void()>> clickHandlers_;
    std::map<int, std::function<void(int)>> selectionHandlers_;
};

}  // namespace kt::hostsuite
