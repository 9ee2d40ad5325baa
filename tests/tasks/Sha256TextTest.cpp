// The text form of a digest in resources.db: exactly 64 hexadecimal digits
// in either case; every other text spells no digest and matches nothing.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>

#include "tasks/Sha256Text.h"

namespace {

// SHA-256 of "abc" (FIPS 180-2, appendix B.1).
constexpr char kAbc[] = "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
const Sha256Digest kAbcDigest = {0xba, 0x78, 0x16, 0xbf, 0x8f, 0x01, 0xcf, 0xea, 0x41, 0x41, 0x40,
                                 0xde, 0x5d, 0xae, 0x22, 0x23, 0xb0, 0x03, 0x61, 0xa3, 0x96, 0x17,
                                 0x7a, 0x9c, 0xb4, 0x10, 0xff, 0x61, 0xf2, 0x00, 0x15, 0xad};

}  // namespace

TEST(Sha256TextTest, EitherCaseSpellsTheDigestAndMatchesOnlyIt)
{
    std::string upper = kAbc;
    std::transform(upper.begin(), upper.end(), upper.begin(), [](char c) { return static_cast<char>(::toupper(c)); });
    std::string mixed = kAbc;
    mixed[0] = 'B';
    mixed[63] = 'D';
    for (const std::string& text : {std::string(kAbc), upper, mixed}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(ParseSha256Text(text), kAbcDigest);
        EXPECT_TRUE(Sha256TextMatches(text, kAbcDigest));
        for (const size_t byte : {size_t{0}, size_t{17}, size_t{31}}) {
            Sha256Digest other = kAbcDigest;
            other[byte] ^= 0x01;
            EXPECT_FALSE(Sha256TextMatches(text, other)) << "byte " << byte;
        }
    }
}

TEST(Sha256TextTest, TextIsWrittenInLowerCase)
{
    EXPECT_EQ(Sha256Text(kAbcDigest), kAbc);
    Sha256Digest edges{};
    edges[0] = 0x0F;
    edges[31] = 0xF0;
    EXPECT_EQ(Sha256Text(edges), "0f" + std::string(60, '0') + "f0");
}

TEST(Sha256TextTest, AnythingButSixtyFourHexDigitsIsNoDigest)
{
    const std::string digest = kAbc;
    const std::string cases[] = {"",
                                 digest.substr(0, 63),
                                 digest + "0",
                                 digest.substr(0, 62) + "g0",
                                 digest.substr(0, 63) + " ",
                                 " " + digest.substr(1),
                                 digest + "\r",
                                 "0x" + digest.substr(2),
                                 "-" + digest.substr(1),
                                 digest.substr(0, 32) + std::string(1, '\0') + digest.substr(33)};
    for (const std::string& text : cases) {
        EXPECT_FALSE(ParseSha256Text(text)) << '"' << text << '"';
        EXPECT_FALSE(Sha256TextMatches(text, kAbcDigest)) << '"' << text << '"';
    }
}
