#include "support/temp_tree.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace kt::test {

TempTree::TempTree() {
    std::string pattern = (std::filesystem::temp_directory_path() / "kttest-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    root_ = pattern;
    Point("KT_WINDOWS_DIR", "windows");
    Point("KT_PROGRAM_FILES", "programfiles");
    Point("KT_COMMON_APPDATA", "appdata");
    Point("KT_REGISTRY_DIR", "registry");
    Point("KT_RUNTIME_DIR", "run");
}

TempTree::~TempTree() {
    for (const auto& [name, value] : saved_) {
        if (value) setenv(name.c_str(), value->c_str(), 1);
        else unsetenv(name.c_str());
    }
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
}

void TempTree::Point(const char* variable, const std::string& relative) {
    const char* old = std::getenv(variable);
    saved_[variable] = old ? std::optional<std::string>(old) : std::nullopt;
    setenv(variable, MakeDir(relative).c_str(), 1);
}

std::filesystem::path TempTree::MakeDir(const std::string& relative) const {
    std::filesystem::create_directories(root_ / relative);
    return root_ / relative;
}

std::filesystem::path TempTree::WriteFile(const std::string& relative, const std::string& content) const {
    std::filesystem::create_directories((root_ / relative).parent_path());
    std::ofstream(root_ / relative, std::ios::binary | std::ios::trunc) << content;
    return root_ / relative;
}

std::string ReadFile(const std::filesystem::path& path) {
    std::ostringstream content;
    content << std::ifstream(path, std::ios::binary).rdbuf();
    return content.str();
}

}  // namespace kt::test
