// ktsign: the publisher's side of signed catalogues.
//
//   ktsign keygen PRIVATE.pem PUBLIC.pem   a new Ed25519 key pair (the private
//                                          key readable by its owner only)
//   ktsign sign PRIVATE.pem FILE [SIG]     the detached signature of FILE, 64
//                                          bytes, in SIG (default FILE.sig)
//
// The public keys go, one PEM block after the other, into catalogue_keys.pem
// of the application folder; versions.xml.sig goes beside versions.xml.
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <sys/stat.h>

#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace {

using Key = std::unique_ptr<EVP_PKEY, decltype(&EVP_PKEY_free)>;
using File = std::unique_ptr<FILE, decltype(&std::fclose)>;

int Usage() {
    std::cerr << "usage: ktsign keygen PRIVATE.pem PUBLIC.pem\n"
                 "       ktsign sign PRIVATE.pem FILE [SIG]\n";
    return 2;
}

bool Fail(const std::string& what) {
    std::cerr << "ktsign: " << what << "\n";
    return false;
}

bool KeyGen(const std::string& privatePath, const std::string& publicPath) {
    Key key(EVP_PKEY_Q_keygen(nullptr, nullptr, "ED25519"), &EVP_PKEY_free);
    if (!key) return Fail("cannot make a key");
    const mode_t old = umask(077);
    File privateFile(std::fopen(privatePath.c_str(), "wb"), &std::fclose);
    umask(old);
    if (!privateFile || PEM_write_PrivateKey(privateFile.get(), key.get(), nullptr, nullptr, 0, nullptr, nullptr) != 1) {
        return Fail("cannot write " + privatePath);
    }
    File publicFile(std::fopen(publicPath.c_str(), "wb"), &std::fclose);
    if (!publicFile || PEM_write_PUBKEY(publicFile.get(), key.get()) != 1) return Fail("cannot write " + publicPath);
    return std::fflush(privateFile.get()) == 0 && std::fflush(publicFile.get()) == 0;
}

bool Sign(const std::string& privatePath, const std::string& path, const std::string& signaturePath) {
    File privateFile(std::fopen(privatePath.c_str(), "rb"), &std::fclose);
    if (!privateFile) return Fail("cannot read " + privatePath);
    Key key(PEM_read_PrivateKey(privateFile.get(), nullptr, nullptr, nullptr), &EVP_PKEY_free);
    if (!key || EVP_PKEY_get_base_id(key.get()) != EVP_PKEY_ED25519) return Fail(privatePath + " is no Ed25519 key");
    std::ifstream in(path, std::ios::binary);
    if (!in) return Fail("cannot read " + path);
    const std::vector<unsigned char> data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(), &EVP_MD_CTX_free);
    std::size_t length = 64;
    std::vector<unsigned char> signature(length);
    if (!context || EVP_DigestSignInit(context.get(), nullptr, nullptr, nullptr, key.get()) != 1 ||
        EVP_DigestSign(context.get(), signature.data(), &length, data.data(), data.size()) != 1) {
        return Fail("cannot sign " + path);
    }
    std::ofstream out(signaturePath, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(signature.data()), static_cast<std::streamsize>(length));
    out.close();
    return out ? true : Fail("cannot write " + signaturePath);
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 3 && args[0] == "keygen") return KeyGen(args[1], args[2]) ? 0 : 1;
    if ((args.size() == 3 || args.size() == 4) && args[0] == "sign") {
        return Sign(args[1], args[2], args.size() == 4 ? args[3] : args[2] + ".sig") ? 0 : 1;
    }
    return Usage();
}
