#include "connect/ras_dialog.h"

#include <optional>
#include <system_error>
#include <thread>

#include "dialogs/password_dialog.h"
#include "strings/string_table.h"
#include "hostsuite/message_box.h"

namespace kt::connect {
namespace {

constexpr int kRasErrorText = 1080;
// RasGetErrorString fills a buffer of this many characters.
constexpr std::size_t kErrorTextLength = 256;

const char* StatusText(int state) {
    switch (state) {
        case kRasPortOpened: return "Port ouvert";
        case kRasConnectDevice: return "Numérotation...";
        case kRasDeviceConnected: return "Connecté!";
        case kRasAuthenticate: return "Authentification...";
        case kRasAuthenticated: return "Authentification terminée!";
        case kRasConnected: return "Connexion établie!";
        case kRasDisconnected: return "Déconnecté.";
        default: return nullptr;
    }
}

}  // namespace

CRASDlg::CRASDlg(const run::RunContext& ctx, Dialer& dialer, std::string entryName,
                 std::chrono::milliseconds connectedHold)
    : DialogModel(kResourceId, "Connexion", Ending::ByItself),
      ctx_(ctx),
      dialer_(dialer),
      entryName_(std::move(entryName)),
      connectedHold_(connectedHold) {
    AddPush(hostsuite::kIdCancel, "Cancel");
    AddLabel(kStatusText);
}

CRASDlg::~CRASDlg() {
    Unlink();
    JoinWorker();
}

void CRASDlg::Unlink() {
    if (!link_) return;
    std::lock_guard lock(link_->mutex);
    link_->dialog = nullptr;
}

bool CRASDlg::OnInitDialog() {
    // Notifications of a call from an earlier run of this dialog are not for this run.
    Unlink();
    link_ = std::make_shared<Link>();
    link_->dialog = this;
    try {
        // A dial that stops by an exception ends as a failed dial does.
        worker_.Start("dial-up", [this] { DialWorker(); }, [this] { PostCommand(hostsuite::kIdCancel); });
    } catch (const std::system_error&) {
        EndDialog(hostsuite::kIdCancel);
    }
    return true;
}

void CRASDlg::OnDestroy() {
    // The caller reads the connection handle once the run is over: the
    // worker must be done with it by then.
    JoinWorker();
}

void CRASDlg::JoinWorker() { worker_.Join(); }

void CRASDlg::DialWorker() {
    if (IsAlreadyConnected()) {
        PostCommand(hostsuite::kIdOk);
        return;
    }
    bool passwordSaved = false;
    if (!ReadDialParams(passwordSaved)) {
        PostCommand(hostsuite::kIdCancel);
        return;
    }
    if (!passwordSaved && !AskPassword()) {
        PostCommand(hostsuite::kIdCancel);
        return;
    }
    StartCall();
}

bool CRASDlg::IsAlreadyConnected() {
    // Room for one connection only: with more active, the list fails and
    // the entry is dialled as if it were not connected.
    std::vector<RasConnection> connections;
    if (dialer_.EnumConnections(1, connections) != 0) return false;
    for (const RasConnection& connection : connections) {
        if (connection.entryName == entryName_) return true;
    }
    return false;
}

bool CRASDlg::ReadDialParams(bool& passwordSaved) {
    params_ = DialParams{};
    params_.entryName = entryName_;
    const unsigned error = dialer_.GetEntryDialParams(entryName_, params_, passwordSaved);
    if (error == 0) return true;
    std::string text;
    int textId = hostsuite::kLiteralText;
    if (auto system = dialer_.ErrorString(error)) {
        text = system->substr(0, kErrorTextLength);
    } else {
        text = strings::LoadString(kRasErrorText);
        textId = kRasErrorText;
    }
    if (ctx_.bAtStart) {
        CallOnDialogThread([&] {
            hostsuite::KtMessageBox(Handle(), text, ctx_.appTitle, hostsuite::kStyleErrorOk, 1, textId);
        });
    }
    return false;
}

bool CRASDlg::AskPassword() {
    params_.password.clear();
    std::optional<std::string> typed;
    // Shown over this dialog by its own thread; a dialog that ended meanwhile asks nothing.
    CallOnDialogThread([&typed] {
        dialogs::CKTPassword password;
        if (hostsuite::ActivePresenter().RunDialog(password) == hostsuite::kIdOk) typed = password.Password();
    });
    if (!typed) return false;
    params_.password = *typed;
    return true;
}

void CRASDlg::StartCall() {
    DialHandle handle = 0;
    const auto notify = [link = link_](unsigned, int state, unsigned error) {
        run::RunGuarded(
            "dial-up notification", [&] { OnDialNotification(link, state, error); },
            [&] {
                std::lock_guard lock(link->mutex);
                if (link->dialog != nullptr) link->dialog->PostCommand(hostsuite::kIdCancel);
            });
    };
    const unsigned error = dialer_.Dial(params_, notify, handle);
    handle_ = handle;
    if (error == 0) return;
    if (handle != 0) {
        dialer_.HangUp(handle);
        handle_ = 0;
        PostCommand(hostsuite::kIdCancel);
    }
    // Without a connection the dialog stays open until the user cancels.
}

void CRASDlg::ShowStatus(int state, unsigned error) {
    if (error != 0) {
        SetText(kStatusText, "Erreur de connexion.");
        return;
    }
    if (const char* text = StatusText(state)) SetText(kStatusText, text);
}

void CRASDlg::OnDialNotification(const std::shared_ptr<Link>& link, int state, unsigned error) {
    std::unique_lock lock(link->mutex);
    CRASDlg* dialog = link->dialog;
    if (dialog == nullptr || dialog->Ended()) return;
    dialog->ShowStatus(state, error);
    if (error != 0) return;
    if (state == kRasDisconnected) {
        dialog->PostCommand(hostsuite::kIdCancel);
    } else if (state == kRasConnected) {
        const auto hold = dialog->connectedHold_;
        lock.unlock();
        std::this_thread::sleep_for(hold);
        lock.lock();
        if (link->dialog == dialog) dialog->PostCommand(hostsuite::kIdOk);
    }
}

}  // namespace kt::connect
