// A temporary folder tree for one test, with the system folders of the
// module pointed inside it; removed, and the environment restored, at the end.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>

namespace kt::test {

class TempTree {
public:
    TempTree();
    ~TempTree();
    TempTree(const TempTree&) = delete;
    TempTree& operator=(const TempTree&) = delete;

    const std::filesystem::path& Root() const { return root_; }
    std::filesystem::path operator/(const std::string& relative) const { return root_ / relative; }
    // Creates the folder (and its parents) and returns its path.
    std::filesystem::path MakeDir(const std::string& relative) const;
    // Writes `content` to the file, creating its folder.
    std::filesystem::path WriteFile(const std::string& relative, const std::string& content) const;

private:
    void Point(const char* variable, const std::string& relative);
    std::filesystem::path root_;
    std::map<std::string, std::optional<std::string>> saved_;
};

// The whole content of a file, empty when it cannot be read.
std::string ReadFile(const std::filesystem::path& path);

}  // namespace kt::test
