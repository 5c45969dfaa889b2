// A dial-up service that plays a scripted call: its phone book, its active
// connections, its saved parameters and the notifications of a dial, played
// on a thread of its own as the real service does. It remembers what it was
// asked, for tests and demonstrations.
#pragma once

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>

#include "connect/dialer.h"
#include "run/worker_thread.h"

namespace kt::connect {

class ScriptedDialer : public Dialer {
public:
    struct Step {
        int state = 0;
        unsigned error = 0;
        // Waited before the notification.
        std::chrono::milliseconds delay{0};
    };
    struct Script {
        std::vector<std::string> entries;
        std::vector<RasConnection> active;
        unsigned paramsError = 0;
        bool passwordSaved = true;
        std::string savedUser;
        std::string savedPassword;
        std::map<unsigned, std::string> errorTexts;
        unsigned dialError = 0;
        // The connection a dial gives, even a failing one (0: none).
        DialHandle dialHandle = 0x4B54;
        std::vector<Step> steps;
    };

    explicit ScriptedDialer(Script script);
    ~ScriptedDialer() override;

    std::vector<std::string> PhoneBookEntries() override;
    unsigned EnumConnections(std::size_t room, std::vector<RasConnection>& connections) override;
    unsigned GetEntryDialParams(const std::string& entry, DialParams& params, bool& passwordSaved) override;
    std::optional<std::string> ErrorString(unsigned error) override;
    unsigned Dial(const DialParams& params, DialNotification notify, DialHandle& handle) override;
    unsigned HangUp(DialHandle handle) override;

    // The parameters of every dial, in order.
    std::vector<DialParams> Dials() const;
    // The connections hung up, in order.
    std::vector<DialHandle> HangUps() const;
    // Waits (at most `limit`) until every step of the last dial was played.
    bool WaitPlayed(std::chrono::milliseconds limit) const;

private:
    void Play(const std::vector<Step>& steps, const DialNotification& notify);
    void MarkPlayed();
    void StopPlaying();

    Script script_;
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::vector<DialParams> dials_;
    std::vector<DialHandle> hangUps_;
    bool stop_ = false;
    bool played_ = true;
    run::WorkerThread player_;
};

}  // namespace kt::connect
