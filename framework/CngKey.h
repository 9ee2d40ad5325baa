// Win32xx::CCngKey: a key imported into the platform's cryptography (CNG,
// bcrypt.dll), for example an ECDSA P-256 public key from a
// BCRYPT_ECCPUBLIC_BLOB. The object owns the key handle and destroys it.
#pragma once

#include <windows.h>

#include <bcrypt.h>

#include <vector>

#include "CngHash.h"

namespace Win32xx {

class CCngKey {
public:
    // Imports `blob`, of the type `blobType`, for `algorithm`, which must
    // outlive the key. Raises CWinException when CNG refuses the blob.
    CCngKey(const CCngAlgorithm& algorithm, LPCWSTR blobType, const std::vector<BYTE>& blob);
    ~CCngKey();
    CCngKey(const CCngKey&) = delete;
    CCngKey& operator=(const CCngKey&) = delete;

    BCRYPT_KEY_HANDLE Get() const noexcept { return m_handle; }
    // Whether `signature` is this key's signature of `digest` (a hash of the
    // signed data). False for a wrong signature and for any other failure.
    bool VerifySignature(const std::vector<BYTE>& digest, const std::vector<BYTE>& signature) const;

private:
    BCRYPT_KEY_HANDLE m_handle = nullptr;
};

}  // namespace Win32xx
