// SHA-256 through OpenSSL's digest interface.
#include "io/Sha256.h"

#include <openssl/evp.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <memory>
#include <vector>

namespace motifora {

namespace {

struct DigestContext {
    std::unique_ptr<EVP_MD_CTX, void (*)(EVP_MD_CTX*)> context{EVP_MD_CTX_new(), EVP_MD_CTX_free};
    bool ok = false;
    DigestContext() {
        ok = context && EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr) == 1;
    }
    void update(const char* bytes, size_t size) {
        ok = ok && EVP_DigestUpdate(context.get(), bytes, size) == 1;
    }
    std::string hex() {
        unsigned char digest[EVP_MAX_MD_SIZE];
        unsigned int length = 0;
        if (!ok || EVP_DigestFinal_ex(context.get(), digest, &length) != 1) return {};
        static const char* const kHex = "0123456789abcdef";
        std::string text;
        for (unsigned int i = 0; i < length; ++i) {
            text += kHex[digest[i] >> 4];
            text += kHex[digest[i] & 15];
        }
        return text;
    }
};

}  // namespace

Status Sha256OfFile(const std::string& fileName, std::string& digest) {
    digest.clear();
    std::ifstream in(fileName, std::ios::binary);
    if (!in)
        return Status::failure("The file " + fileName +
                               " cannot be opened: " + std::strerror(errno));
    DigestContext context;
    std::vector<char> buffer(1 << 16);
    while (in) {
        in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
        context.update(buffer.data(), static_cast<size_t>(in.gcount()));
    }
    if (in.bad()) return Status::failure("The file " + fileName + " cannot be read.");
    digest = context.hex();
    if (digest.empty()) return Status::failure("The digest of " + fileName + " failed.");
    return Status::success();
}

std::string Sha256OfBytes(const std::string& bytes) {
    DigestContext context;
    context.update(bytes.data(), bytes.size());
    return context.hex();
}

}  // namespace motifora
