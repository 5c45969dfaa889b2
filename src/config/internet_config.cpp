#include "config/internet_config.h"

#include <charconv>
#include <cmath>

#include "config/config_paths.h"
#include "config/decimal_text.h"
#include "config/node_data.h"
#include "config/trusted_authorities.h"
#include "run/failure_journal.h"

namespace kt::config {
namespace {

constexpr std::size_t kValueChars = 25;

class ProxyReader {
public:
    explicit ProxyReader(run::RunContext& ctx) : ctx_(ctx), appId_(AppIdPath(ctx)) {}

    // Reads one attribute; on failure journals `failure` and returns false.
    bool Read(const char* parent, const char* element, const char* attribute, std::string& value,
              const char* failure) {
        if (GetNodeData(appId_, parent, element, nullptr, 0, attribute, &value, kValueChars)) return true;
        Journal(failure);
        return false;
    }

    bool Proxy(const char* attribute, std::string& value, const char* failure) {
        return Read("Update", "Proxy", attribute, value, failure);
    }

    void Journal(const char* message) { run::WriteJournal(ctx_, 0, 0, message); }

private:
    run::RunContext& ctx_;
    std::string appId_;
};

std::uint16_t PortNumber(const std::string& text) {
    const long long port = DecimalValue(text);
    return port > 0 && port <= 65535 ? static_cast<std::uint16_t>(port) : 0;
}

// Read without the process locale, which may want a decimal comma; a value
// that is no usable limit means no limit.
double SpeedLimit(const std::string& text) {
    const char* begin = text.c_str();
    while (*begin == ' ' || *begin == '\t') ++begin;
    double speed = 0.0;
    std::from_chars(begin, text.c_str() + text.size(), speed);
    return std::isfinite(speed) && speed > 0.0 ? speed : 0.0;
}

bool ReadNamedProxy(ProxyReader& reader, InternetConfig& config) {
    std::string port;
    if (!reader.Proxy("Address", config.proxyAddress, "MJ_DWL_RC_2 : Lecture de la config echoué.")) return false;
    if (!reader.Proxy("Port", port, "MJ_DWL_RC_3 : Lecture de la config echoué.")) return false;
    config.proxyPort = PortNumber(port);
    if (!reader.Proxy("Login", config.proxyLogin, "MJ_DWL_RC_4 : Lecture de la config echoué.")) return false;
    return reader.Proxy("Pass", config.proxyPassword, "MJ_DWL_RC_5 : Lecture de la config echoué.");
}

}  // namespace

int ReadInternetConfig(run::RunContext& ctx, InternetConfig& config) {
    ProxyReader reader(ctx);
    reader.Journal("MJ_DWL_RC : Lecture de la config.");

    std::string active;
    if (!reader.Proxy("Active", active, "MJ_DWL_RC_1 : Lecture de la config echoué.")) return 0;
    if (FlagIsOn(active)) {
        config.connectionMode = kConnectionProxy;
        if (!ReadNamedProxy(reader, config)) return 0;
    } else {
        std::string useSystem;
        if (!reader.Proxy("UseIE", useSystem, "MJ_DWL_RC_6 : Lecture de la config echoué.")) return 0;
        config.connectionMode = FlagIsOn(useSystem) ? kConnectionSystem : kConnectionDirect;
    }

    std::string speed;
    if (!reader.Read("Workstation", "Update", "Speed", speed, "MJ_DWL_RC_7 : Lecture de la config echoué.")) return 0;
    config.speedLimit = SpeedLimit(speed);
    config.caFile = TrustedAuthoritiesFile(ctx);

    reader.Journal("MJ_DWL_RC : Lecture de la config reussi.");
    return 1;
}

}  // namespace kt::config
