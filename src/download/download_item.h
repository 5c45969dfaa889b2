// One package of the download list as the ";"-separated text that the
// transfer and copy loops take apart again: eight fields for a host-version
// package, seven for a Sesam Vitale pack package.
#pragma once

#include <list>
#include <optional>
#include <string>

namespace kt::download {

// The download list: new items go to the front, consumers take from the front.
using DownloadList = std::list<std::string>;

inline constexpr const char* kSesamKind = "Sesam";
inline constexpr const char* kSesamAllKind = "SesamAll";

struct DownloadItem {
    std::string source;
    std::string date;
    // The version the step starts from, or "Sesam" / "SesamAll".
    std::string oldVersion;
    std::string newVersion;
    std::string canRestore;
    // The compatibility value; "Sesam" for a pack update, NoVerCheck for a complete pack.
    std::string compatibility;
    // Empty for pack items, which carry no continue field.
    std::string continueFlag;
    // "1" when the package was newly recorded by the search, "0" when it was already there.
    std::string added;
};

// "source;date;old;new;canrestore;compatibility;continue;added"
std::string FormatVersionItem(const std::string& source, const std::string& date, const std::string& oldVersion,
                              const std::string& newVersion, const std::string& canRestore,
                              const std::string& compatibility, const std::string& continueFlag, int added);

// "source;date;kind;kind;canrestore;sixth;added", kind "Sesam" or "SesamAll";
// the sixth field is "Sesam" for a pack update and NoVerCheck for a complete pack.
std::string FormatSesamItem(const std::string& source, const std::string& date, const std::string& kind,
                            const std::string& canRestore, const std::string& sixth, int added);

// True when the third field names a pack package ("Sesam" or "SesamAll", any
// letter case), which makes the item seven fields long.
bool IsSesamKind(const std::string& oldVersionField);

// Splits an item. Missing trailing fields stay empty; nothing when the text
// holds no field separator at all.
std::optional<DownloadItem> ParseDownloadItem(const std::string& text);

}  // namespace kt::download
