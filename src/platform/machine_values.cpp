#include "platform/machine_values.h"

#include <charconv>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>
#include <system_error>

#include "platform/atomic_file.h"
#include "platform/file_lock.h"
#include "platform/system_paths.h"

namespace kt::platform {
namespace {

// Longer than any DWORD text: anything bigger is not one of our values.
constexpr std::size_t kMaxValueText = 32;

// Keys and names come from the module's code, but a component such as ".."
// would still lead out of the registry folder: such a value does not exist.
bool SafeComponent(const std::string& component) {
    return !component.empty() && component != "." && component != ".." &&
           component.find('/') == std::string::npos && component.find('\0') == std::string::npos;
}

std::string ValuePath(std::string key, const std::string& name) {
    for (char& c : key) {
        if (c == '\\') c = '/';
    }
    std::string path = SystemPaths::RegistryDir();
    std::istringstream parts(key);
    for (std::string part; std::getline(parts, part, '/');) {
        if (part.empty()) continue;
        if (!SafeComponent(part)) return {};
        path += "/" + part;
    }
    if (!SafeComponent(name)) return {};
    return path + "/" + name;
}

std::optional<std::uint32_t> ParseDword(const std::string& text) {
    std::size_t end = text.size();
    while (end > 0 && (text[end - 1] == '\n' || text[end - 1] == '\r')) --end;
    if (end == 0) return std::nullopt;
    std::uint32_t value = 0;
    const auto [stop, error] = std::from_chars(text.data(), text.data() + end, value);
    if (error != std::errc() || stop != text.data() + end) return std::nullopt;
    return value;
}

}  // namespace

MachineValue::MachineValue(std::string key, std::string name)
    : path_(ValuePath(std::move(key), name)), name_(std::move(name)) {}

std::optional<std::uint32_t> MachineValue::ReadDword() const {
    if (path_.empty()) return std::nullopt;
    std::ifstream in(path_, std::ios::binary);
    if (!in) return std::nullopt;
    std::string text(kMaxValueText + 1, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(in.gcount()));
    if (text.size() > kMaxValueText) return std::nullopt;
    return ParseDword(text);
}

SysStatus MachineValue::PrepareKey() const {
    if (path_.empty()) return SysError{"write", name_, std::make_error_code(std::errc::invalid_argument)};
    const std::filesystem::path target(path_);
    std::error_code ec;
    std::filesystem::create_directories(target.parent_path(), ec);
    if (ec) return SysError{"mkdir", target.parent_path().string(), ec};
    return {};
}

// Readers of other processes see the old value or the new one, never a
// half-written file.
SysStatus MachineValue::Store(std::uint32_t value) const {
    return ReplaceFileAtomically(path_, std::to_string(value) + "\n", mode_t{0644});
}

SysStatus MachineValue::WriteDword(std::uint32_t value) const {
    if (SysStatus ready = PrepareKey(); !ready) return ready;
    // Under the lock, so that a value set here is not overwritten by an
    // increment that read the value before it.
    const auto lock = FileLock::Beside(path_);
    if (!lock) return lock.Error();
    return Store(value);
}

SysResult<std::uint32_t> MachineValue::IncrementDword() const {
    if (SysStatus ready = PrepareKey(); !ready) return ready.Error();
    const auto lock = FileLock::Beside(path_);
    if (!lock) return lock.Error();
    const std::uint32_t value = ReadDword().value_or(0) + 1;
    if (SysStatus stored = Store(value); !stored) return stored.Error();
    return value;
}

}  // namespace kt::platform
