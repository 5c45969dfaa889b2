// A scratch folder that belongs to this run alone: a fresh name under the
// temporary folder, created with mode 0700, so that no other local user can
// have prepared it or look into it.
#pragma once

#include <optional>
#include <string>
#include <utility>

namespace kt::platform {

// Creates `prefix` + six random characters in the temporary folder; its path
// (without trailing separator), or nothing when it could not be created.
std::optional<std::string> MakePrivateTempFolder(const std::string& prefix);

// Such a folder for the files of one run, made at its first use and deleted
// with all it holds when its owner ends.
class RunTempFolder {
public:
    explicit RunTempFolder(std::string prefix) : prefix_(std::move(prefix)) {}
    ~RunTempFolder();
    RunTempFolder(const RunTempFolder&) = delete;
    RunTempFolder& operator=(const RunTempFolder&) = delete;

    // The folder, made on the first call; empty when it could not be made.
    const std::string& Path();
    // `name` inside the folder; empty when the folder could not be made.
    std::string FilePath(const std::string& name);

private:
    std::string prefix_;
    std::string path_;
};

}  // namespace kt::platform
