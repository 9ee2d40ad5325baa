#include "Models.h"

#include <algorithm>

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
        expanded = ReplacedInOnePass(expanded, search, value);
    return expanded;
}

std::string Base64(const std::string& bytes)
{
    static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (size_t at = 0; at < bytes.size(); at += 3) {
        const size_t count = std::min<size_t>(3, bytes.size() - at);
        unsigned long group = 0;
        for (size_t i = 0; i < 3; ++i)
            group = (group << 8) | (i < count ? static_cast<unsigned char>(bytes[at + i]) : 0u);
        for (size_t i = 0; i < 4; ++i)
            out += i <= count ? kAlphabet[(group >> (18 - 6 * i)) & 0x3F] : '=';
    }
    return out;
}

}  // namespace robustness
