#include "MacroModel.h"

namespace robustness {

namespace {

std::wstring UpToNul(const std::wstring& value)
{
    return value.substr(0, value.find(L'\0'));
}

}  // namespace

std::wstring ExpectedExpansion(const std::wstring& text, const MacroValues& values)
{
    const std::pair<std::wstring, std::wstring> rows[] = {
        {L"$(^Name)", UpToNul(values.productName)},
        {L"${PRIMARY_SW_NAME}", UpToNul(values.productName)},
        {L"$(^LangAbrev)", UpToNul(values.languageAbbreviation)},
        {L"$(^LangID)", UpToNul(values.languageCode)},
        {L"$(^NextBtn)", UpToNul(values.nextButton)},
        {L"$\\r", L"\r"},
        {L"$\\n", L"\n"},
        {L". \\", L"."},
    };
    std::wstring expanded = text;
    for (const auto& [search, value] : rows)
        expanded = ReplacedInOnePass(expanded, search, value);
    return expanded;
}

}  // namespace robustness
