#include "FileSha256.h"

#include <algorithm>
#include <vector>

#include "framework/CngHash.h"
#include "framework/Exception.h"

Sha256Digest Sha256OfFile(Win32xx::CFile& file)
{
    constexpr DWORD kChunkSize = 256 * 1024;
    const Win32xx::CCngAlgorithm algorithm(BCRYPT_SHA256_ALGORITHM);
    Win32xx::CCngHash hash(algorithm);
    std::vector<BYTE> chunk(kChunkSize);
    for (DWORD read = file.Read(chunk.data(), kChunkSize); read > 0; read = file.Read(chunk.data(), kChunkSize))
        hash.Update(chunk.data(), read);

    const std::vector<BYTE> bytes = hash.Finish();
    Sha256Digest digest{};
    if (bytes.size() != digest.size())
        throw Win32xx::CWinException(L"BCryptFinishHash gave no SHA-256 digest", ERROR_INVALID_DATA);
    std::copy(bytes.begin(), bytes.end(), digest.begin());
    return digest;
}
