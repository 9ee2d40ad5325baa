// A digest's text in resources.db: exactly 64 hexadecimal digits in either case; anything else matches nothing.

#include <gtest/gtest.h>

#include <string>

#include "tasks/Sha256Text.h"

TEST(Sha256TextTest, OnlySixtyFourHexDigitsInEitherCaseSpellADigest)
{
    // SHA-256 of "abc" (FIPS 180-2, appendix B.1); FileSha256Test holds Sha256Text to the published vectors.
    const std::string abc = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
    const Sha256Digest digest = ParseSha256Text(abc).value_or(Sha256Digest{});
    EXPECT_EQ(Sha256Text(digest), abc);

    const std::pair<std::string, bool> cases[] = {
        {abc, true}, {"BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD", true},
        {abc.substr(0, 63) + "c", false},  // another digest, its last byte one off
        {"", false}, {abc.substr(0, 63), false}, {abc + "0", false}, {abc.substr(0, 62) + "g0", false},
        {abc.substr(0, 63) + " ", false}, {" " + abc.substr(1), false}, {"0x" + abc.substr(2), false},
        {"-" + abc.substr(1), false}, {abc.substr(0, 32) + std::string(1, '\0') + abc.substr(33), false},
    };
    for (const auto& [text, spellsIt] : cases) {
        EXPECT_EQ(ParseSha256Text(text) == digest, spellsIt) << '"' << text << '"';
        EXPECT_EQ(Sha256TextMatches(text, digest), spellsIt) << '"' << text << '"';
    }
}
