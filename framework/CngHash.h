// Win32xx::CCngAlgorithm and CCngHash: hashing with the platform's
// cryptography (CNG, bcrypt.dll). Each object owns its handle and closes it;
// a failing call raises CWinException with the NTSTATUS as its error.
#pragma once

#include <windows.h>

#include <bcrypt.h>

#include <vector>

namespace Win32xx {

// Raises CWinException with `call` as its text when `status` is a failure.
void ThrowOnCngFailure(NTSTATUS status, const wchar_t* call);

// An open algorithm provider, for example BCRYPT_SHA256_ALGORITHM.
class CCngAlgorithm {
public:
    explicit CCngAlgorithm(LPCWSTR algorithmId);
    ~CCngAlgorithm();
    CCngAlgorithm(const CCngAlgorithm&) = delete;
    CCngAlgorithm& operator=(const CCngAlgorithm&) = delete;

    BCRYPT_ALG_HANDLE Get() const noexcept { return m_handle; }
    // The size of the algorithm's digests, in bytes.
    ULONG HashLength() const;

private:
    BCRYPT_ALG_HANDLE m_handle = nullptr;
};

// One hash computation. The algorithm must outlive it.
class CCngHash {
public:
    explicit CCngHash(const CCngAlgorithm& algorithm);
    ~CCngHash();
    CCngHash(const CCngHash&) = delete;
    CCngHash& operator=(const CCngHash&) = delete;

    void Update(const void* bytes, ULONG count);
    // The digest of everything given; the hash takes nothing more after it.
    std::vector<BYTE> Finish();

private:
    BCRYPT_HASH_HANDLE m_handle = nullptr;
    ULONG m_length = 0;
};

}  // namespace Win32xx
