// Signs archives for the tests as the content tool does (tasks/ArchiveSignatureLayout.h), with CNG.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "ZipBuilder.h"
#include "tasks/ArchiveSignature.h"

namespace testing_support {

class ArchiveSigner {
public:
    static ArchiveSigner NewKey();  // a key that nothing trusts
    // `archive` (without a comment) with its signature.
    std::string Sign(const std::string& archive) const;
    ArchivePublicKey PublicKey() const;

    explicit ArchiveSigner(std::vector<BYTE> privateBlob) : m_privateBlob(std::move(privateBlob)) {}

private:
    std::vector<BYTE> m_privateBlob;  // BCRYPT_ECCPRIVATE_BLOB: header, X, Y, d
};

// The archive of `items`, signed with the build's test key, which the program trusts.
std::string BuildSignedZip(const std::vector<ZipItem>& items);

}  // namespace testing_support
