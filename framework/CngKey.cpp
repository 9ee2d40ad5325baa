#include "CngKey.h"

namespace Win32xx {

CCngKey::CCngKey(const CCngAlgorithm& algorithm, LPCWSTR blobType, const std::vector<BYTE>& blob)
{
    ThrowOnCngFailure(::BCryptImportKeyPair(algorithm.Get(), nullptr, blobType, &m_handle,
                                            const_cast<PUCHAR>(blob.data()), static_cast<ULONG>(blob.size()), 0),
                      L"BCryptImportKeyPair failed");
}

CCngKey::~CCngKey()
{
    ::BCryptDestroyKey(m_handle);
}

bool CCngKey::VerifySignature(const std::vector<BYTE>& digest, const std::vector<BYTE>& signature) const
{
    const NTSTATUS status = ::BCryptVerifySignature(m_handle, nullptr, const_cast<PUCHAR>(digest.data()),
                                                    static_cast<ULONG>(digest.size()),
                                                    const_cast<PUCHAR>(signature.data()),
                                                    static_cast<ULONG>(signature.size()), 0);
    return BCRYPT_SUCCESS(status);
}

}  // namespace Win32xx
