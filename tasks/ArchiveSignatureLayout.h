// Where a resource archive carries its signature, and which of its bytes the
// signature covers. Standard C++ only: the content tool compiles this file
// too, so that the tool that signs and the program that verifies agree.
//
// The signature is the zip file's own comment, so the archive stays one file
// that every zip reader reads. The comment is kArchiveSignatureTag followed by
// r and s of an ECDSA P-256 signature (32 bytes each, big-endian) as 128
// lower-case hexadecimal digits: kArchiveSignatureCommentSize bytes, the last
// bytes of the file. The signature is made over the SHA-256 of every byte
// before the comment: the entries, the central directory and the whole
// end-of-central-directory record, whose comment-length field already holds
// the comment's length. The comment itself is not signed.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// r || s, each 32 bytes, big-endian.
using EcdsaP256Signature = std::array<std::uint8_t, 64>;

inline constexpr std::string_view kArchiveSignatureTag = "ECDSA-P256-SHA256:";
inline constexpr std::size_t kArchiveSignatureCommentSize = kArchiveSignatureTag.size() + 128;

struct ArchiveSignature {
    std::size_t signedSize;  // the bytes from the start of the file that are signed
    EcdsaP256Signature signature;
};

// The signature that the archive `bytes` carries: nothing unless the file
// ends with a signature comment right after an end-of-central-directory
// record whose comment length is that comment's.
std::optional<ArchiveSignature> FindArchiveSignature(const std::uint8_t* bytes, std::size_t size);

// The comment that carries `signature`.
std::string ArchiveSignatureComment(const EcdsaP256Signature& signature);

// The bytes of `archive` that its signature will cover: the archive up to its
// end record, whose comment length is set to the signature comment's. The
// archive must have no comment or an earlier signature (which is replaced);
// nothing when it has another comment or no end record.
std::optional<std::string> ArchiveBytesToSign(std::string_view archive);
