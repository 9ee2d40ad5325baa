#include <gtest/gtest.h>

#include <string>

#include "framework/Base64.h"

using Win32xx::Base64Encode;

namespace {
std::string Encode(const std::string& bytes)
{
    return Base64Encode(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
}
}  // namespace

TEST(Base64Test, EncodesTheVectorsOfRfc4648)
{
    EXPECT_EQ(Encode(""), "");
    EXPECT_EQ(Encode("f"), "Zg==");
    EXPECT_EQ(Encode("fo"), "Zm8=");
    EXPECT_EQ(Encode("foo"), "Zm9v");
    EXPECT_EQ(Encode("foob"), "Zm9vYg==");
    EXPECT_EQ(Encode("fooba"), "Zm9vYmE=");
    EXPECT_EQ(Encode("foobar"), "Zm9vYmFy");
}

TEST(Base64Test, UsesTheWholeAlphabetAndHighBytes)
{
    // 0x00 0x10 0x83 gives the first four characters of the alphabet.
    EXPECT_EQ(Encode(std::string("\x00\x10\x83", 3)), "ABCD");
    EXPECT_EQ(Encode("\xFB\xEF\xBE"), "++++");
    EXPECT_EQ(Encode("\xFF\xFF\xFF"), "////");
    EXPECT_EQ(Encode("\xFF"), "/w==");
    EXPECT_EQ(Encode("\xFF\xFE"), "//4=");
    EXPECT_EQ(Encode(std::string("\x00", 1)), "AA==");
}

TEST(Base64Test, LongInputHasNoLineBreaks)
{
    const std::string encoded = Encode(std::string(1000, '\x5A'));
    EXPECT_EQ(encoded.size(), 1336u);
    EXPECT_EQ(encoded.find_first_of("\r\n"), std::string::npos);
    EXPECT_EQ(encoded.substr(0, 4), "Wlpa");
    EXPECT_EQ(encoded.substr(1332), "Wg==");
}
