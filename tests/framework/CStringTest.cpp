#include <gtest/gtest.h>

#include "framework/CString.h"

using Win32xx::CString;

TEST(CStringTest, FormatUsesWideStringsForPercentS)
{
    CString text;
    text.Format(L"[DownloadTask] URL: %s ", L"http://127.0.0.1/a.zip");
    EXPECT_EQ(text.str(), L"[DownloadTask] URL: http://127.0.0.1/a.zip ");
    text.Format(L"error code = 0x%X", 0x800C0005u);
    EXPECT_EQ(text.str(), L"error code = 0x800C0005");
}

TEST(CStringTest, FormatGrowsBeyondItsFirstBuffer)
{
    const std::wstring longText(5000, L'q');
    CString text;
    text.Format(L"<%s>", longText.c_str());
    EXPECT_EQ(text.GetLength(), 5002);
}

TEST(CStringTest, ReplaceDoesNotSearchTheInsertedText)
{
    CString text(L"$(^Name) and $(^Name)");
    EXPECT_EQ(text.Replace(L"$(^Name)", L"x$(^Name)"), 2);
    EXPECT_EQ(text.str(), L"x$(^Name) and x$(^Name)");
    EXPECT_EQ(text.Replace(L"", L"y"), 0);
    EXPECT_EQ(text.Replace(L"$(^Name)", L""), 2);
    EXPECT_EQ(text.str(), L"x and x");
}

// A text with a million escapes: replacing in place moved the rest of the
// text at each one and did not end in minutes.
TEST(CStringTest, ReplaceTakesOnePassOverALongText)
{
    std::wstring escapes;
    for (int i = 0; i < 1000000; ++i)
        escapes += L"$\\r";
    CString text(escapes + L"$\\");
    EXPECT_EQ(text.Replace(L"$\\r", L"\r"), 1000000);
    EXPECT_EQ(text.str(), std::wstring(1000000, L'\r') + L"$\\");
}

TEST(CStringTest, FindAndSlices)
{
    const CString url(L"http://host/path/file.zip");
    EXPECT_EQ(url.ReverseFind(L'/'), 16);
    EXPECT_EQ(url.Mid(17).str(), L"file.zip");
    EXPECT_EQ(url.Left(4).str(), L"http");
    EXPECT_EQ(url.Find(L"/", 7), 11);
    EXPECT_EQ(url.Find(L"?"), -1);
    EXPECT_EQ(url.Mid(100).str(), L"");
}
