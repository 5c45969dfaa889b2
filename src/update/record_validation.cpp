#include "update/record_validation.h"

#include <cstring>
#include <filesystem>

namespace kt::update {
namespace {

bool FolderExists(const char* path) {
    std::error_code ec;
    return std::filesystem::is_directory(std::string(path, strnlen(path, 260)), ec);
}

}  // namespace

int FindRecordProblem(const tagKTUpdateStruct& record) {
    if (record.pszVerMajor == nullptr || record.pszVerMinor == nullptr) {
        return record.pszPractitioner != nullptr ? 1078 : 1084;
    }
    if (record.pszPractitioner == nullptr) return 1084;
    // Both folders missing: the data folder's message is the one shown.
    if (!FolderExists(record.szDataDir)) return 1100;
    if (!FolderExists(record.szAppDir)) return 1098;
    return 0;
}

std::string RecordVersion(const tagKTUpdateStruct& record) {
    std::string version = std::string(record.pszVerMajor ? record.pszVerMajor : "") + "." +
                          (record.pszVerMinor ? record.pszVerMinor : "") + ".";
    return version + (record.pszVerBuild ? record.pszVerBuild : "0");
}

}  // namespace kt::update
