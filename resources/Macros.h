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

// Replaces, in this order, "$(^Name)", "${PRIMARY_SW_NAME}", "$(^LangAbrev)",
// "$(^LangID)", "$(^NextBtn)", then the escapes "$\r" (carriage return),
// "$\n" (line feed) and ". \" (a period). Each search is case-sensitive; the
// text that a macro inserts is not searched again for that macro, but the
// later ones do search it. Returns `text`.
Win32xx::CString& ExpandMacros(Win32xx::CString& text, const MacroValues& values);
