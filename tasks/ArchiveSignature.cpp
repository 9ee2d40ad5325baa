#include "ArchiveSignature.h"

#include <algorithm>
#include <limits>
#include <optional>

#include "ArchiveSignatureLayout.h"
#include "framework/CngHash.h"
#include "framework/CngKey.h"
#include "framework/Exception.h"
#include "framework/logging/Logger.h"

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

// The start of a key's X coordinate in hexadecimal, which names it in a record.
std::string KeyName(const ArchivePublicKey& key)
{
    std::string name;
    for (size_t at = 0; at < 8; ++at)
        name += {"0123456789abcdef"[key[at] >> 4], "0123456789abcdef"[key[at] & 15]};
    return name;
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
    for (size_t index = 0; index < keys.size(); ++index) {
        // A key that the platform refuses (not a point of the curve) is
        // skipped: the others must still verify, or a rotation would fail
        // for one bad key.
        std::optional<Win32xx::CCngKey> key;
        try {
            key.emplace(ecdsa, BCRYPT_ECCPUBLIC_BLOB, PublicKeyBlob(keys[index]));
        } catch (const Win32xx::CWinException& refused) {
            LOG_ERROR << "Trusted archive key " << index + 1 << " of " << keys.size() << " (" << KeyName(keys[index])
                      << "...) refused by the platform, skipped: " << refused.GetText() << " (error "
                      << refused.GetError() << ")";
            continue;
        }
        if (key->VerifySignature(digest, signature))
            return true;
    }
    return false;
}
