// The text form of a SHA-256 digest as resources.db holds it: exactly 64
// hexadecimal digits, upper or lower case, nothing around them.
//
// Standard C++ only: the content tool compiles this file too, so that the
// program and the content check agree on what a digest is.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

using Sha256Digest = std::array<std::uint8_t, 32>;

// The digest that `text` spells; nothing when it is not exactly 64
// hexadecimal digits (a blank, a sign or a "0x" included).
std::optional<Sha256Digest> ParseSha256Text(std::string_view text);

// The digest as 64 lower-case hexadecimal digits.
std::string Sha256Text(const Sha256Digest& digest);

// Whether `expectedText` spells `actual`. A text that spells no digest never
// matches: a broken resource must not let a file through.
bool Sha256TextMatches(std::string_view expectedText, const Sha256Digest& actual);
