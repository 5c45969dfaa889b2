#include "sesam/version_number.h"

#include <string>

#include "config/decimal_text.h"

namespace kt::sesam {

long long VersionToNumber(std::string_view version) {
    std::size_t dot = version.find('.');
    std::string joined(version.substr(0, dot));
    while (dot != std::string_view::npos) {
        const std::size_t start = dot + 1;
        dot = version.find('.', start);
        joined += std::to_string(config::DecimalValue(version.substr(start, dot - start)));
    }
    return config::DecimalValue(joined);
}

}  // namespace kt::sesam
