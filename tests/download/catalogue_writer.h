// Builds versions.xml catalogues for the tests and the benchmark.
#pragma once

#include <pugixml.hpp>
#include <string>

namespace kt::test {

class CatalogueWriter {
public:
    CatalogueWriter() { root_ = doc_.append_child("Update"); }

    // A host-version step with Compatibility "1" and CanRestore "1"; callers change or remove attributes on the returned element.
    pugi::xml_node AddStep(const std::string& oldVersion, const std::string& newVersion, const std::string& name,
                           const std::string& date = "1.2.2026", const std::string& location = "") {
        pugi::xml_node step = root_.append_child("Version");
        for (const auto& [name, value] : {std::pair{"OldVer", oldVersion.c_str()}, {"NewVer", newVersion.c_str()},
                                          {"Continue", "1"}, {"Compatibility", "1"}, {"CanRestore", "1"}})
            step.append_attribute(name) = value;
        AddFile(step, name, date, location.empty() ? newVersion : location);
        return step;
    }

    // A "Sesam" or "SesamAll" package.
    pugi::xml_node AddPack(const char* element, const std::string& name, const std::string& date, const std::string& location = "sesam") {
        pugi::xml_node pack = root_.append_child(element);
        pack.append_attribute("CanRestore") = "1";
        AddFile(pack, name, date, location);
        return pack;
    }

    bool Save(const std::string& path) { return doc_.save_file(path.c_str(), "\t"); }

private:
    static void AddFile(pugi::xml_node package, const std::string& name, const std::string& date, const std::string& location) {
        package.append_child("Location").text() = location.c_str();
        pugi::xml_node file = package.append_child("File");
        file.append_attribute("Name") = name.c_str();
        file.append_attribute("Date") = date.c_str();
    }

    pugi::xml_document doc_;
    pugi::xml_node root_;
};

}  // namespace kt::test
