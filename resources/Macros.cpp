#include "Macros.h"

#include <initializer_list>

#include "framework/ReplaceAll.h"

namespace {

struct MacroRow {
    const wchar_t* search;
    const wchar_t* value;  // up to its first NUL
};

bool ReplaceRows(Win32xx::CString& text, std::initializer_list<MacroRow> rows, size_t maxLength)
{
    std::wstring expanded = text.str();
    bool complete = true;
    for (const MacroRow& row : rows) {
        complete = Win32xx::ReplaceAllWithin(expanded, std::wstring(row.search), std::wstring(row.value), maxLength);
        if (!complete)
            break;
    }
    text = Win32xx::CString(std::move(expanded));
    return complete;
}

}  // namespace

bool ExpandNameAndLanguageMacros(Win32xx::CString& text, const MacroValues& values, size_t maxLength)
{
    return ReplaceRows(text,
                       {{L"$(^Name)", values.productName.c_str()},
                        {L"${PRIMARY_SW_NAME}", values.productName.c_str()},
                        {L"$(^LangAbrev)", values.languageAbbreviation.c_str()},
                        {L"$(^LangID)", values.languageCode.c_str()}},
                       maxLength);
}

bool ExpandNextButtonAndEscapes(Win32xx::CString& text, const MacroValues& values, size_t maxLength)
{
    return ReplaceRows(text,
                       {{L"$(^NextBtn)", values.nextButton.c_str()},
                        {L"$\\r", L"\r"},
                        {L"$\\n", L"\n"},
                        {L". \\", L"."}},
                       maxLength);
}
