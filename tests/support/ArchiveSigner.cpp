#include "ArchiveSigner.h"

#include <algorithm>
#include <optional>
#include <stdexcept>

#include "support/Files.h"
#include "framework/CngHash.h"
#include "framework/CngKey.h"
#include "tasks/ArchiveSignatureLayout.h"

namespace testing_support {

namespace {

void Check(NTSTATUS status, const char* call)
{
    if (!BCRYPT_SUCCESS(status))
        throw std::runtime_error(std::string(call) + " failed");
}

}  // namespace

ArchiveSigner ArchiveSigner::NewKey()
{
    const Win32xx::CCngAlgorithm ecdsa(BCRYPT_ECDSA_P256_ALGORITHM);
    BCRYPT_KEY_HANDLE key = nullptr;
    Check(::BCryptGenerateKeyPair(ecdsa.Get(), &key, 256, 0), "BCryptGenerateKeyPair");
    std::vector<BYTE> blob(sizeof(BCRYPT_ECCKEY_BLOB) + 3 * 32);
    ULONG size = 0;
    NTSTATUS status = ::BCryptFinalizeKeyPair(key, 0);
    if (BCRYPT_SUCCESS(status))
        status = ::BCryptExportKey(key, nullptr, BCRYPT_ECCPRIVATE_BLOB, blob.data(), static_cast<ULONG>(blob.size()),
                                   &size, 0);
    ::BCryptDestroyKey(key);
    Check(status, "BCryptExportKey");
    return ArchiveSigner(blob);
}

std::string ArchiveSigner::Sign(const std::string& archive) const
{
    const std::optional<std::string> signedBytes = ArchiveBytesToSign(archive);
    if (!signedBytes)
        throw std::runtime_error("not an archive that can be signed");
    const Win32xx::CCngAlgorithm sha256(BCRYPT_SHA256_ALGORITHM);
    Win32xx::CCngHash hash(sha256);
    hash.Update(signedBytes->data(), static_cast<ULONG>(signedBytes->size()));
    std::vector<BYTE> digest = hash.Finish();

    const Win32xx::CCngAlgorithm ecdsa(BCRYPT_ECDSA_P256_ALGORITHM);
    const Win32xx::CCngKey key(ecdsa, BCRYPT_ECCPRIVATE_BLOB, m_privateBlob);
    EcdsaP256Signature signature{};
    ULONG size = 0;
    Check(::BCryptSignHash(key.Get(), nullptr, digest.data(), static_cast<ULONG>(digest.size()), signature.data(),
                           static_cast<ULONG>(signature.size()), &size, 0),
          "BCryptSignHash");
    return *signedBytes + ArchiveSignatureComment(signature);
}

ArchivePublicKey ArchiveSigner::PublicKey() const
{
    ArchivePublicKey key{};
    std::copy_n(m_privateBlob.begin() + sizeof(BCRYPT_ECCKEY_BLOB), key.size(), key.begin());
    return key;
}

std::string BuildSignedZip(const std::vector<ZipItem>& items)
{
    const std::string key = ReadFileBytes(BuildPath(L"archive-signing\\test-archive-key.blob"));
    if (key.empty())
        throw std::runtime_error("no test key: the build trusts only the keys that it was given");
    return ArchiveSigner(std::vector<BYTE>(key.begin(), key.end())).Sign(BuildZip(items));
}

}  // namespace testing_support
