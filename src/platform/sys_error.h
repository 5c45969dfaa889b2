// A failed system call that says why: the call, the object it was about and
// the errno it gave, so that whoever logs the failure names all three.
#pragma once

#include <cerrno>
#include <optional>
#include <string>
#include <system_error>
#include <utility>

namespace kt::platform {

struct SysError {
    std::string call;
    std::string object;
    std::error_code code;

    // "open /run/x : Permission denied"
    std::string Describe() const;
};

// The error of `call` on `object` from the current errno.
SysError LastSysError(std::string call, std::string object);

// A value, or the system error that kept it from being had.
template <typename T>
class [[nodiscard]] SysResult {
public:
    SysResult(T value) : value_(std::move(value)) {}
    SysResult(SysError error) : error_(std::move(error)) {}

    explicit operator bool() const { return value_.has_value(); }
    T& operator*() { return *value_; }
    const T& operator*() const { return *value_; }
    T* operator->() { return &*value_; }
    const T* operator->() const { return &*value_; }
    const SysError& Error() const { return error_; }

private:
    std::optional<T> value_;
    SysError error_;
};

// Success, or the system error of an action that gives no value.
class [[nodiscard]] SysStatus {
public:
    SysStatus() = default;
    SysStatus(SysError error) : error_(std::move(error)) {}

    explicit operator bool() const { return !error_.has_value(); }
    const SysError& Error() const { return *error_; }

private:
    std::optional<SysError> error_;
};

// Calls `call` again for as long as a signal interrupts it (-1 with EINTR).
template <typename Call>
auto RetryOnEintr(Call&& call) {
    for (;;) {
        const auto rc = call();
        if (!(rc == -1 && errno == EINTR)) return rc;
    }
}

}  // namespace kt::platform
