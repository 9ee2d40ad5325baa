#include "Sha256Text.h"

namespace {

constexpr char kHexDigits[] = "0123456789abcdef";

// The value of one hexadecimal digit; -1 for any other character.
int HexValue(char digit)
{
    if (digit >= '0' && digit <= '9')
        return digit - '0';
    if (digit >= 'a' && digit <= 'f')
        return digit - 'a' + 10;
    if (digit >= 'A' && digit <= 'F')
        return digit - 'A' + 10;
    return -1;
}

}  // namespace

std::optional<Sha256Digest> ParseSha256Text(std::string_view text)
{
    Sha256Digest digest{};
    if (text.size() != 2 * digest.size())
        return std::nullopt;
    for (size_t index = 0; index < digest.size(); ++index) {
        const int high = HexValue(text[2 * index]);
        const int low = HexValue(text[2 * index + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        digest[index] = static_cast<std::uint8_t>(high * 16 + low);
    }
    return digest;
}

std::string Sha256Text(const Sha256Digest& digest)
{
    std::string text;
    text.reserve(2 * digest.size());
    for (const std::uint8_t byte : digest) {
        text += kHexDigits[byte >> 4];
        text += kHexDigits[byte & 0x0F];
    }
    return text;
}

bool Sha256TextMatches(std::string_view expectedText, const Sha256Digest& actual)
{
    const std::optional<Sha256Digest> expected = ParseSha256Text(expectedText);
    return expected && *expected == actual;
}
