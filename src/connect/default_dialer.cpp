#include "connect/default_dialer.h"

namespace kt::connect {

std::vector<std::string> DefaultDialer::PhoneBookEntries() { return {}; }

unsigned DefaultDialer::EnumConnections(std::size_t, std::vector<RasConnection>& connections) {
    connections.clear();
    return 0;
}

unsigned DefaultDialer::GetEntryDialParams(const std::string&, DialParams&, bool& passwordSaved) {
    passwordSaved = false;
    return kRasCannotFindPhoneBookEntry;
}

std::optional<std::string> DefaultDialer::ErrorString(unsigned error) {
    if (error == kRasCannotFindPhoneBookEntry) {
        return "Aucune connexion d'accès à distance n'est disponible sur ce poste.";
    }
    return std::nullopt;
}

unsigned DefaultDialer::Dial(const DialParams&, DialNotification, DialHandle& handle) {
    handle = 0;
    return kRasCannotFindPhoneBookEntry;
}

unsigned DefaultDialer::HangUp(DialHandle) { return 0; }

}  // namespace kt::connect
