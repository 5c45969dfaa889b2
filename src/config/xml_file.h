// Reading and saving the module's XML files with pugixml, in the one format
// they all share: declaration version "1.0" encoding "UTF-8", one tab per
// level, one node per line. Saving replaces the file atomically.
#pragma once

#include <pugixml.hpp>
#include <string>

namespace kt::config {

enum class XmlLoad {
    kLoaded,
    kMissing,
    // The file exists but could not be read (permissions, I/O).
    kUnreadable,
    // The file was read but is not a usable XML document.
    kMalformed,
};

// Parses `path` into `doc`. Anything but kLoaded leaves `doc` empty; a
// malformed file is logged.
[[nodiscard]] XmlLoad LoadXmlFile(pugi::xml_document& doc, const std::string& path);

// The document as it is written to disk (declaration first).
std::string SerializeXml(pugi::xml_document& doc);

// Replaces `path` with `doc`. A failure is logged and leaves the old file as
// it was; returns false then.
bool SaveXmlFile(pugi::xml_document& doc, const std::string& path);

// The first element named `name` in a depth-first, document-order walk.
pugi::xml_node FindFirstElement(const pugi::xml_node& root, const char* name);

}  // namespace kt::config
