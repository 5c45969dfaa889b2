// The dial-up service: phone-book entries, active connections, saved dial
// parameters, dialling with notifications, hang-up and error texts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kt::connect {

// A dial-up connection; 0 = none.
using DialHandle = std::uintptr_t;

// The steps of a call that the dial-up dialog shows.
enum RasConnState : int {
    kRasPortOpened = 1,
    kRasConnectDevice = 2,
    kRasDeviceConnected = 3,
    kRasAuthenticate = 5,
    kRasAuthenticated = 14,
    kRasConnected = 0x2000,
    kRasDisconnected = 0x2001,
};

// The message every dial notification carries.
inline constexpr unsigned kRasDialEvent = 0xCCCD;

// Error numbers of the dial-up service.
inline constexpr unsigned kRasBufferTooSmall = 603;
inline constexpr unsigned kRasCannotFindPhoneBookEntry = 623;

struct RasConnection {
    DialHandle handle = 0;
    std::string entryName;
};

struct DialParams {
    std::string entryName;
    std::string phoneNumber;
    std::string callbackNumber;
    std::string userName;
    std::string password;
    std::string domain;
};

// Called on the dial-up service's own thread for each step of a call.
using DialNotification = std::function<void(unsigned message, int state, unsigned error)>;

class Dialer {
public:
    virtual ~Dialer() = default;

    // The names of the phone book's entries.
    virtual std::vector<std::string> PhoneBookEntries() = 0;
    // The active connections, at most `room` of them: 0, or
    // kRasBufferTooSmall (nothing listed) when more are active.
    virtual unsigned EnumConnections(std::size_t room, std::vector<RasConnection>& connections) = 0;
    // The saved dial parameters of an entry of the default phone book, and
    // whether they hold a password. 0 or an error number.
    virtual unsigned GetEntryDialParams(const std::string& entry, DialParams& params, bool& passwordSaved) = 0;
    // The service's text for an error number; nothing when it has none.
    virtual std::optional<std::string> ErrorString(unsigned error) = 0;
    // Starts a call and returns at once: 0 when it started, else an error
    // number. `handle` receives the connection, which may exist even when
    // the call failed. Notifications follow on the service's thread.
    virtual unsigned Dial(const DialParams& params, DialNotification notify, DialHandle& handle) = 0;
    // Hangs up a connection (or the call in progress). 0 or an error number.
    virtual unsigned HangUp(DialHandle handle) = 0;
};

}  // namespace kt::connect
