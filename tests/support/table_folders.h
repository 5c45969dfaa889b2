// CCAM table folders for tests: filled with files, read back whole, and the
// sesam.ini / sesam.xml that point at them.
#pragma once

#include <filesystem>
#include <map>
#include <string>

#include "sesam/table_set.h"
#include "support/temp_tree.h"

namespace kt::test {

// Every file under `root` (relative path -> content).
inline std::map<std::string, std::string> Snapshot(const std::filesystem::path& root) {
    std::map<std::string, std::string> files;
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(root, ec); !ec && it != decltype(it){}; it.increment(ec)) {
        if (it->is_regular_file()) files[std::filesystem::relative(it->path(), root).string()] = ReadFile(it->path());
    }
    return files;
}

// Four table folders under `relative` of the tree, each with two files
// (one in a subfolder) whose content names the set.
inline sesam::TableSet MakeTables(const TempTree& tree, const std::string& relative, const std::string& tag) {
    for (const char* name : {"ADM", "SSV", "SRT", "STS"}) {
        tree.WriteFile(relative + "/" + name + "/table.dat", tag + " " + name + std::string(3, '\0') + "\xff");
        tree.WriteFile(relative + "/" + name + "/sub/index.idx", tag + " index of " + name);
    }
    const std::string root = (tree / relative).string() + "/";
    return {root + "ADM", root + "SSV", root + "SRT", root + "STS"};
}

inline std::string SesamIni(const sesam::TableSet& set) {
    return "[COMMUN]\nRepertoireTravail=" + set.common + "\nRepertoireTable=" + set.ssv + "\n[SSV]\nRepertoireTable=" +
           set.ssv + "\n[SRT]\nRepertoireTable=" + set.srt + "\n[STS]\nRepertoireTable=" + set.sts + "\n";
}

inline std::string SesamXml(const sesam::TableSet& set) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Sesam>\n\t<COMMUN>" + set.common + "</COMMUN>\n\t<SSV>" + set.ssv +
           "</SSV>\n\t<SRT>" + set.srt + "</SRT>\n\t<STS>" + set.sts + "</STS>\n</Sesam>\n";
}

}  // namespace kt::test
