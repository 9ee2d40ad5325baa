#include "ArchiveSigning.h"

#include "tasks/ArchiveSignatureLayout.h"

#include <openssl/bn.h>
#include <openssl/ec.h>
#include <openssl/evp.h>
#include <openssl/pem.h>

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fstream>
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

// What OpenSSL asked for while it read an encrypted key. A pass phrase that
// cannot be read is kept as `failure` and thrown once OpenSSL has returned:
// an exception must not unwind through its C frames.
struct PassPhraseRequest {
    std::string source;
    bool asked = false;
    bool supplied = false;
    std::exception_ptr failure;
};

int SupplyPassPhrase(char* buffer, int size, int, void* data) noexcept
{
    auto& request = *static_cast<PassPhraseRequest*>(data);
    request.asked = true;
    std::string phrase;
    if (!request.source.empty()) {
        try {
            phrase = ReadPassPhrase(request.source);
        } catch (...) {
            request.failure = std::current_exception();
            return -1;
        }
    } else if (!isatty(STDIN_FILENO) || EVP_read_pw_string(buffer, size, "Enter the key's pass phrase:", 0) != 0) {
        return -1;
    } else {
        phrase = buffer;
    }
    if (phrase.empty() || phrase.size() > static_cast<std::size_t>(size)) {
        return -1;
    }
    phrase.copy(buffer, phrase.size());
    request.supplied = true;
    return static_cast<int>(phrase.size());
}

// Reads the key in the PEM file `path` and requires ECDSA P-256.
Key ReadKey(const fs::path& path, bool isPrivate, const std::string& passPhraseSource = {})
{
    const std::unique_ptr<std::FILE, CloseFile> file(std::fopen(path.c_str(), "r"));
    if (!file) {
        throw SigningError("cannot read " + path.u8string());
    }
    PassPhraseRequest request{passPhraseSource, false, false, nullptr};
    Key key(isPrivate ? PEM_read_PrivateKey(file.get(), nullptr, SupplyPassPhrase, &request)
                      : PEM_read_PUBKEY(file.get(), nullptr, nullptr, nullptr));
    if (request.failure) {
        std::rethrow_exception(request.failure);
    }
    if (!key && request.asked) {
        throw SigningError(request.supplied ? "wrong pass phrase for " + path.u8string()
                                            : path.u8string() + " is encrypted and no pass phrase was given "
                                                                "(--passin env:VARIABLE or file:PATH)");
    }
    char curve[64] = "";
    if (!key || !EVP_PKEY_is_a(key.get(), "EC") ||
        !EVP_PKEY_get_group_name(key.get(), curve, sizeof curve, nullptr) || std::string(curve) != "prime256v1") {
        throw SigningError(path.u8string() + " is not an ECDSA P-256 " + (isPrivate ? "private" : "public") +
                           " key in PEM form");
    }
    return key;
}

// SHA-256 of the public key's DER form, as
// `openssl pkey -pubout -outform DER | sha256sum` gives it.
std::string Fingerprint(EVP_PKEY* key)
{
    unsigned char* der = nullptr;
    const int size = i2d_PUBKEY(key, &der);
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int digestSize = 0;
    const bool made = size > 0 && EVP_Digest(der, static_cast<std::size_t>(size), digest, &digestSize, EVP_sha256(),
                                             nullptr) == 1;
    OPENSSL_free(der);
    if (!made) {
        throw SigningError("cannot encode a public key");
    }
    std::string text;
    for (unsigned int i = 0; i < digestSize; ++i) {
        constexpr char kDigits[] = "0123456789abcdef";
        text += kDigits[digest[i] >> 4];
        text += kDigits[digest[i] & 15];
    }
    return text;
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

std::string ReadPassPhrase(const std::string& source)
{
    const std::size_t colon = source.find(':');
    const std::string kind = source.substr(0, colon), rest = colon == std::string::npos ? "" : source.substr(colon + 1);
    if (kind == "pass" && colon != std::string::npos) {
        return rest;
    }
    if (kind == "env" && !rest.empty()) {
        const char* const value = std::getenv(rest.c_str());
        if (!value) {
            throw SigningError("no pass phrase: the environment variable " + rest + " is not set");
        }
        return value;
    }
    if (kind == "file" && !rest.empty()) {
        std::ifstream file(rest, std::ios::binary);
        std::string line;
        if (!file || !std::getline(file, line)) {
            throw SigningError("no pass phrase: cannot read the first line of " + rest);
        }
        return !line.empty() && line.back() == '\r' ? line.substr(0, line.size() - 1) : line;
    }
    throw SigningError("\"" + source + "\" names no pass phrase: give pass:TEXT, env:VARIABLE or file:PATH");
}

SignedArchive SignArchive(std::string_view archive, const fs::path& privateKey, const std::string& passPhraseSource)
{
    const std::optional<std::string> signedBytes = ArchiveBytesToSign(archive);
    if (!signedBytes) {
        throw SigningError("not a zip archive, or one with a comment of its own that a signature would replace");
    }
    const Key key = ReadKey(privateKey, true, passPhraseSource);
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
    return {*signedBytes + ArchiveSignatureComment(FromDer(der)), Fingerprint(key.get())};
}

SignerFound FindArchiveSigner(std::string_view archive, const std::vector<fs::path>& publicKeys)
{
    const auto found = FindArchiveSignature(reinterpret_cast<const std::uint8_t*>(archive.data()), archive.size());
    SignerFound signer{found.has_value(), {}, {}};
    for (const fs::path& path : publicKeys) {
        const Key key = ReadKey(path, false);
        if (found && signer.publicKey.empty() &&
            Verifies(archive.substr(0, found->signedSize), found->signature, key.get())) {
            signer.publicKey = path;
            signer.keyFingerprint = Fingerprint(key.get());
        }
    }
    return signer;
}

}  // namespace content
