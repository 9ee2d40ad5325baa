// Signing and verifying resource archives with OpenSSL: ECDSA P-256 over
// SHA-256, in the layout of tasks/ArchiveSignatureLayout.h, which the setup
// program verifies. Only in the content tool built for the build machine:
// the Windows build has no OpenSSL.
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace content {

class SigningError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// `archive` signed with the private key in the PEM file `privateKey` (an
// encrypted key asks for its pass phrase on the terminal). An earlier
// signature is replaced. Throws SigningError for a key that is not an ECDSA
// P-256 private key and for an archive that has another comment or no end
// record.
std::string SignArchive(std::string_view archive, const std::filesystem::path& privateKey);

// The public key file, of `publicKeys`, whose key made the signature that
// `archive` carries; empty when none did or the archive carries none.
// Throws SigningError for a file that is not an ECDSA P-256 public key.
std::filesystem::path FindArchiveSigner(std::string_view archive, const std::vector<std::filesystem::path>& publicKeys);

}  // namespace content
