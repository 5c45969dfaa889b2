// A stand-in for the suite's installer ktupdate.exe. It opens the shared
// record "KTShared_Params", records every field it read, signals the event
// "KT_StartUpdateExe" and exits; it installs nothing.
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

#include "platform/named_event.h"
#include "platform/process.h"
#include "platform/shared_memory.h"
#include "platform/little_endian.h"
#include "update/installer_record.h"

namespace {

namespace fs = std::filesystem;
using namespace kt::update;

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

std::string Text(const unsigned char* block, std::size_t at, std::size_t size) {
    const char* field = reinterpret_cast<const char*>(block + at);
    std::size_t length = 0;
    while (length < size && field[length] != '\0') ++length;
    return std::string(field, length);
}

std::int32_t Signed(const unsigned char* block, std::size_t at) {
    return static_cast<std::int32_t>(kt::platform::ReadLe32(block + at));
}

std::string Describe(const unsigned char* block) {
    std::ostringstream out;
    out << "mode=" << Signed(block, kModeAt) << "\n"
        << "host_process_id=" << kt::platform::ReadLe32(block + kHostProcessIdAt) << "\n"
        << "title=" << Text(block, kTitleAt, kTitleSize) << "\n"
        << "app_dir=" << Text(block, kAppDirAt, kFolderSize) << "\n"
        << "update_dir=" << Text(block, kUpdateDirAt, kFolderSize) << "\n"
        << "data_dir=" << Text(block, kDataDirAt, kFolderSize) << "\n"
        << "owner_window=" << kt::platform::ReadLe32(block + kOwnerWindowAt) << "\n"
        << "host_program=" << Text(block, kHostProgramAt, kFolderSize) << "\n"
        << "first_argument=" << Signed(block, kFirstArgumentAt) << "\n"
        << "second_argument=" << Signed(block, kSecondArgumentAt) << "\n"
        << "sesam_pending=" << Signed(block, kSesamPendingAt) << "\n"
        << "spare=" << static_cast<int>(block[kSpareAt]) << "\n";
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
    for (int i = 0; i < argc; ++i) commandLine += (i ? " " : "") + std::string(argv[i]);
    std::ostringstream record;
    record << "pid=" << kt::platform::CurrentProcessId() << "\n" << "command_line=" << commandLine << "\n";
    const auto shared = kt::platform::SharedMemory::Open(kInstallerParamsName, kInstallerRecordSize);
    record << "opened=" << (shared ? 1 : 0) << "\n";
    if (shared) {
        record << Describe(shared->Data());
        WriteAtomically(folder / "ktupdate-record.bin",
                        std::string(reinterpret_cast<const char*>(shared->Data()), kInstallerRecordSize));
    }
    WriteAtomically(folder / "ktupdate-record.txt", record.str());
    std::cout << record.str() << std::flush;

    const auto started = kt::platform::NamedEvent::Open(kInstallerStartedEventName);
    if (behaviour.signal && started) {
        std::this_thread::sleep_for(std::chrono::milliseconds(behaviour.signalAfterMs));
        started->Set();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(behaviour.stayMs));
    return shared ? behaviour.exitCode : 1;
}
