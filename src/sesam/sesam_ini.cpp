#include "sesam/sesam_ini.h"

#include <filesystem>

#include "platform/private_profile.h"
#include "platform/system_paths.h"

namespace kt::sesam {
namespace {

std::string ReadValue(const char* section, const char* key, const std::string& ini) {
    return platform::GetPrivateProfileString(section, key, "", kSesamIniBufferSize, ini);
}

}  // namespace

std::string SesamIniPath() { return platform::SystemPaths::WindowsDir() + "/" + kSesamIniName; }

bool IsSesamPackInstalled() {
    std::error_code ec;
    return std::filesystem::exists(SesamIniPath(), ec);
}

TableSet ReadSesamIniTables(const std::string& ini) {
    return TableSet{ReadValue(kCommonSection, kWorkingDirKey, ini), ReadValue(kSsvSection, kTableDirKey, ini),
                    ReadValue(kSrtSection, kTableDirKey, ini), ReadValue(kStsSection, kTableDirKey, ini)};
}

}  // namespace kt::sesam
