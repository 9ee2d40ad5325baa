#include "Models.h"

#include "framework/ReplaceAll.h"

namespace robustness {

std::wstring ExpectedExpansion(const std::wstring& text, const MacroValues& values)
{
    const auto upToNul = [](const std::wstring& value) { return value.substr(0, value.find(L'\0')); };
    const std::pair<std::wstring, std::wstring> rows[] = {
        {L"$(^Name)", upToNul(values.productName)},
        {L"${PRIMARY_SW_NAME}", upToNul(values.productName)},
        {L"$(^LangAbrev)", upToNul(values.languageAbbreviation)},
        {L"$(^LangID)", upToNul(values.languageCode)},
        {L"$(^NextBtn)", upToNul(values.nextButton)},
        {L"$\\r", L"\r"},
        {L"$\\n", L"\n"},
        {L". \\", L"."},
    };
    std::wstring expanded = text;
    for (const auto& [search, value] : rows)
        Win32xx::ReplaceAll(expanded, search, value);
    return expanded;
}

}  // namespace robustness
