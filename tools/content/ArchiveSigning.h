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

// Where the pass phrase of an encrypted private key comes from, as OpenSSL's
// tools take it (-passin): "pass:TEXT", "env:VARIABLE", "file:PATH" (its
// first line). Empty: asked for on the terminal, when there is one.
std::string ReadPassPhrase(const std::string& source);

struct SignedArchive {
    std::string bytes;
    std::string keyFingerprint;  // SHA-256 of the public key (DER), hexadecimal
};

// `archive` signed with the private key in the PEM file `privateKey`;
// `passPhraseSource` as for ReadPassPhrase. An earlier signature is
// replaced. Throws SigningError for a key that is not an ECDSA P-256 private
// key, for an encrypted one without its pass phrase or with a wrong one
// (each said as such), and for an archive that has another comment or no end
// record.
SignedArchive SignArchive(std::string_view archive, const std::filesystem::path& privateKey,
                          const std::string& passPhraseSource = {});

// Who made the signature that an archive carries.
struct SignerFound {
    bool hasSignature = false;
    std::filesystem::path publicKey;  // of `publicKeys`; empty: none of them
    std::string keyFingerprint;       // that key's, as SignedArchive's
};

// Throws SigningError for a file that is not an ECDSA P-256 public key.
SignerFound FindArchiveSigner(std::string_view archive, const std::vector<std::filesystem::path>& publicKeys);

}  // namespace content
