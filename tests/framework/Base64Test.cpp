#include <gtest/gtest.h>

#include <string>

#include "framework/Base64.h"

// The vectors of RFC 4648, both ends of the alphabet, and a text longer than a MIME line, which stays one line.
TEST(Base64Test, EncodesTheVectorsOfRfc4648TheWholeAlphabetAndNoLineBreaks)
{
    const std::pair<std::string, std::string> cases[] = {
        {"", ""}, {"f", "Zg=="}, {"fo", "Zm8="}, {"foo", "Zm9v"}, {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="},
        {"foobar", "Zm9vYmFy"}, {std::string("\x00\x10\x83", 3), "ABCD"}, {"\xFB\xEF\xBE", "++++"},
        {"\xFF\xFE", "//4="}, {std::string(60, '\xFF'), std::string(80, '/')},
    };
    for (const auto& [bytes, text] : cases)
        EXPECT_EQ(Win32xx::Base64Encode(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size()), text);
}
