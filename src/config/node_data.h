// The two accessors through which the module reads and writes one element
// text or one attribute of its XML files (appid.xml, GUID.xml, updating.xml,
// sesam.xml). Every call parses the file whole; a write replaces it whole.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace kt::config {

// Reads the text of `element` into `text` and/or the value of `attribute`
// into `value`. The element is the first of its name in document order; a
// named `parent` must directly contain it. Each read keeps at most its
// length in characters, cut between two UTF-8 characters. A missing
// attribute reads as empty. nullptr leaves out a parent, a text or an
// attribute. Returns 1 when the element was found, else 0 (a missing file
// also logs a warning).
int GetNodeData(const std::string& file, const char* parent, const char* element, std::string* text,
                std::size_t textLength, const char* attribute, std::string* value, std::size_t valueLength);

// Writes the text of `element` (nullptr leaves it alone) and/or the value of
// `attribute` (nullptr or empty name: no attribute; nullptr value: empty).
// A missing element is appended as the last child of `parent` (of the
// document without a parent); a missing attribute at the end of the
// element. The file is replaced atomically. Returns 1 when done, 0 when the
// file is missing or unusable, the parent does not hold the element, or the
// new file could not be written (the old one then stays as it was).
int SetNodeData(const std::string& file, const char* parent, const char* element, const char* text,
                const char* attribute, const char* value);

// One attribute to write with SetNodeValues.
struct NodeValue {
    const char* parent;
    const char* element;
    const char* attribute;
    std::string value;
};

// Writes several attributes, in order, as SetNodeData writes each one, and
// replaces the file once: a reader, or a crash, never sees some of them
// written and not the others. Returns 1 when done; 0 when the file is
// missing or unusable, a value has no place (the others are still written)
// or the new file could not be written (the old one then stays as it was).
int SetNodeValues(const std::string& file, const std::vector<NodeValue>& values);

}  // namespace kt::config
