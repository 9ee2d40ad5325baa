#include "CngHash.h"

#include "Exception.h"

namespace Win32xx {

void ThrowOnCngFailure(NTSTATUS status, const wchar_t* call)
{
    if (!BCRYPT_SUCCESS(status))
        throw CWinException(call, static_cast<DWORD>(status));
}

CCngAlgorithm::CCngAlgorithm(LPCWSTR algorithmId)
{
    ThrowOnCngFailure(::BCryptOpenAlgorithmProvider(&m_handle, algorithmId, nullptr, 0),
                   L"BCryptOpenAlgorithmProvider failed");
}

CCngAlgorithm::~CCngAlgorithm()
{
    ::BCryptCloseAlgorithmProvider(m_handle, 0);
}

ULONG CCngAlgorithm::HashLength() const
{
    ULONG length = 0;
    ULONG written = 0;
    ThrowOnCngFailure(::BCryptGetProperty(m_handle, BCRYPT_HASH_LENGTH, reinterpret_cast<PUCHAR>(&length),
                                       sizeof(length), &written, 0),
                   L"BCryptGetProperty failed");
    return length;
}

CCngHash::CCngHash(const CCngAlgorithm& algorithm) : m_length(algorithm.HashLength())
{
    // Without a buffer of ours the provider keeps the hash object itself.
    ThrowOnCngFailure(::BCryptCreateHash(algorithm.Get(), &m_handle, nullptr, 0, nullptr, 0, 0),
                   L"BCryptCreateHash failed");
}

CCngHash::~CCngHash()
{
    ::BCryptDestroyHash(m_handle);
}

void CCngHash::Update(const void* bytes, ULONG count)
{
    ThrowOnCngFailure(::BCryptHashData(m_handle, static_cast<PUCHAR>(const_cast<void*>(bytes)), count, 0),
                   L"BCryptHashData failed");
}

std::vector<BYTE> CCngHash::Finish()
{
    std::vector<BYTE> digest(m_length);
    ThrowOnCngFailure(::BCryptFinishHash(m_handle, digest.data(), m_length, 0), L"BCryptFinishHash failed");
    return digest;
}

}  // namespace Win32xx
