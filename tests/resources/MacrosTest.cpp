#include <gtest/gtest.h>

#include "resources/Macros.h"

// Rows are searched case-sensitively, only later rows search what an earlier one inserted; empty values remove.
TEST(MacrosTest, ExpandsEveryRowOfTheTableInOrder)
{
    const MacroValues values{L"Kestrafin", L"EN", L"1033", L"Next >"};
    const MacroValues inserting{L"$(^Name) for $(^LangID)", L"EN", L"1033", L""};
    const MacroValues reinserting{L"${PRIMARY_SW_NAME}", L"EN", L"1033", L""};
    const std::tuple<const wchar_t*, MacroValues, const wchar_t*> cases[] = {
        {L"$(^Name)|${PRIMARY_SW_NAME}|$(^LangAbrev)|$(^LangID)|$(^NextBtn)", values,
         L"Kestrafin|Kestrafin|EN|1033|Next >"},
        {L"Welcome to $(^Name). Install $(^Name) now", values, L"Welcome to Kestrafin. Install Kestrafin now"},
        {L"$(^name) $(^LANGID) ${primary_sw_name}", values, L"$(^name) $(^LANGID) ${primary_sw_name}"},
        {L"[$(^Name)]", inserting, L"[$(^Name) for 1033]"}, {L"$(^Name)", reinserting, L"${PRIMARY_SW_NAME}"},
        {L"one$\\rtwo$\\nthree\r\n", values, L"one\rtwo\nthree\r\n"}, {L"a. \\b. \\", values, L"a.b."},
        {L"<$(^Name)><$(^LangAbrev)><$(^LangID)>", MacroValues{}, L"<><><>"},
    };
    for (const auto& [text, macroValues, expanded] : cases) {
        Win32xx::CString result(text);
        EXPECT_TRUE(ExpandNameAndLanguageMacros(result, macroValues, std::wstring::npos) &&
                    ExpandNextButtonAndEscapes(result, macroValues, std::wstring::npos));
        EXPECT_EQ(result.str(), expanded);
    }
}
