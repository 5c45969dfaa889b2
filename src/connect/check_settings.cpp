#include "connect/check_settings.h"

#include <cstdlib>

#include "config/node_data.h"
#include "config/trusted_authorities.h"
#include "log/activity_log.h"
#include "run/failure_journal.h"
#include "run/run_report.h"

namespace kt::connect {
namespace {

constexpr std::size_t kProxyValueLength = 25;

std::optional<std::string> ReadProxySetting(const std::string& appId, const char* attribute) {
    const std::string logName = std::string("Proxy/") + attribute;
    return ReadCheckSetting(appId, "Update", "Proxy", attribute, kProxyValueLength, logName.c_str(), attribute);
}

}  // namespace

std::optional<std::string> ReadCheckSetting(const std::string& appId, const char* parent, const char* element,
                                            const char* attribute, std::size_t length, const char* logName,
                                            const char* shortName) {
    std::string value;
    if (config::GetNodeData(appId, parent, element, nullptr, 0, attribute, &value, length)) return value;
    KT_LOG(Error) << "Wrong " << logName << " in appid.xml. " << shortName << " = " << value;
    return std::nullopt;
}

std::optional<platform::InternetSession> ReadSessionSettings(run::RunContext& ctx, const std::string& appId) {
    const auto active = ReadProxySetting(appId, "Active");
    if (!active) {
        run::WriteJournal(ctx, 0, 0, "MJ_MAIN_IIC_5 : Problème dans GetNodeData.");
        return std::nullopt;
    }
    platform::InternetSession session;
    session.caFile = config::TrustedAuthoritiesFile(ctx);
    if (std::atoi(active->c_str()) != 0) {
        std::string value;
        const bool read = config::GetNodeData(appId, "Update", "Proxy", nullptr, 0, "Address", &value, kProxyValueLength);
        if (!read || value.empty()) {
            run::Report(ctx, {el::Level::Error, "Wrong Proxy/Address in appid.xml. Address = " + value,
                              "MJ_MAIN_IIC_6 : Problème dans GetNodeData."});
            return std::nullopt;
        }
        session.access = platform::InternetAccess::kProxy;
        session.proxy = value;
        // A proxy that asks for a login would refuse the check, and the run would take the
        // practice for offline; the transfers give the same login.
        config::GetNodeData(appId, "Update", "Proxy", nullptr, 0, "Login", &session.proxyUser, kProxyValueLength);
        if (!session.proxyUser.empty()) {
            config::GetNodeData(appId, "Update", "Proxy", nullptr, 0, "Pass", &session.proxyPassword,
                                kProxyValueLength);
        }
        KT_LOG(Info) << "Internet session created : proxy";
        return session;
    }
    const auto useIe = ReadProxySetting(appId, "UseIE");
    if (!useIe) {
        run::WriteJournal(ctx, 0, 0, "MJ_MAIN_IIC_7 : Problème dans GetNodeData.");
        return std::nullopt;
    }
    if (std::atoi(useIe->c_str()) != 0) {
        session.access = platform::InternetAccess::kPreconfig;
        KT_LOG(Info) << "Internet session created : use IE";
    } else {
        session.access = platform::InternetAccess::kDirect;
        KT_LOG(Info) << "Internet session created : direct";
    }
    run::WriteJournal(ctx, 0, 0, "MJ_MAIN_IIC : Session créé.");
    return session;
}

}  // namespace kt::connect
