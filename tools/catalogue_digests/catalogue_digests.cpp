// catalogue_digests VERSIONS_XML
// Sets the attributes Size and Sha256 of every package element of an update
// server's versions.xml (Version, Sesam, SesamAll) from the file it points
// to: its Location folder and File name, beside versions.xml. Run it each
// time a package is published or replaced: the workstations refuse a
// package whose size or digest differs.
#include <cstdio>
#include <filesystem>
#include <string>

#include <pugixml.hpp>

#include "config/xml_file.h"
#include "download/catalogue.h"
#include "platform/atomic_file.h"
#include "platform/sha256.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: catalogue_digests VERSIONS_XML\n");
        return 2;
    }
    const fs::path catalogue = argv[1];
    pugi::xml_document doc;
    if (!doc.load_file(catalogue.c_str(), pugi::parse_default | pugi::parse_declaration)) {
        std::fprintf(stderr, "catalogue_digests: cannot read %s\n", argv[1]);
        return 1;
    }
    int missing = 0;
    for (pugi::xml_node package : doc.child("Update").children()) {
        kt::download::PackageFile file;
        kt::download::ReadPackageFile(package, file);
        if (file.name.empty()) continue;
        const fs::path path = catalogue.parent_path() / file.location / file.name;
        std::error_code ec;
        const std::uintmax_t size = fs::file_size(path, ec);
        const std::string digest = ec ? std::string() : kt::platform::FileSha256(path.string());
        if (digest.empty()) {
            std::fprintf(stderr, "catalogue_digests: cannot read %s\n", path.c_str());
            ++missing;
            continue;
        }
        for (const char* name : {"Size", "Sha256"}) {
            if (!package.attribute(name)) package.append_attribute(name);
        }
        package.attribute("Size") = std::to_string(size).c_str();
        package.attribute("Sha256") = digest.c_str();
    }
    const kt::platform::SysStatus written = kt::platform::ReplaceFileAtomically(catalogue.string(), kt::config::SerializeXml(doc));
    if (!written) {
        std::fprintf(stderr, "catalogue_digests: cannot write %s: %s\n", argv[1], written.Error().Describe().c_str());
        return 1;
    }
    return missing == 0 ? 0 : 1;
}
