#pragma once

#include <string>

// One language of the resource database. The code is a Windows language
// identifier in decimal ("1033"); "0" is the neutral language.
struct LangDefinition {
    std::wstring code;
    std::wstring abbreviation;
    std::wstring nativeName;
    std::wstring englishName;
    bool rightToLeft = false;
};
