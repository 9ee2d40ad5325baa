// Macro expansion of generated texts and values (whole, broken and nested
// macros, escapes, NULs, lone surrogates, texts of up to a million
// characters) under a length limit or none.

#include <gtest/gtest.h>

#include <algorithm>

#include "Corpus.h"
#include "resources/Macros.h"

namespace robustness {

namespace {

constexpr CorpusKind kMacros{"macros", 3000000, 800, 5000, 20000};

std::string RunMacroCase(unsigned seed)
{
    std::mt19937 random(seed);
    const auto value = [&random] { return MacroText(random, Chance(random, 5) ? 2000 : Below(random, 20)); };
    const MacroValues values{value(), value(), value(), value()};
    const size_t length = Chance(random, 2) ? 65536 + Below(random, 1000000) : Below(random, Chance(random, 10) ? 20000 : 80);
    const std::wstring text = MacroText(random, length);
    const size_t limit = Chance(random, 50) ? kMaxExpandedLength : Below(random, 3 * text.size() + 1);

    Win32xx::CString limited(text), unlimited(text);
    const bool complete = ExpandNameAndLanguageMacros(limited, values, limit) &&
                          ExpandNextButtonAndEscapes(limited, values, limit);
    ExpandMacros(unlimited, values);
    EXPECT_LE(limited.str().size(), std::max(limit, text.size())) << "grew beyond its limit";
    // A value counts up to its first NUL: the text keeps its own NULs and gains none.
    EXPECT_EQ(std::count(limited.str().begin(), limited.str().end(), L'\0'), std::count(text.begin(), text.end(), L'\0'));
    if (complete) {
        EXPECT_TRUE(limited.str() == unlimited.str()) << "a limit that was not reached changed the expansion";
    }
    if (text.find(L'$') == std::wstring::npos && text.find(L". \\") == std::wstring::npos) {
        EXPECT_TRUE(unlimited.str() == text) << "a text without macros changed";
    }
    return complete ? (limited.str() == text ? "unchanged" : "expanded") : "stopped at the limit";
}

}  // namespace

TEST(MacroCorpusTest, GeneratedTextsExpandWithinTheirLimit)
{
    RunCorpus(kMacros, RunMacroCase);
}

}  // namespace robustness
