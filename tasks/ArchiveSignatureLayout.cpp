#include "ArchiveSignatureLayout.h"

#include <algorithm>
#include <cstring>

#include "Sha256Text.h"

namespace {

constexpr std::size_t kEndRecordSize = 22;
constexpr std::size_t kCommentLengthOffset = 20;
constexpr char kEndRecordMark[] = {'P', 'K', 5, 6};

bool IsEndRecord(const std::uint8_t* record, std::size_t commentLength)
{
    return std::memcmp(record, kEndRecordMark, sizeof kEndRecordMark) == 0 &&
           static_cast<std::size_t>(record[kCommentLengthOffset] | (record[kCommentLengthOffset + 1] << 8)) == commentLength;
}

// r and s are 32 bytes each, the size of a SHA-256 digest, and are written
// in the same text form.
std::optional<EcdsaP256Signature> ParseSignatureText(std::string_view text)
{
    const std::size_t half = text.size() / 2;
    const auto r = ParseSha256Text(text.substr(0, half));
    const auto s = ParseSha256Text(text.substr(half));
    if (!r || !s)
        return std::nullopt;
    EcdsaP256Signature signature{};
    std::copy(r->begin(), r->end(), signature.begin());
    std::copy(s->begin(), s->end(), signature.begin() + r->size());
    return signature;
}

}  // namespace

std::optional<ArchiveSignature> FindArchiveSignature(const std::uint8_t* bytes, std::size_t size)
{
    if (!bytes || size < kEndRecordSize + kArchiveSignatureCommentSize)
        return std::nullopt;
    const std::size_t signedSize = size - kArchiveSignatureCommentSize;
    if (!IsEndRecord(bytes + signedSize - kEndRecordSize, kArchiveSignatureCommentSize))
        return std::nullopt;
    const std::string_view comment(reinterpret_cast<const char*>(bytes + signedSize), kArchiveSignatureCommentSize);
    if (comment.substr(0, kArchiveSignatureTag.size()) != kArchiveSignatureTag)
        return std::nullopt;
    const auto signature = ParseSignatureText(comment.substr(kArchiveSignatureTag.size()));
    // One spelling only: upper-case digits are refused.
    if (!signature || ArchiveSignatureComment(*signature) != comment)
        return std::nullopt;
    return ArchiveSignature{signedSize, *signature};
}

std::string ArchiveSignatureComment(const EcdsaP256Signature& signature)
{
    Sha256Digest r{};
    Sha256Digest s{};
    std::copy(signature.begin(), signature.begin() + r.size(), r.begin());
    std::copy(signature.begin() + r.size(), signature.end(), s.begin());
    return std::string(kArchiveSignatureTag) + Sha256Text(r) + Sha256Text(s);
}

std::optional<std::string> ArchiveBytesToSign(std::string_view archive)
{
    if (archive.size() < kEndRecordSize)
        return std::nullopt;
    const auto* const bytes = reinterpret_cast<const std::uint8_t*>(archive.data());
    // The end record is the last one whose comment reaches exactly to the end.
    const std::size_t lowest = archive.size() > kEndRecordSize + 0xFFFF ? archive.size() - kEndRecordSize - 0xFFFF : 0;
    for (std::size_t at = archive.size() - kEndRecordSize + 1; at-- > lowest;) {
        const std::size_t commentLength = archive.size() - at - kEndRecordSize;
        if (!IsEndRecord(bytes + at, commentLength))
            continue;
        if (commentLength != 0 && !FindArchiveSignature(bytes, archive.size()))
            return std::nullopt;
        std::string signedBytes(archive.substr(0, at + kCommentLengthOffset));
        signedBytes += static_cast<char>(kArchiveSignatureCommentSize & 0xFF);
        signedBytes += static_cast<char>(kArchiveSignatureCommentSize >> 8);
        return signedBytes;
    }
    return std::nullopt;
}
