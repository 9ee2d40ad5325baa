#include "ArchiveSignature.h"

#include <algorithm>
#include <limits>
#include <optional>

#include "ArchiveSignatureLayout.h"
#include "framework/CngHash.h"
#include "framework/CngKey.h"

namespace {

std::vector<BYTE> Sha256Of(const unsigned char* bytes, std::size_t size)
{
    const Win32xx::CCngAlgorithm algorithm(BCRYPT_SHA256_ALGORITHM);
    Win32xx::CCngHash hash(algorithm);
    constexpr std::size_t kLargestPiece = std::numeric_limits<ULONG>::max();
    for (std::size_t done = 0; done < size;) {
        const std::size_t piece = std::min(size - done, kLargestPiece);
        hash.Update(bytes + done, static_cast<ULONG>(piece));
        done += piece;
    }
    return hash.Finish();
}

std::vector<BYTE> PublicKeyBlob(const ArchivePublicKey& key)
{
    const BCRYPT_ECCKEY_BLOB header{BCRYPT_ECDSA_PUBLIC_P256_MAGIC, static_cast<ULONG>(key.size() / 2)};
    std::vector<BYTE> blob(sizeof header + key.size());
    std::copy_n(reinterpret_cast<const BYTE*>(&header), sizeof header, blob.begin());
    std::copy(key.begin(), key.end(), blob.begin() + sizeof header);
    return blob;
}

}  // namespace

bool ArchiveSignatureVerifies(const unsigned char* bytes, std::size_t size, const std::vector<ArchivePublicKey>& keys)
{
    const std::optional<ArchiveSignature> found = FindArchiveSignature(bytes, size);
    if (!found)
        return false;
    const std::vector<BYTE> digest = Sha256Of(bytes, found->signedSize);
    const std::vector<BYTE> signature(found->signature.begin(), found->signature.end());
    const Win32xx::CCngAlgorithm ecdsa(BCRYPT_ECDSA_P256_ALGORITHM);
    return std::any_of(keys.begin(), keys.end(), [&](const ArchivePublicKey& key) {
        return Win32xx::CCngKey(ecdsa, BCRYPT_ECCPUBLIC_BLOB, PublicKeyBlob(key)).VerifySignature(digest, signature);
    });
}
