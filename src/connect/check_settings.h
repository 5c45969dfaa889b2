// The settings of appid.xml that the connection check reads, each with the
// log line of a value that cannot be read.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "hostsuite/presenter.h"
#include "platform/curl_session.h"
#include "run/run_context.h"

namespace kt::connect {

// The attribute's text, at most `length` characters; nothing (with the ERROR
// line "Wrong <logName> in appid.xml. <shortName> = <text>") when the element
// cannot be found.
std::optional<std::string> ReadCheckSetting(const std::string& appId, const char* parent, const char* element,
                                            const char* attribute, std::size_t length, const char* logName,
                                            const char* shortName);

// The session the proxy settings ask for, logged and journalled; nothing
// when they cannot be read. A named proxy without a name is unreadable: an
// empty proxy name would quietly connect directly.
std::optional<platform::InternetSession> ReadSessionSettings(run::RunContext& ctx, const std::string& appId);

}  // namespace kt::connect
