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
    // Adds one to the value (a missing or unreadable one counts as 0) and
    // gives the new value. Read and write happen under a lock that holds
    // across processes, so two processes counting at once both count.
    [[nodiscard]] SysResult<std::uint32_t> IncrementDword() const;

private:
    [[nodiscard]] SysStatus PrepareKey() const;
    [[nodiscard]] SysStatus Store(std::uint32_t value) const;

    std::string path_;
    std::string name_;
};

}  // namespace kt::platform
