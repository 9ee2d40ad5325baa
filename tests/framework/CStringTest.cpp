#include <gtest/gtest.h>

#include "framework/CString.h"

using Win32xx::CString;

// %s takes a wide string, as the platform's formatter reads it; a text longer than the first buffer is whole.
TEST(CStringTest, FormatTakesWideStringsAndGrowsBeyondItsFirstBuffer)
{
    CString text;
    text.Format(L"[%s] = 0x%X", L"a.zip", 0x800C0005u);
    EXPECT_EQ(text.str(), L"[a.zip] = 0x800C0005");
    text.Format(L"<%s>", std::wstring(5000, L'q').c_str());
    EXPECT_EQ(text.str(), L"<" + std::wstring(5000, L'q') + L">");
}

// A million escapes (replacing in place took minutes); what was inserted is not searched again.
TEST(CStringTest, ReplaceTakesOnePassAndSkipsWhatItInserted)
{
    std::wstring escapes;
    for (int i = 0; i < 1000000; ++i)
        escapes += L"$\\r";
    CString text(escapes + L"$\\");
    EXPECT_EQ(text.Replace(L"$\\r", L"\r"), 1000000);
    EXPECT_EQ(text.str(), std::wstring(1000000, L'\r') + L"$\\");

    CString names(L"$(^Name) and $(^Name)");
    EXPECT_EQ(names.Replace(L"$(^Name)", L"x$(^Name)"), 2);
    EXPECT_EQ(names.str(), L"x$(^Name) and x$(^Name)");
    EXPECT_EQ(names.Replace(L"", L"y"), 0);
}
