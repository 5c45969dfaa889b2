#include "config/workstation_files.h"

#include <strings.h>

#include <algorithm>
#include <filesystem>

#include "log/activity_log.h"

namespace kt::config {
namespace {

bool IsWorkstationFileName(const std::string& name) {
    constexpr std::string_view kExtension = ".xml";
    return name.size() > kExtension.size() && name.front() == '{' &&
           strcasecmp(name.c_str() + name.size() - kExtension.size(), kExtension.data()) == 0;
}

}  // namespace

std::vector<std::string> ListWorkstationFiles(const std::string& updateDir) {
    std::vector<std::string> names;
    std::error_code ec;
    std::filesystem::directory_iterator entries(updateDir, ec);
    if (ec) {
        KT_LOG(Warning) << "Can't list " << updateDir << " : " << ec.message();
        return names;
    }
    for (; !ec && entries != std::filesystem::directory_iterator(); entries.increment(ec)) {
        std::error_code typeError;
        const std::string name = entries->path().filename().string();
        if (IsWorkstationFileName(name) && entries->is_regular_file(typeError)) names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace kt::config
