// The dial-up service of a workstation without dial-up networking: no
// phone-book entries, no connections, every call refused.
#pragma once

#include <memory>

#include "connect/dialer.h"

namespace kt::connect {

class DefaultDialer : public Dialer {
public:
    std::vector<std::string> PhoneBookEntries() override;
    unsigned EnumConnections(std::size_t room, std::vector<RasConnection>& connections) override;
    unsigned GetEntryDialParams(const std::string& entry, DialParams& params, bool& passwordSaved) override;
    std::optional<std::string> ErrorString(unsigned error) override;
    unsigned Dial(const DialParams& params, DialNotification notify, DialHandle& handle) override;
    unsigned HangUp(DialHandle handle) override;
};

}  // namespace kt::connect
