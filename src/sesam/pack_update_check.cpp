#include "sesam/pack_update_check.h"

#include <algorithm>
#include <optional>
#include <pugixml.hpp>
#include <strings.h>

#include "config/date_number.h"
#include "config/decimal_text.h"
#include "config/version_compare.h"
#include "config/xml_file.h"
#include "platform/system_paths.h"
#include "sesam/card_reader_probe.h"
#include "sesam/pack_records.h"
#include "sesam/pe_file_info.h"
#include "sesam/sesam_ini.h"
#include "sesam/version_number.h"
#include "log/activity_log.h"

namespace kt::sesam {
namespace {

// This system counts as the NT family of Windows: items restricted to the
// 98 family are not for it.
constexpr const char* kOtherFamily = "98";

bool SameName(const char* a, const char* b) { return strcasecmp(a, b) == 0; }

std::string PackFilePath(std::string name) {
    // Catalogues are written with Windows separators.
    std::replace(name.begin(), name.end(), '\\', '/');
    return platform::SystemPaths::WindowsDir() + "/" + name;
}

// True when the program file of `item` is older than the item describes.
bool ItemNeedsPackage(const pugi::xml_node& item) {
    const std::string file = PackFilePath(item.attribute("Name").value());
    const PeFileInfo info = ReadPeFileInfo(file);
    const char* wanted = item.attribute("Version").value();
    if (info.version && *wanted != '\0') {
        return config::CompareVersions(wanted, info.version->c_str()) == 1;
    }
    return info.linkDate &&
           config::DateToNumber(info.linkDate->c_str()) < config::DateToNumber(item.attribute("LinkDate").value());
}

bool ExecutablesNeedPackage(const pugi::xml_document& doc) {
    const pugi::xml_node executables = config::FindFirstElement(doc, "Executables");
    for (const pugi::xml_node& item : executables.children()) {
        if (item.type() != pugi::node_element || !SameName(item.name(), "Item")) continue;
        if (SameName(item.attribute("System").value(), kOtherFamily)) continue;
        if (ItemNeedsPackage(item)) {
            KT_LOG(Info) << "Sesam pack file " << item.attribute("Name").value() << " needs the package";
            return true;
        }
    }
    return false;
}

// The installed numbers a table of the package is compared with.
std::vector<long long> InstalledNumbers(const run::SesamPackState& state, std::size_t table) {
    static constexpr const char* kModuleIds[] = {"94", "93", "90", "9"};
    static constexpr char kComponentTypes[] = {'I', 'U', 'R', '8', '4', 'M'};
    constexpr std::size_t kSrt = 4;
    std::vector<long long> numbers;
    if (table < std::size(kModuleIds)) {
        const auto modules = InstalledModules(state);
        if (!modules) return numbers;
        for (const PackModule& module : *modules) {
            if (config::DecimalValue(module.id) == config::DecimalValue(kModuleIds[table])) {
                numbers.push_back(config::DecimalValue(module.version));
            }
        }
    } else if (table == kSrt) {
        if (auto srt = InstalledSrtVersion(state)) numbers.push_back(VersionToNumber(*srt));
    } else {
        const auto components = InstalledComponents(state);
        if (!components) return numbers;
        for (const TableComponent& component : *components) {
            if (component.type == kComponentTypes[table - kSrt - 1]) {
                numbers.push_back(config::DecimalValue(component.version));
            }
        }
    }
    return numbers;
}

std::optional<std::size_t> TableIndex(const char* name) {
    for (std::size_t i = 0; i < run::kTableCount; ++i) {
        if (SameName(name, run::kTableNames[i])) return i;
    }
    return std::nullopt;
}

// Keeps the package's table versions and tells whether one is newer than
// what is installed.
bool TablesNeedPackage(const pugi::xml_document& doc, run::SesamPackState& state) {
    bool needed = false;
    state.ClearTableVersions();
    for (const pugi::xml_node& child : config::FindFirstElement(doc, "Tables").children()) {
        if (child.type() != pugi::node_element) continue;
        const auto table = TableIndex(child.name());
        if (!table) continue;
        const char* version = child.attribute("Version").value();
        state.SetTableVersion(*table, version);
        if (needed) continue;
        const long long packaged = VersionToNumber(version);
        for (long long installed : InstalledNumbers(state, *table)) {
            if (installed < packaged) needed = true;
        }
        if (needed) KT_LOG(Info) << "Sesam table " << run::kTableNames[*table] << " needs the package";
    }
    return needed;
}

}  // namespace

int IsSesamPackUpdateNeeded(run::RunContext& ctx, PackCheckSession& session, const std::string& path,
                            int bProbeOnly) {
    if (!session.probeDone) ProbeCardReader(ctx, session);
    if (bProbeOnly) return session.probeSucceeded ? 1 : 0;
    session.packCompared = true;
    if (!IsSesamPackInstalled()) return 1;
    pugi::xml_document doc;
    // The load logged what is wrong with a damaged description; read as
    // empty, it asks for no package.
    if (config::LoadXmlFile(doc, path) != config::XmlLoad::kLoaded) {
        KT_LOG(Warning) << "Sesam pack description unusable, read as empty : " << path;
    }
    bool needed = ExecutablesNeedPackage(doc);
    if (session.probeSucceeded && TablesNeedPackage(doc, ctx.sesamPack)) needed = true;
    return needed ? 1 : 0;
}

}  // namespace kt::sesam
