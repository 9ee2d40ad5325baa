#include <gtest/gtest.h>

#include "resources/Macros.h"

using Win32xx::CString;

namespace {

MacroValues Values()
{
    return MacroValues{L"Kestrafin", L"EN", L"1033", L"Next >"};
}

std::wstring Expand(const wchar_t* text, const MacroValues& values = Values())
{
    CString result(text);
    return ExpandMacros(result, values).str();
}

}  // namespace

TEST(MacrosTest, EveryMacroOfTheTable)
{
    EXPECT_EQ(Expand(L"$(^Name)|${PRIMARY_SW_NAME}|$(^LangAbrev)|$(^LangID)|$(^NextBtn)"),
              L"Kestrafin|Kestrafin|EN|1033|Next >");
    EXPECT_EQ(Expand(L"Welcome to $(^Name). Install $(^Name) now"), L"Welcome to Kestrafin. Install Kestrafin now");
}

TEST(MacrosTest, InsertedTextIsSearchedByLaterRowsOnly)
{
    MacroValues values = Values();
    values.productName = L"$(^Name) for $(^LangID)";
    EXPECT_EQ(Expand(L"[$(^Name)]", values), L"[$(^Name) for 1033]");
    values.productName = L"${PRIMARY_SW_NAME}";
    EXPECT_EQ(Expand(L"$(^Name)", values), L"${PRIMARY_SW_NAME}") << "a later row searches what an earlier inserted";
}

TEST(MacrosTest, SearchIsCaseSensitive)
{
    EXPECT_EQ(Expand(L"$(^name) $(^LANGID) ${primary_sw_name}"), L"$(^name) $(^LANGID) ${primary_sw_name}");
}

TEST(MacrosTest, EscapeSequences)
{
    EXPECT_EQ(Expand(L"one$\\rtwo$\\nthree"), L"one\rtwo\nthree");
    EXPECT_EQ(Expand(L"stored\r\nbreak"), L"stored\r\nbreak");
    EXPECT_EQ(Expand(L"The end. \\"), L"The end.");
    EXPECT_EQ(Expand(L"a. \\b. \\"), L"a.b.");
}

TEST(MacrosTest, EmptyValuesRemoveTheMacro)
{
    EXPECT_EQ(Expand(L"<$(^Name)><$(^LangAbrev)><$(^LangID)>", MacroValues{}), L"<><><>");
}
