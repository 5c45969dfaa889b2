#include "platform/sha256.h"

#include <openssl/evp.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace kt::platform {

struct Sha256::Context {
    EVP_MD_CTX* md = EVP_MD_CTX_new();
    ~Context() { EVP_MD_CTX_free(md); }
};

Sha256::Sha256() : context_(std::make_unique<Context>()) { Reset(); }

Sha256::~Sha256() = default;

void Sha256::Reset() {
    failed_ = context_->md == nullptr || EVP_DigestInit_ex(context_->md, EVP_sha256(), nullptr) != 1;
}

void Sha256::Update(const char* data, std::size_t size) {
    if (!failed_ && EVP_DigestUpdate(context_->md, data, size) != 1) failed_ = true;
}

std::string Sha256::HexDigest() {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (failed_ || EVP_DigestFinal_ex(context_->md, digest, &length) != 1) {
        failed_ = true;
        return {};
    }
    // Finishing consumed the state: a further digest would not cover these bytes.
    failed_ = true;
    static const char kHex[] = "0123456789abcdef";
    std::string text;
    for (unsigned int i = 0; i < length; ++i) text += {kHex[digest[i] >> 4], kHex[digest[i] & 0x0F]};
    return text;
}

bool Sha256::UpdateFromFile(const std::string& path, std::uint64_t count) {
    std::ifstream in(path, std::ios::binary);
    char buffer[64 * 1024];
    while (in && count > 0) {
        in.read(buffer, static_cast<std::streamsize>(std::min<std::uint64_t>(count, sizeof buffer)));
        const auto got = static_cast<std::size_t>(in.gcount());
        Update(buffer, got);
        count -= got;
    }
    return count == 0;
}

std::string FileSha256(const std::string& path) {
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    Sha256 sha;
    if (ec || !sha.UpdateFromFile(path, size)) return {};
    return sha.HexDigest();
}

}  // namespace kt::platform
