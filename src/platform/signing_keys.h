// Ed25519 public keys a file of PEM blocks holds, and the check of a
// detached signature against them. Several keys may be trusted at once, so
// that a publisher can roll its key over.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace kt::platform {

inline constexpr std::size_t kEd25519SignatureBytes = 64;

class SigningKeys {
public:
    SigningKeys();
    ~SigningKeys();
    SigningKeys(SigningKeys&&) noexcept;
    SigningKeys& operator=(SigningKeys&&) noexcept;

    // Reads every PEM block of `pem`, each an Ed25519 public key. False, with
    // no key kept, when a block cannot be read or holds another kind of key:
    // a damaged file is not half trusted.
    [[nodiscard]] bool Load(std::string_view pem);
    std::size_t Count() const;

    // True when `signature` is one of the keys' Ed25519 signature of `data`.
    bool Verifies(std::string_view data, std::string_view signature) const;

private:
    struct Keys;
    std::unique_ptr<Keys> keys_;
};

}  // namespace kt::platform
