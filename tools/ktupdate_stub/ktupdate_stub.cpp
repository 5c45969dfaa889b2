// A stand-in for the suite's installer ktupdate.exe. It opens the shared
// record "KTShared_Params", records every field it read, signals the event
// "KT_StartUpdateExe" and exits; it installs nothing. It takes part in the
// hand-over through libkthandover, as a real installer would.
//
// Beside itself it writes ktupdate-record.txt (one "field=value" line per
// field, also printed) and ktupdate-record.bin (the record's raw bytes).
// ktupdate-stub.txt beside itself, when present, changes its behaviour:
//   signal no            never signal the event
//   signal_after_ms N    wait N ms before signalling
//   stay_ms N            keep running N ms after signalling (or not)
//   exit N               exit status (default 0)
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>

#include "kthandover.h"
#include "platform/process.h"

namespace {

namespace fs = std::filesystem;

struct Behaviour {
    bool signal = true;
    int signalAfterMs = 0;
    int stayMs = 0;
    int exitCode = 0;
};

Behaviour ReadBehaviour(const fs::path& file) {
    Behaviour behaviour;
    std::ifstream in(file);
    for (std::string word; in >> word;) {
        std::string value;
        in >> value;
        if (word == "signal") behaviour.signal = value != "no";
        if (word == "signal_after_ms") behaviour.signalAfterMs = std::stoi(value);
        if (word == "stay_ms") behaviour.stayMs = std::stoi(value);
        if (word == "exit") behaviour.exitCode = std::stoi(value);
    }
    return behaviour;
}

std::string Describe(const kthandover_record* shared) {
    std::ostringstream out;
    for (int i = 0; i < KTHANDOVER_FIELD_COUNT; ++i) {
        const auto field = static_cast<kthandover_field>(i);
        out << kthandover_field_name(field) << "=";
        if (kthandover_field_is_text(field)) {
            char text[KTHANDOVER_RECORD_SIZE];
            kthandover_text(shared, field, text, sizeof text);
            out << text << "\n";
        } else {
            out << kthandover_number(shared, field) << "\n";
        }
    }
    return out.str();
}

// Written whole under a temporary name first: a reader never sees half of it.
void WriteAtomically(const fs::path& path, const std::string& content) {
    const fs::path temporary = path.string() + ".tmp";
    std::ofstream(temporary, std::ios::binary | std::ios::trunc) << content;
    fs::rename(temporary, path);
}

}  // namespace

int main(int argc, char** argv) {
    const fs::path self = kt::platform::CurrentProgramPath();
    const fs::path folder = self.parent_path();
    const Behaviour behaviour = ReadBehaviour(folder / "ktupdate-stub.txt");

    std::string commandLine;
    for (int i = 0; i < argc; ++i) {
        if (i > 0) commandLine += ' ';
        commandLine += argv[i];
    }
    std::ostringstream record;
    record << "pid=" << kt::platform::CurrentProcessId() << "\n" << "command_line=" << commandLine << "\n";
    kthandover_record* shared = kthandover_open();
    record << "opened=" << (shared ? 1 : 0) << "\n";
    if (shared) {
        record << Describe(shared);
        WriteAtomically(folder / "ktupdate-record.bin",
                        std::string(reinterpret_cast<const char*>(kthandover_bytes(shared)), KTHANDOVER_RECORD_SIZE));
    }
    WriteAtomically(folder / "ktupdate-record.txt", record.str());
    std::cout << record.str() << std::flush;

    if (behaviour.signal) {
        std::this_thread::sleep_for(std::chrono::milliseconds(behaviour.signalAfterMs));
        (void)kthandover_signal_started();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(behaviour.stayMs));
    const int status = shared ? behaviour.exitCode : 1;
    kthandover_close(shared);
    return status;
}
