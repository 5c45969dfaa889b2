// versions.xml, the server's catalogue of updates: the chain of host-version
// packages, the Sesam Vitale pack updates and the complete pack.
#pragma once

#include <pugixml.hpp>
#include <string>
#include <vector>

#include "download/text_index.h"

namespace kt::download {

// The children of a package element that locate its file. The walk reuses
// one of these for all its packages, so a package element without a
// `Location` or `File` keeps the values of the package before it.
struct PackageFile {
    std::string location;
    std::string name;
    std::string date;
};

// What the children of a package element say of its file: the last
// `Location` text (at most 260 characters) and the last `File` attributes
// `Name` and `Date`, each flagged when the element has such a child.
struct PackageChildren {
    bool hasLocation = false;
    bool hasFile = false;
    PackageFile values;
};

// One `Version` element, linked to the step that starts from its `NewVer`,
// with the attribute values and children the walk reads, read once: a long
// chain is walked again for every workstation, and these values lie together
// where the document's nodes are scattered far beyond the processor's caches.
struct CatalogueStep {
    pugi::xml_node node;
    const CatalogueStep* next = nullptr;
    std::string newVersion;
    std::string continueFlag;
    std::string compatibility;
    std::string canRestore;
    PackageChildren children;
};

class Catalogue {
public:
    // Parses `path`; a missing, unreadable or malformed file leaves the catalogue empty.
    explicit Catalogue(const std::string& path);
    Catalogue(const Catalogue&) = delete;
    Catalogue& operator=(const Catalogue&) = delete;

    // The file is there but is not XML: a damaged catalogue, not one without updates.
    bool Malformed() const { return malformed_; }
    // The first `Version` below the root whose `OldVer` is `oldVersion`.
    const CatalogueStep* StepFrom(const std::string& oldVersion) const;
    // The step from `version` reached after `step`: its link when `version`
    // is the step's own `NewVer`, as it nearly always is.
    const CatalogueStep* StepAfter(const CatalogueStep& step, const std::string& version) const;
    // How many versions a step starts from: no walk without a loop is longer.
    std::size_t StepCount() const { return stepsByOldVersion_.Size(); }
    // The first `SesamAll` of the document.
    pugi::xml_node CompletePack() const { return completePack_; }
    // The children of the root named "Sesam" in any letter case, in order.
    std::vector<pugi::xml_node> PackUpdates() const;

private:
    // Keeps the first step from each old version.
    void AddStep(const pugi::xml_node& node);

    pugi::xml_document doc_;
    bool malformed_ = false;
    pugi::xml_node root_;
    // Looked up once: every workstation of a search asks for it.
    pugi::xml_node completePack_;
    // Only the first step of each old version is kept, in document order.
    std::vector<CatalogueStep> steps_;
    // Each old version's place in steps_.
    TextIndex<std::size_t> stepsByOldVersion_;
};

// What a package element says its file holds: the attributes `Size` and
// `Sha256`, empty when missing (older catalogues have neither).
struct PackageCheck {
    std::string size;
    std::string sha256;
};
PackageCheck ReadPackageCheck(const pugi::xml_node& package);

PackageChildren ReadPackageChildren(const pugi::xml_node& package);
// Puts what a package element's children say into `file`; what they do not
// say stays as it was.
void ApplyPackageChildren(const PackageChildren& children, PackageFile& file);
inline void ReadPackageFile(const pugi::xml_node& package, PackageFile& file) {
    ApplyPackageChildren(ReadPackageChildren(package), file);
}

}  // namespace kt::download
