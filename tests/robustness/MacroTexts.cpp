#include "MacroTexts.h"

#include <iterator>

#include "Corpus.h"

namespace robustness {

namespace {

const wchar_t* const kPieces[] = {
    L"$(^Name)", L"${PRIMARY_SW_NAME}", L"$(^LangAbrev)", L"$(^LangID)", L"$(^NextBtn)", L"$\\r", L"$\\n", L". \\",
    L"$(^name)", L"$(^Name", L"$(^", L"$", L"\\", L".", L" ", L"(", L")", L"^", L"{", L"}", L"r", L"n",
    L"\r\n", L"Setup ", L"\u05E2\u05D1", L"\xD834\xDD1E", L"\xD800", L"\xDFFF", L"\xFFFF", L"\x7F",
};

}  // namespace

size_t MacroTextLength(std::mt19937& random)
{
    if (Chance(random, 2))
        return 65536 + Below(random, 1000000);
    if (Chance(random, 10))
        return 1000 + Below(random, 20000);
    return Below(random, 80);
}

std::wstring MacroText(std::mt19937& random, size_t length)
{
    std::wstring text;
    while (text.size() < length) {
        if (Chance(random, 3))
            text += L'\0';
        else
            text += kPieces[Below(random, std::size(kPieces))];
    }
    return text;
}

}  // namespace robustness
