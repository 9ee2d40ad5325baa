// Verifying a resource archive's signature (ArchiveSignatureLayout.h) with
// the platform's CNG: ECDSA P-256 over the SHA-256 of the signed bytes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

// A publisher's public key: the point X, Y of an ECDSA P-256 key, 32 bytes
// each, big-endian (the body of a BCRYPT_ECCPUBLIC_BLOB).
using ArchivePublicKey = std::array<std::uint8_t, 64>;

// Whether the archive `bytes` carries a signature that one of `keys` made.
// False without a signature and for one that no key made. A key that the
// platform refuses to import is skipped, with an error record that names it.
// Raises Win32xx::CWinException when the platform cannot verify at all.
bool ArchiveSignatureVerifies(const unsigned char* bytes, std::size_t size, const std::vector<ArchivePublicKey>& keys);
