#include <gtest/gtest.h>

#include "framework/Utf8.h"

using Win32xx::Utf8ToWide;
using Win32xx::WideToUtf8;

TEST(Utf8Test, ConvertsEveryPlaneAndExactlyTheGivenLength)
{
    // A, e acute, alef, euro sign, G clef (U+1D11E, a surrogate pair), NUL, b.
    const std::string utf8("A\xC3\xA9\xD7\x90\xE2\x82\xAC\xF0\x9D\x84\x9E\0b", 14);
    const std::wstring wide(L"A\u00E9\u05D0\u20AC\xD834\xDD1E\0b", 8);
    EXPECT_EQ(Utf8ToWide(utf8.data(), utf8.size()), wide);
    EXPECT_EQ(WideToUtf8(wide), utf8);
    EXPECT_EQ(WideToUtf8(std::wstring(L"\xD800x")), "\xEF\xBF\xBDx") << "an unpaired surrogate";
}

TEST(Utf8Test, InvalidSequencesBecomeReplacementCharacters)
{
    const std::wstring r = L"\uFFFD";
    const std::pair<std::string, std::wstring> cases[] = {
        {"\x80", r}, {"a\xC3", L"a" + r},        // stray continuation, cut short
        {"\xC0\xAF", r + r}, {"\xE0\x80\xAF", r},  // overlong: invalid lead and stray byte; three-byte form
        {"\xED\xA0\x80", r}, {"\xF4\x90\x80\x80", r},  // encoded surrogate, above U+10FFFF
        {"\xFF" "b", r + L"b"}, {"\xE2\x82" "c", r + L"c"},  // never a lead byte; the next character survives
    };
    for (const auto& [bytes, wide] : cases)
        EXPECT_EQ(Utf8ToWide(bytes), wide) << bytes.size() << " bytes";
}
