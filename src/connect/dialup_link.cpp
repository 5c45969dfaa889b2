// The link part of the connection check: dial the configured entry, or make
// sure the workstation is on a network.
#include <cstdlib>

#include "connect/check_settings.h"
#include "connect/internet_connection.h"
#include "connect/ras_dialog.h"
#include "log/activity_log.h"
#include "run/failure_journal.h"

namespace kt::connect {
namespace {

constexpr std::size_t kModemLength = 3;
constexpr std::size_t kEntryNameLength = 50;
// Lets a failed call settle before anything else uses the line.
constexpr std::chrono::milliseconds kAfterHangUp{3000};

}  // namespace

bool InternetConnection::BringLinkUp(const std::string& appId) {
    const auto modem = ReadCheckSetting(appId, "Workstation", "Update", "Modem", kModemLength, "Modem", "Modem");
    if (!modem) {
        Journal("MJ_MAIN_IIC_0 : Problème avec GetNodeData.");
        return false;
    }
    return std::atoi(modem->c_str()) != 0 ? DialUp(appId) : CheckNetwork();
}

bool InternetConnection::DialUp(const std::string& appId) {
    Report(el::Level::Info, "Connexion with a modem", "MJ_MAIN_IIC : Connexion avec un modem.");
    const auto entry =
        ReadCheckSetting(appId, "Workstation", "Update", "RASName", kEntryNameLength, "RASName", "RAS");
    if (!entry) {
        Journal("MJ_MAIN_IIC_1 : Problème avec GetNodeData.");
        return false;
    }
    if (entry->empty()) {
        Report(el::Level::Error, "Invalid RAS", "MJ_MAIN_IIC_2 : Nom de la connexion RAS invalide !");
        return false;
    }
    CRASDlg dialog(ctx_, *services_.dialer, *entry, services_.connectedHold);
    if (hostsuite::ActivePresenter().RunDialog(dialog) == hostsuite::kIdOk) {
        dialupHandle_ = dialog.ConnectionHandle();
        return true;
    }
    if (dialog.ConnectionHandle() != 0) services_.dialer->HangUp(dialog.ConnectionHandle());
    dialupHandle_ = 0;
    services_.pause(kAfterHangUp);
    Report(el::Level::Error, "Error during RAS connexion", "MJ_MAIN_IIC_3 : Problème dans la connexion RAS !");
    return false;
}

bool InternetConnection::CheckNetwork() {
    Report(el::Level::Info, "Connexion with LAN", "MJ_MAIN_IIC : Connexion avec un LAN.");
    if (services_.isNetworkConnected()) return true;
    Report(el::Level::Error, "Error with LAN connexion", "MJ_MAIN_IIC_4 : Problème dans la connexion LAN !");
    return false;
}

}  // namespace kt::connect
