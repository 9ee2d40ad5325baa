// Signs archives for the tests as the content tool does
// (tasks/ArchiveSignatureLayout.h), with CNG: with the build's test key,
// which the program trusts, or with a key that nothing trusts.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "ZipBuilder.h"
#include "tasks/ArchiveSignature.h"

namespace testing_support {

class ArchiveSigner {
public:
    // The build's test key (archive-signing/test-archive-key.blob in the build folder).
    static ArchiveSigner BuildTestKey();
    // A key of its own, made now.
    static ArchiveSigner NewKey();

    // `archive` (without a comment) with its signature.
    std::string Sign(const std::string& archive) const;
    ArchivePublicKey PublicKey() const;

private:
    explicit ArchiveSigner(std::vector<BYTE> privateBlob) : m_privateBlob(std::move(privateBlob)) {}

    std::vector<BYTE> m_privateBlob;  // BCRYPT_ECCPRIVATE_BLOB: header, X, Y, d
};

// The archive of `items`, signed with the build's test key.
std::string BuildSignedZip(const std::vector<ZipItem>& items);

}  // namespace testing_support
