#include <gtest/gtest.h>

#include "framework/Utf8.h"

using Win32xx::Utf8ToWide;
using Win32xx::WideToUtf8;

TEST(Utf8Test, ConvertsEveryPlaneAndSurrogatePairs)
{
    // A, e acute, alef, euro sign, G clef (U+1D11E).
    const std::string utf8 = "A\xC3\xA9\xD7\x90\xE2\x82\xAC\xF0\x9D\x84\x9E";
    const std::wstring wide = Utf8ToWide(utf8);
    EXPECT_EQ(wide, std::wstring(L"A\u00E9\u05D0\u20AC\xD834\xDD1E"));
    EXPECT_EQ(WideToUtf8(wide), utf8);
}

TEST(Utf8Test, ConvertsExactlyTheGivenLengthIncludingNulBytes)
{
    const char bytes[] = {'a', '\0', 'b'};
    EXPECT_EQ(Utf8ToWide(bytes, 3), std::wstring(L"a\0b", 3));
}

TEST(Utf8Test, InvalidSequencesBecomeReplacementCharacters)
{
    const std::wstring r = L"\uFFFD";
    EXPECT_EQ(Utf8ToWide(std::string("\x80")), r);                      // stray continuation
    EXPECT_EQ(Utf8ToWide(std::string("a\xC3")), L"a" + r);              // cut short
    EXPECT_EQ(Utf8ToWide(std::string("\xC0\xAF")), r + r);              // overlong: invalid lead, stray byte
    EXPECT_EQ(Utf8ToWide(std::string("\xE0\x80\xAF")), r);              // overlong three-byte form
    EXPECT_EQ(Utf8ToWide(std::string("\xED\xA0\x80")), r);              // encoded surrogate
    EXPECT_EQ(Utf8ToWide(std::string("\xF4\x90\x80\x80")), r);          // above U+10FFFF
    EXPECT_EQ(Utf8ToWide(std::string("\xFF" "b")), r + L"b");            // never a lead byte
    EXPECT_EQ(Utf8ToWide(std::string("\xE2\x82" "c")), r + L"c");        // the next character survives
}

TEST(Utf8Test, UnpairedSurrogateEncodesAsReplacement)
{
    EXPECT_EQ(WideToUtf8(std::wstring(L"\xD800x")), "\xEF\xBF\xBDx");
}
