// versions.xml, the server's catalogue of updates: the chain of host-version
// packages, the Sesam Vitale pack updates and the complete pack.
#pragma once

#include <pugixml.hpp>
#include <string>
#include <unordered_map>
#include <vector>

namespace kt::download {

// The children of a package element that locate its file. The walk reuses
// one of these for all its packages, so a package element without a
// `Location` or `File` keeps the values of the package before it.
struct PackageFile {
    std::string location;
    std::string name;
    std::string date;
};

class Catalogue {
public:
    // Parses `path`; a missing or unreadable file leaves the catalogue empty.
    explicit Catalogue(const std::string& path);

    // The first `Version` below the root whose `OldVer` is `oldVersion`.
    pugi::xml_node StepFrom(const std::string& oldVersion) const;
    // How many versions a step starts from: no walk without a loop is longer.
    std::size_t StepCount() const { return stepsByOldVersion_.size(); }
    // The first `SesamAll` of the document.
    pugi::xml_node CompletePack() const;
    // The children of the root named "Sesam" in any letter case, in order.
    std::vector<pugi::xml_node> PackUpdates() const;

private:
    pugi::xml_document doc_;
    pugi::xml_node root_;
    std::unordered_map<std::string, pugi::xml_node> stepsByOldVersion_;
};

// Reads the `Location` text (at most 260 characters) and the `File`
// attributes `Name` and `Date` of a package element into `file`; the last
// child of each name wins and missing ones leave `file` as it was.
void ReadPackageFile(const pugi::xml_node& package, PackageFile& file);

}  // namespace kt::download
