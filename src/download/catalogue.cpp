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
    completePack_ = config::FindFirstElement(doc_, "SesamAll");
    root_ = config::FindFirstElement(doc_, "Update");
    if (!root_) return;
    // Indexed and linked once, so that each step of a long chain, walked
    // again for every workstation, is found at once.
    struct Collector : pugi::xml_tree_walker {
        std::vector<pugi::xml_node> nodes;
        bool for_each(pugi::xml_node& node) override {
            if (IsElement(node, "Version") && node.attribute("OldVer")) nodes.push_back(node);
            return true;
        }
    } collector;
    root_.traverse(collector);
    steps_.reserve(collector.nodes.size());
    for (const pugi::xml_node& node : collector.nodes) {
        if (stepsByOldVersion_.Find(node.attribute("OldVer").value()) != nullptr) continue;
        steps_.push_back({node, nullptr, node.attribute("NewVer").value(), node.attribute("Continue").value(),
                          node.attribute("Compatibility").value(), node.attribute("CanRestore").value(),
                          ReadPackageChildren(node)});
        stepsByOldVersion_.Add(node.attribute("OldVer").value(), &steps_.back());
    }
    // A chain is mostly written in its order: each link is then the next entry.
    for (CatalogueStep& step : steps_) {
        const CatalogueStep* const* next = stepsByOldVersion_.FindNext(step.newVersion);
        step.next = next == nullptr ? nullptr : *next;
    }
}

const CatalogueStep* Catalogue::StepFrom(const std::string& oldVersion) const {
    const CatalogueStep* const* found = stepsByOldVersion_.Find(oldVersion);
    return found == nullptr ? nullptr : *found;
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
