#include "config/app_guid.h"

#include <filesystem>

#include "config/config_paths.h"
#include "config/text_limit.h"
#include "config/xml_file.h"
#include "log/activity_log.h"

namespace kt::config {

int GetAppFormattedGuid(run::RunContext& ctx, std::string* out, std::size_t size) {
    return GetAppFormattedGuid(ctx, out, size, SystemGuid);
}

int GetAppFormattedGuid(run::RunContext& ctx, std::string* out, std::size_t size, const GuidSource& source) {
    const std::string appId = AppIdPath(ctx);
    pugi::xml_document doc;
    const XmlLoad load = LoadXmlFile(doc, appId);
    if (load == XmlLoad::kMissing) {
        KT_LOG(Info) << "No appid.xml file found : create a new one";
        return GetFormattedGuid(ctx, out, size, source);
    }
    if (const pugi::xml_node workstation = FindFirstElement(doc, "Workstation")) {
        if (out != nullptr) *out = LimitChars(workstation.attribute("GUID").value(), size);
        return 1;
    }
    // A file that could not be read at all may be whole: only content that
    // is no configuration is thrown away.
    if (load != XmlLoad::kUnreadable) {
        std::error_code ec;
        std::filesystem::remove(appId, ec);
        if (ec) KT_LOG(Error) << "Can't delete " << appId << " : " << ec.message();
    }
    return GetFormattedGuid(ctx, out, size, source);
}

}  // namespace kt::config
