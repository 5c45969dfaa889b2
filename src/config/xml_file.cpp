#include "config/xml_file.h"

#include <cstring>
#include <filesystem>
#include <sstream>

#include "platform/atomic_file.h"
#include "log/activity_log.h"

namespace kt::config {
namespace {

void SetDeclaration(pugi::xml_document& doc) {
    while (pugi::xml_node old = doc.find_child([](const pugi::xml_node& node) {
               return node.type() == pugi::node_declaration;
           })) {
        doc.remove_child(old);
    }
    pugi::xml_node declaration = doc.prepend_child(pugi::node_declaration);
    declaration.append_attribute("version") = "1.0";
    declaration.append_attribute("encoding") = "UTF-8";
}

}  // namespace

XmlLoad LoadXmlFile(pugi::xml_document& doc, const std::string& path) {
    doc.reset();
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) return XmlLoad::kMissing;
    const pugi::xml_parse_result result = doc.load_file(path.c_str());
    if (result) return XmlLoad::kLoaded;
    doc.reset();
    if (result.status == pugi::status_file_not_found || result.status == pugi::status_io_error ||
        result.status == pugi::status_out_of_memory) {
        KT_LOG(Warning) << "Can't read " << path;
        return XmlLoad::kUnreadable;
    }
    KT_LOG(Warning) << "Can't parse " << path << " : " << result.description() << " at offset " << result.offset;
    return XmlLoad::kMalformed;
}

std::string SerializeXml(pugi::xml_document& doc) {
    SetDeclaration(doc);
    std::ostringstream out;
    doc.save(out, "\t", pugi::format_indent, pugi::encoding_utf8);
    return out.str();
}

bool SaveXmlFile(pugi::xml_document& doc, const std::string& path) {
    const platform::SysStatus written = platform::ReplaceFileAtomically(path, SerializeXml(doc));
    if (written) return true;
    KT_LOG(Error) << "Can't write " << path << " : " << written.Error().code.message();
    return false;
}

pugi::xml_node FindFirstElement(const pugi::xml_node& root, const char* name) {
    if (name == nullptr || *name == '\0') return {};
    return root.find_node([name](const pugi::xml_node& node) {
        return node.type() == pugi::node_element && std::strcmp(node.name(), name) == 0;
    });
}

}  // namespace kt::config
