#include "config/node_data.h"

#include "config/text_limit.h"
#include "config/xml_file.h"
#include "log/activity_log.h"

namespace kt::config {
namespace {

bool Named(const char* name) { return name != nullptr && *name != '\0'; }

const char* Printable(const char* name) { return name != nullptr ? name : ""; }

struct Lookup {
    pugi::xml_node parent;
    pugi::xml_node element;
    // False when the named parent is missing or does not directly hold the element.
    bool placeable = true;
};

Lookup Find(const pugi::xml_document& doc, const char* parent, const char* element) {
    Lookup found;
    found.element = FindFirstElement(doc, element);
    if (!Named(parent)) return found;
    found.parent = FindFirstElement(doc, parent);
    if (!found.parent || (found.element && found.element.parent() != found.parent)) found.placeable = false;
    return found;
}

bool IsText(const pugi::xml_node& node) {
    return node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata;
}

// Replaces the element's text. Child elements are kept and the text goes
// before them; every other piece of text is dropped, so that pieces a
// hand-edited file split apart (around a comment, say) cannot join the new
// text when the file is read again.
void SetText(pugi::xml_node element, const char* text) {
    for (pugi::xml_node child = element.first_child(); child;) {
        const pugi::xml_node next = child.next_sibling();
        if (IsText(child)) element.remove_child(child);
        child = next;
    }
    element.prepend_child(pugi::node_pcdata).set_value(text);
}

void SetAttribute(pugi::xml_node element, const char* attribute, const char* value) {
    pugi::xml_attribute existing = element.attribute(attribute);
    if (!existing) existing = element.append_attribute(attribute);
    existing.set_value(value != nullptr ? value : "");
}

}  // namespace

int GetNodeData(const std::string& file, const char* parent, const char* element, std::string* text,
                std::size_t textLength, const char* attribute, std::string* value, std::size_t valueLength) {
    pugi::xml_document doc;
    const XmlLoad load = LoadXmlFile(doc, file);
    if (load == XmlLoad::kMissing) {
        KT_LOG(Warning) << "No file " << file << " in search for parent = " << Printable(parent)
                        << ", node = " << Printable(element) << ", attribut = " << Printable(attribute);
        return 0;
    }
    const Lookup found = Find(doc, parent, element);
    if (!found.element || !found.placeable) return 0;
    if (text != nullptr) *text = LimitChars(found.element.text().get(), textLength);
    if (Named(attribute) && value != nullptr) {
        *value = LimitChars(found.element.attribute(attribute).value(), valueLength);
    }
    return 1;
}

int SetNodeValues(const std::string& file, const std::vector<NodeValue>& values) {
    pugi::xml_document doc;
    if (LoadXmlFile(doc, file) != XmlLoad::kLoaded) return 0;
    bool placedAll = true;
    for (const NodeValue& node : values) {
        Lookup found = Find(doc, node.parent, node.element);
        if (!found.placeable || !Named(node.element) || !Named(node.attribute)) {
            placedAll = false;
            continue;
        }
        if (!found.element) {
            pugi::xml_node container = Named(node.parent) ? found.parent : pugi::xml_node(doc);
            found.element = container.append_child(node.element);
        }
        SetAttribute(found.element, node.attribute, node.value.c_str());
    }
    return SaveXmlFile(doc, file) && placedAll ? 1 : 0;
}

int SetNodeData(const std::string& file, const char* parent, const char* element, const char* text,
                const char* attribute, const char* value) {
    pugi::xml_document doc;
    if (LoadXmlFile(doc, file) != XmlLoad::kLoaded) return 0;
    Lookup found = Find(doc, parent, element);
    if (!found.placeable) return 0;
    if (!found.element) {
        if (!Named(element)) return 1;
        pugi::xml_node container = Named(parent) ? found.parent : pugi::xml_node(doc);
        found.element = container.append_child(element);
    }
    if (text != nullptr) SetText(found.element, text);
    if (Named(attribute)) SetAttribute(found.element, attribute, value);
    return SaveXmlFile(doc, file) ? 1 : 0;
}

}  // namespace kt::config
