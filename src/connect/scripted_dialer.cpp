#include "connect/scripted_dialer.h"

#include <algorithm>

namespace kt::connect {

ScriptedDialer::ScriptedDialer(Script script) : script_(std::move(script)) {}

ScriptedDialer::~ScriptedDialer() { StopPlaying(); }

std::vector<std::string> ScriptedDialer::PhoneBookEntries() { return script_.entries; }

unsigned ScriptedDialer::EnumConnections(std::size_t room, std::vector<RasConnection>& connections) {
    connections.clear();
    if (script_.active.size() > room) return kRasBufferTooSmall;
    connections = script_.active;
    return 0;
}

unsigned ScriptedDialer::GetEntryDialParams(const std::string& entry, DialParams& params, bool& passwordSaved) {
    if (script_.paramsError != 0) return script_.paramsError;
    if (std::find(script_.entries.begin(), script_.entries.end(), entry) == script_.entries.end()) {
        return kRasCannotFindPhoneBookEntry;
    }
    params.entryName = entry;
    params.userName = script_.savedUser;
    passwordSaved = script_.passwordSaved;
    params.password = passwordSaved ? script_.savedPassword : std::string();
    return 0;
}

std::optional<std::string> ScriptedDialer::ErrorString(unsigned error) {
    const auto found = script_.errorTexts.find(error);
    if (found == script_.errorTexts.end()) return std::nullopt;
    return found->second;
}

unsigned ScriptedDialer::Dial(const DialParams& params, DialNotification notify, DialHandle& handle) {
    StopPlaying();
    {
        std::lock_guard lock(mutex_);
        dials_.push_back(params);
    }
    handle = script_.dialHandle;
    if (script_.dialError != 0) return script_.dialError;
    {
        std::lock_guard lock(mutex_);
        stop_ = false;
        played_ = false;
    }
    player_.Start(
        "dial-up notifications", [this, steps = script_.steps, notify = std::move(notify)] { Play(steps, notify); },
        [this] { MarkPlayed(); });
    return 0;
}

unsigned ScriptedDialer::HangUp(DialHandle handle) {
    // A hang-up ends the call: no further notification comes.
    if (player_.Running() && !player_.IsCurrent()) StopPlaying();
    std::lock_guard lock(mutex_);
    hangUps_.push_back(handle);
    return 0;
}

std::vector<DialParams> ScriptedDialer::Dials() const {
    std::lock_guard lock(mutex_);
    return dials_;
}

std::vector<DialHandle> ScriptedDialer::HangUps() const {
    std::lock_guard lock(mutex_);
    return hangUps_;
}

bool ScriptedDialer::WaitPlayed(std::chrono::milliseconds limit) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, limit, [this] { return played_; });
}

void ScriptedDialer::Play(const std::vector<Step>& steps, const DialNotification& notify) {
    for (const Step& step : steps) {
        {
            std::unique_lock lock(mutex_);
            if (changed_.wait_for(lock, step.delay, [this] { return stop_; })) break;
        }
        notify(kRasDialEvent, step.state, step.error);
    }
    MarkPlayed();
}

void ScriptedDialer::MarkPlayed() {
    std::lock_guard lock(mutex_);
    played_ = true;
    changed_.notify_all();
}

void ScriptedDialer::StopPlaying() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
        changed_.notify_all();
    }
    player_.Join();
}

}  // namespace kt::connect
