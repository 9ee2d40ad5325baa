// Generated texts and values (broken, nested macros, escapes, NULs, surrogates; up to 1 Mi) expanded, limited or not.

#include <gtest/gtest.h>

#include <algorithm>

#include "Corpus.h"
#include "resources/Macros.h"

namespace robustness {

namespace {

constexpr CorpusKind kMacros{"macros", 3000000, 800, 5000, 20000};

// The whole expansion as the macro table describes it: each row replaces every occurrence in turn, never searching
// what it inserted; values up to their first NUL.
std::wstring Expanded(std::wstring text, const MacroValues& values)
{
    const auto upToNul = [](const std::wstring& value) { return value.substr(0, value.find(L'\0')); };
    const std::pair<std::wstring, std::wstring> rows[] = {{L"$(^Name)", upToNul(values.productName)},
        {L"${PRIMARY_SW_NAME}", upToNul(values.productName)}, {L"$(^LangAbrev)", upToNul(values.languageAbbreviation)},
        {L"$(^LangID)", upToNul(values.languageCode)}, {L"$(^NextBtn)", upToNul(values.nextButton)},
        {L"$\\r", L"\r"}, {L"$\\n", L"\n"}, {L". \\", L"."}};
    for (const auto& [search, value] : rows) {
        std::wstring replaced;
        size_t from = 0;
        for (size_t at = text.find(search); at != std::wstring::npos; at = text.find(search, from = at + search.size()))
            replaced.append(text, from, at - from).append(value);
        text = replaced.append(text, from);
    }
    return text;
}

std::string RunMacroCase(unsigned seed)
{
    std::mt19937 random(seed);
    const auto value = [&random] { return MacroText(random, Chance(random, 5) ? 2000 : Below(random, 20)); };
    const MacroValues values{value(), value(), value(), value()};
    const size_t length = Chance(random, 2) ? 65536 + Below(random, 1000000) : Below(random, 20000);
    const std::wstring text = MacroText(random, Chance(random, 90) && length < 65536 ? length % 80 : length);
    Win32xx::CString limited(text);
    const std::wstring unlimited = Expanded(text, values);
    const size_t whole = unlimited.size();
    // Often the whole expansion's size or one less: a limit met exactly, or passed by one character.
    const size_t limit = Chance(random, 40)   ? kMaxExpandedLength
                         : Chance(random, 50) ? whole - (whole > 0 && Chance(random, 50))
                                              : Below(random, 3 * text.size() + 1);
    const bool complete = ExpandNameAndLanguageMacros(limited, values, limit) &&
                          ExpandNextButtonAndEscapes(limited, values, limit);
    const std::wstring& expanded = limited.str();
    EXPECT_LE(expanded.size(), std::max(limit, text.size())) << "grew beyond its limit";
    // A value counts up to its first NUL: the text keeps its own NULs and gains none.
    EXPECT_EQ(std::count(expanded.begin(), expanded.end(), L'\0'), std::count(text.begin(), text.end(), L'\0'));
    EXPECT_TRUE(!complete || expanded == unlimited) << "a limit that was not reached changed the expansion";
    EXPECT_TRUE(text.find_first_of(L"$.") != std::wstring::npos || expanded == text) << "no macro, yet changed";
    return complete ? (expanded == text ? "unchanged" : "expanded") : "stopped at the limit";
}

}  // namespace

TEST(MacroCorpusTest, GeneratedTextsExpandWithinTheirLimit)
{
    RunCorpus(kMacros, RunMacroCase);
}

}  // namespace robustness
