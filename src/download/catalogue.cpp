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
    if (config::LoadXmlFile(doc_, path) != config::XmlLoad::kLoaded) return;
    root_ = config::FindFirstElement(doc_, "Update");
    if (!root_) return;
    // Indexed once so that each step of a long chain is found at once; the
    // first element in document order wins, as a search from the top would.
    struct Indexer : pugi::xml_tree_walker {
        std::unordered_map<std::string, pugi::xml_node>* steps = nullptr;
        bool for_each(pugi::xml_node& node) override {
            if (!IsElement(node, "Version")) return true;
            const pugi::xml_attribute oldVersion = node.attribute("OldVer");
            if (oldVersion) steps->try_emplace(oldVersion.value(), node);
            return true;
        }
    } indexer;
    indexer.steps = &stepsByOldVersion_;
    root_.traverse(indexer);
}

pugi::xml_node Catalogue::StepFrom(const std::string& oldVersion) const {
    const auto found = stepsByOldVersion_.find(oldVersion);
    return found == stepsByOldVersion_.end() ? pugi::xml_node() : found->second;
}

pugi::xml_node Catalogue::CompletePack() const { return config::FindFirstElement(doc_, "SesamAll"); }

std::vector<pugi::xml_node> Catalogue::PackUpdates() const {
    std::vector<pugi::xml_node> updates;
    for (pugi::xml_node child : root_.children()) {
        if (child.type() == pugi::node_element && strcasecmp(child.name(), "Sesam") == 0) updates.push_back(child);
    }
    return updates;
}

void ReadPackageFile(const pugi::xml_node& package, PackageFile& file) {
    for (pugi::xml_node child : package.children()) {
        if (IsElement(child, "Location")) {
            file.location = config::LimitChars(child.text().get(), kLocationChars);
        } else if (IsElement(child, "File")) {
            file.name = child.attribute("Name").value();
            file.date = child.attribute("Date").value();
        }
    }
}

}  // namespace kt::download
