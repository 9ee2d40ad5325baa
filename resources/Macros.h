// The macros that localized texts may hold, and their replacement.
#pragma once

#include <string>

#include "framework/CString.h"

// The values that the macros stand for.
struct MacroValues {
    std::wstring productName;           // "$(^Name)", "${PRIMARY_SW_NAME}"
    std::wstring languageAbbreviation;  // "$(^LangAbrev)"
    std::wstring languageCode;          // "$(^LangID)"
    std::wstring nextButton;            // "$(^NextBtn)"
};

// The longest text, in characters, that expansion makes of one stored text. A
// value used many times (a product name of a megabyte, a hundred thousand
// times) would otherwise take gigabytes.
constexpr size_t kMaxExpandedLength = 1 << 20;

// Replace, in this order, "$(^Name)", "${PRIMARY_SW_NAME}", "$(^LangAbrev)",
// "$(^LangID)", "$(^NextBtn)", then the escapes "$\r" (carriage return),
// "$\n" (line feed) and ". \" (a period). Each search is case-sensitive; the
// text that a macro inserts is not searched again for that macro, but the
// later ones do search it. Values count up to their first NUL.
//
// In two halves, for a caller that reads the Next caption only when the text
// holds its macro once the first half has run: the name and language macros,
// then the Next caption and the escapes. Each stops before the text grows
// beyond `maxLength` and then returns false; what it replaced stays.
bool ExpandNameAndLanguageMacros(Win32xx::CString& text, const MacroValues& values, size_t maxLength);
bool ExpandNextButtonAndEscapes(Win32xx::CString& text, const MacroValues& values, size_t maxLength);
