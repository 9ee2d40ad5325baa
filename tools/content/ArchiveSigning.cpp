#include "ArchiveSigning.h"

#include "tasks/ArchiveSignatureLayout.h"

#include <openssl/bn.h>
#include <openssl/ec.h>
#include <openssl/evp.h>
#include <openssl/pem.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>

namespace fs = std::filesystem;

namespace content {

namespace {

template <typename T, void (*Free)(T*)>
struct Deleter {
    void operator()(T* object) const { Free(object); }
};
using Key = std::unique_ptr<EVP_PKEY, Deleter<EVP_PKEY, EVP_PKEY_free>>;
using DigestContext = std::unique_ptr<EVP_MD_CTX, Deleter<EVP_MD_CTX, EVP_MD_CTX_free>>;
using Signature = std::unique_ptr<ECDSA_SIG, Deleter<ECDSA_SIG, ECDSA_SIG_free>>;

struct CloseFile {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// Reads the key in the PEM file `path` and requires ECDSA P-256.
Key ReadKey(const fs::path& path, bool isPrivate)
{
    const std::unique_ptr<std::FILE, CloseFile> file(std::fopen(path.c_str(), "r"));
    if (!file) {
        throw SigningError("cannot read " + path.u8string());
    }
    Key key(isPrivate ? PEM_read_PrivateKey(file.get(), nullptr, nullptr, nullptr)
                      : PEM_read_PUBKEY(file.get(), nullptr, nullptr, nullptr));
    char curve[64] = "";
    if (!key || !EVP_PKEY_is_a(key.get(), "EC") ||
        !EVP_PKEY_get_group_name(key.get(), curve, sizeof curve, nullptr) || std::string(curve) != "prime256v1") {
        throw SigningError(path.u8string() + " is not an ECDSA P-256 " + (isPrivate ? "private" : "public") +
                           " key in PEM form");
    }
    return key;
}

DigestContext NewContext()
{
    DigestContext context(EVP_MD_CTX_new());
    if (!context) {
        throw SigningError("out of memory");
    }
    return context;
}

// r || s of a DER-encoded ECDSA signature.
EcdsaP256Signature FromDer(const std::vector<unsigned char>& der)
{
    const unsigned char* at = der.data();
    const Signature signature(d2i_ECDSA_SIG(nullptr, &at, static_cast<long>(der.size())));
    EcdsaP256Signature raw{};
    const BIGNUM* r = nullptr;
    const BIGNUM* s = nullptr;
    if (signature) {
        ECDSA_SIG_get0(signature.get(), &r, &s);
    }
    if (!r || BN_bn2binpad(r, raw.data(), 32) != 32 || BN_bn2binpad(s, raw.data() + 32, 32) != 32) {
        throw SigningError("OpenSSL made no P-256 signature");
    }
    return raw;
}

std::vector<unsigned char> ToDer(const EcdsaP256Signature& raw)
{
    Signature signature(ECDSA_SIG_new());
    BIGNUM* r = BN_bin2bn(raw.data(), 32, nullptr);
    BIGNUM* s = BN_bin2bn(raw.data() + 32, 32, nullptr);
    if (!signature || !r || !s || !ECDSA_SIG_set0(signature.get(), r, s)) {
        BN_free(r);
        BN_free(s);
        throw SigningError("out of memory");
    }
    const int size = i2d_ECDSA_SIG(signature.get(), nullptr);
    std::vector<unsigned char> der(size > 0 ? static_cast<std::size_t>(size) : 0);
    unsigned char* at = der.data();
    if (der.empty() || i2d_ECDSA_SIG(signature.get(), &at) != size) {
        throw SigningError("cannot encode a signature");
    }
    return der;
}

bool Verifies(std::string_view signedBytes, const EcdsaP256Signature& signature, EVP_PKEY* key)
{
    const std::vector<unsigned char> der = ToDer(signature);
    const DigestContext context = NewContext();
    return EVP_DigestVerifyInit(context.get(), nullptr, EVP_sha256(), nullptr, key) == 1 &&
           EVP_DigestVerify(context.get(), der.data(), der.size(),
                            reinterpret_cast<const unsigned char*>(signedBytes.data()), signedBytes.size()) == 1;
}

}  // namespace

std::string SignArchive(std::string_view archive, const fs::path& privateKey)
{
    const std::optional<std::string> signedBytes = ArchiveBytesToSign(archive);
    if (!signedBytes) {
        throw SigningError("not a zip archive, or one with a comment of its own that a signature would replace");
    }
    const Key key = ReadKey(privateKey, true);
    const DigestContext context = NewContext();
    const auto* data = reinterpret_cast<const unsigned char*>(signedBytes->data());
    std::size_t size = 0;
    if (EVP_DigestSignInit(context.get(), nullptr, EVP_sha256(), nullptr, key.get()) != 1 ||
        EVP_DigestSign(context.get(), nullptr, &size, data, signedBytes->size()) != 1) {
        throw SigningError("OpenSSL cannot sign with " + privateKey.u8string());
    }
    std::vector<unsigned char> der(size);
    if (EVP_DigestSign(context.get(), der.data(), &size, data, signedBytes->size()) != 1) {
        throw SigningError("OpenSSL cannot sign with " + privateKey.u8string());
    }
    der.resize(size);
    return *signedBytes + ArchiveSignatureComment(FromDer(der));
}

fs::path FindArchiveSigner(std::string_view archive, const std::vector<fs::path>& publicKeys)
{
    const auto found = FindArchiveSignature(reinterpret_cast<const std::uint8_t*>(archive.data()), archive.size());
    for (const fs::path& path : publicKeys) {
        const Key key = ReadKey(path, false);
        if (found && Verifies(archive.substr(0, found->signedSize), found->signature, key.get())) {
            return path;
        }
    }
    return {};
}

}  // namespace content
