#include "platform/signing_keys.h"

#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>

namespace kt::platform {
namespace {

struct KeyFree {
    void operator()(EVP_PKEY* key) const { EVP_PKEY_free(key); }
};
using KeyPtr = std::unique_ptr<EVP_PKEY, KeyFree>;

bool VerifiesWith(EVP_PKEY* key, std::string_view data, std::string_view signature) {
    std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(), &EVP_MD_CTX_free);
    if (!context || EVP_DigestVerifyInit(context.get(), nullptr, nullptr, nullptr, key) != 1) return false;
    return EVP_DigestVerify(context.get(), reinterpret_cast<const unsigned char*>(signature.data()), signature.size(),
                            reinterpret_cast<const unsigned char*>(data.data()), data.size()) == 1;
}

}  // namespace

struct SigningKeys::Keys {
    std::vector<KeyPtr> list;
};

SigningKeys::SigningKeys() : keys_(std::make_unique<Keys>()) {}
SigningKeys::~SigningKeys() = default;
SigningKeys::SigningKeys(SigningKeys&&) noexcept = default;
SigningKeys& SigningKeys::operator=(SigningKeys&&) noexcept = default;

bool SigningKeys::Load(std::string_view pem) {
    keys_->list.clear();
    std::unique_ptr<BIO, decltype(&BIO_free)> bio(BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size())),
                                                  &BIO_free);
    if (!bio) return false;
    bool sound = true;
    // Every block left must be a key: text after the last block is allowed.
    while (pem.substr(pem.size() - static_cast<std::size_t>(BIO_pending(bio.get()))).find("-----BEGIN") !=
           std::string_view::npos) {
        KeyPtr key(PEM_read_bio_PUBKEY(bio.get(), nullptr, nullptr, nullptr));
        if (!key || EVP_PKEY_get_base_id(key.get()) != EVP_PKEY_ED25519) {
            sound = false;
            break;
        }
        keys_->list.push_back(std::move(key));
    }
    ERR_clear_error();
    if (!sound) keys_->list.clear();
    return sound;
}

std::size_t SigningKeys::Count() const { return keys_->list.size(); }

bool SigningKeys::Verifies(std::string_view data, std::string_view signature) const {
    if (signature.size() != kEd25519SignatureBytes) return false;
    for (const KeyPtr& key : keys_->list) {
        if (VerifiesWith(key.get(), data, signature)) return true;
    }
    ERR_clear_error();
    return false;
}

}  // namespace kt::platform
