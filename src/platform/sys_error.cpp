#include "platform/sys_error.h"

namespace kt::platform {

std::string SysError::Describe() const { return call + " " + object + " : " + code.message(); }

SysError LastSysError(std::string call, std::string object) {
    const int error = errno;
    return {std::move(call), std::move(object), std::error_code(error, std::generic_category())};
}

}  // namespace kt::platform
