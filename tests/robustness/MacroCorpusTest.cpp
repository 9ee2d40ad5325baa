// Macro expansion over generated texts and values: whole, broken and nested
// macros, escapes, NULs, lone surrogates and huge texts, compared with the
// plain model of the macro table.

#include <gtest/gtest.h>

#include "Corpus.h"
#include "Models.h"
#include "support/Files.h"

namespace robustness {

namespace {

constexpr CorpusKind kMacros{"macros", 3000000, 5000, 20000};

std::wstring MacroValue(std::mt19937& random)
{
    return MacroText(random, Chance(random, 5) ? 2000 : Below(random, 20));
}

CaseResult RunMacroCase(unsigned seed)
{
    std::mt19937 random(seed);
    MacroValues values;
    values.productName = MacroValue(random);
    values.languageAbbreviation = MacroValue(random);
    values.languageCode = MacroValue(random);
    values.nextButton = MacroValue(random);
    const std::wstring text = MacroText(random, MacroTextLength(random));

    Win32xx::CString expanded(text);
    ExpandMacros(expanded, values);
    const std::wstring expected = ExpectedExpansion(text, values);
    if (expanded.str() != expected) {
        const auto [at, unused] = std::mismatch(expected.begin(), expected.end(), expanded.str().begin(),
                                                expanded.str().end());
        ADD_FAILURE() << "expansion differs from the model at character " << (at - expected.begin()) << " of "
                      << expected.size() << " (text of " << text.size() << " characters)";
    }
    return {true, expected == text ? "unchanged" : "expanded"};
}

}  // namespace

TEST(MacroCorpusTest, GeneratedTextsExpandAsTheMacroTableSays)
{
    RunCorpus(kMacros, RunMacroCase);
}

}  // namespace robustness
