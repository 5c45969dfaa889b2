// One package of the download list, as the search found it: a step of the
// host-version chain, a Sesam Vitale pack update or the complete pack. Its
// ";"-separated text is written only where a log line needs it.
#pragma once

#include <list>
#include <string>

namespace kt::download {

inline constexpr const char* kSesamKind = "Sesam";
inline constexpr const char* kSesamAllKind = "SesamAll";

enum class PackageKind {
    kVersionStep,
    kPackUpdate,
    kCompletePack,
};

struct DownloadItem {
    PackageKind kind = PackageKind::kVersionStep;
    // Where the package is fetched from: a server address or a local path.
    std::string source;
    // The package's file name, its name in Temp and Update.
    std::string name;
    std::string date;
    // The version step; empty for pack packages.
    std::string oldVersion;
    std::string newVersion;
    std::string canRestore;
    // The step's Continue and Compatibility values.
    std::string continueFlag;
    std::string compatibility;
    // The complete pack's NoVerCheck value.
    std::string noVerCheck;
    // False when the search found the package recorded already.
    bool added = true;
    // What the catalogue says the package holds (`Size` in bytes, `Sha256`
    // in hex); empty when it does not say.
    std::string size;
    std::string sha256;

    bool operator==(const DownloadItem&) const = default;
};

// The download list: new items go to the front, consumers take from the front.
using DownloadList = std::list<DownloadItem>;

// "source;date;old;new;canrestore;compatibility;continue;added" for a
// version step; "source;date;kind;kind;canrestore;sixth;added" for a pack
// package, kind "Sesam" or "SesamAll", the sixth field "Sesam" for a pack
// update and NoVerCheck for the complete pack.
std::string FormatDownloadItem(const DownloadItem& item);

// Which server folder holds the packages: the common one, or the region's,
// named after the common one followed by the region code (.../maj77/).
struct PackageFolder {
    // The region's folder of a practice: its postal code's first two characters.
    static PackageFolder OfRegion(const std::string& postalCode);

    // The folder's address on the server whose common folder is `base`
    // (ending with "/"); `base` itself for the common folder.
    std::string On(const std::string& base) const;

    // Empty: the common folder.
    std::string regionCode;
};

}  // namespace kt::download
