#include "download/catalogue.h"

#include <strings.h>

#include <cstring>

#include "config/text_limit.h"
#include "config/xml_file.h"

namespace kt::download {
namespace {

constexpr std::size_t kLocationChars = 260;

bool IsElement(const pugi::xml_node& node, const char* name) {
    return node.type() == pugi::node_element && std::strcmp(node.name(), name) == 0;
}

}  // namespace

Catalogue::Catalogue(const std::string& path) {
    const config::XmlLoad load = config::LoadXmlFile(doc_, path);
    malformed_ = load == config::XmlLoad::kMalformed;
    if (load != config::XmlLoad::kLoaded) return;
    // One pass finds the complete pack and the root and reads each step
    // below the root while its node is at hand: a long catalogue lies far
    // beyond the processor's caches, and every pass over it costs as much
    // again. The steps are indexed and linked once, so that each step of a
    // long chain, walked again for every workstation, is found at once.
    struct Reader : pugi::xml_tree_walker {
        explicit Reader(Catalogue& read) : catalogue(read) {}
        Catalogue& catalogue;
        // The root's depth while the pass is below it, else -1.
        int rootDepth = -1;
        bool for_each(pugi::xml_node& node) override {
            if (rootDepth >= 0 && depth() <= rootDepth) rootDepth = -1;
            if (node.type() != pugi::node_element) return true;
            if (!catalogue.completePack_ && std::strcmp(node.name(), "SesamAll") == 0) catalogue.completePack_ = node;
            if (rootDepth >= 0) {
                if (std::strcmp(node.name(), "Version") == 0 && node.attribute("OldVer")) catalogue.AddStep(node);
            } else if (!catalogue.root_ && std::strcmp(node.name(), "Update") == 0) {
                catalogue.root_ = node;
                rootDepth = depth();
            }
            return rootDepth >= 0 || !catalogue.root_ || !catalogue.completePack_;
        }
    } reader(*this);
    doc_.traverse(reader);
    if (!root_) return;
    // A chain is mostly written in its order: each link is then the next entry.
    for (CatalogueStep& step : steps_) {
        const std::size_t* next = stepsByOldVersion_.FindNext(step.newVersion);
        step.next = next == nullptr ? nullptr : &steps_[*next];
    }
}

void Catalogue::AddStep(const pugi::xml_node& node) {
    const char* oldVersion = node.attribute("OldVer").value();
    if (stepsByOldVersion_.Find(oldVersion) != nullptr) return;
    steps_.push_back({node, nullptr, node.attribute("NewVer").value(), node.attribute("Continue").value(),
                      node.attribute("Compatibility").value(), node.attribute("CanRestore").value(),
                      ReadPackageChildren(node)});
    stepsByOldVersion_.Add(oldVersion, steps_.size() - 1);
}

const CatalogueStep* Catalogue::StepFrom(const std::string& oldVersion) const {
    const std::size_t* found = stepsByOldVersion_.Find(oldVersion);
    return found == nullptr ? nullptr : &steps_[*found];
}

const CatalogueStep* Catalogue::StepAfter(const CatalogueStep& step, const std::string& version) const {
    if (version == step.newVersion) return step.next;
    return StepFrom(version);
}

std::vector<pugi::xml_node> Catalogue::PackUpdates() const {
    std::vector<pugi::xml_node> updates;
    for (pugi::xml_node child : root_.children()) {
        if (child.type() == pugi::node_element && strcasecmp(child.name(), "Sesam") == 0) updates.push_back(child);
    }
    return updates;
}

PackageCheck ReadPackageCheck(const pugi::xml_node& package) {
    return {package.attribute("Size").value(), package.attribute("Sha256").value()};
}

PackageChildren ReadPackageChildren(const pugi::xml_node& package) {
    PackageChildren children;
    for (pugi::xml_node child : package.children()) {
        if (IsElement(child, "Location")) {
            children.hasLocation = true;
            children.values.location = config::LimitChars(child.text().get(), kLocationChars);
        } else if (IsElement(child, "File")) {
            children.hasFile = true;
            children.values.name = child.attribute("Name").value();
            children.values.date = child.attribute("Date").value();
        }
    }
    return children;
}

void ApplyPackageChildren(const PackageChildren& children, PackageFile& file) {
    if (children.hasLocation) file.location = children.values.location;
    if (children.hasFile) {
        file.name = children.values.name;
        file.date = children.values.date;
    }
}

}  // namespace kt::download
