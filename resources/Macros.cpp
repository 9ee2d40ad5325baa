#include "Macros.h"

Win32xx::CString& ExpandMacros(Win32xx::CString& text, const MacroValues& values)
{
    text.Replace(L"$(^Name)", values.productName.c_str());
    text.Replace(L"${PRIMARY_SW_NAME}", values.productName.c_str());
    text.Replace(L"$(^LangAbrev)", values.languageAbbreviation.c_str());
    text.Replace(L"$(^LangID)", values.languageCode.c_str());
    text.Replace(L"$(^NextBtn)", values.nextButton.c_str());
    text.Replace(L"$\\r", L"\r");
    text.Replace(L"$\\n", L"\n");
    text.Replace(L". \\", L".");
    return text;
}
