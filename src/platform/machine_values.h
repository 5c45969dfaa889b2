// Machine-wide values that outlive a run, such as the counter of failed
// downloads. Each value is a small file under the registry folder.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/sys_error.h"

namespace kt::platform {

class MachineValue {
public:
    // `key` is a path such as "Software/Talvo/Talvo", `name` the value's name.
    MachineValue(std::string key, std::string name);
    // Nothing when the value (or its key) does not exist or is unreadable.
    std::optional<std::uint32_t> ReadDword() const;
    // The failed call when it could not be written; the old value then stays.
    [[nodiscard]] SysStatus WriteDword(std::uint32_t value) const;

private:
    std::string path_;
    std::string name_;
};

}  // namespace kt::platform
