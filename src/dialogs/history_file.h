// The update history this workstation's installer records in appid.xml:
// the children of `History`, `Item` for an application update and `Sesam`
// or `SesamAll` for a Sesam Vitale pack update (names in any case).
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kt::dialogs {

struct HistoryEntry {
    bool sesam = false;
    std::string newVer;
    std::string getDate;
    std::string putDate;
    std::string file;
    // Non-zero when the update can be uninstalled.
    int canRestore = 0;
};

// Whether `History` holds an Item, Sesam or SesamAll child.
bool HasHistoryEntries(const std::string& appId);

// The uninstall backup is gone: the first restorable Item of the file no
// longer can be restored (its flag set to "0", its children removed).
void ForgetFirstRestorable(const std::string& appId);

// Every child of `History`, in document order.
std::vector<HistoryEntry> ReadHistory(const std::string& appId);

// Removes every child of `History` and cuts the first `Version` text to its
// first three fields (a shorter one is kept). The version text now stored,
// or nothing when the file could not be read or rewritten.
std::optional<std::string> ClearHistory(const std::string& appId);

// The four cells of the entry's row: "Sesam" or "LABEL (BUILD)", the
// installation date, the release date and the file.
std::vector<std::string> HistoryRowCells(const HistoryEntry& entry, const std::string& versionLabel);

}  // namespace kt::dialogs
