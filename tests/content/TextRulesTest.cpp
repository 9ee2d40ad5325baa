// UTF-8 validity, which the check requires of every text.
#include "TextRules.h"

#include <gtest/gtest.h>

#include <optional>

TEST(Utf8, InvalidSequencesAreFoundAtTheirFirstByte)
{
    const std::pair<const char*, std::optional<std::size_t>> cases[] = {
        {"Schlie\xC3\x9F" "en \xD7\xA2 \xE2\x80\xA6 \xF0\x9F\x93\x88", std::nullopt},  // two to four bytes
        {"\xF4\x8F\xBF\xBF", std::nullopt},                                            // U+10FFFF, the last
        {"caf\xE9", 3},                                                                // Latin-1
        {"ab\xC0\x80", 2}, {"\xE0\x80\xAF", 0}, {"\xF0\x80\x80\xAF", 0},               // overlong
        {"x\xED\xA0\x80", 1}, {"\xF4\x90\x80\x80", 0},  // a surrogate, above U+10FFFF
        {"ok\xE2\x80", 2}, {"\x80", 0}, {"\xC3\x28", 0}};  // cut off, lone continuation, no continuation
    for (const auto& [text, offset] : cases)
        EXPECT_EQ(content::FindInvalidUtf8(text), offset) << text;
}
