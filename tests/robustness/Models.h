// The model of the macro table that the corpus checks the program's
// expansion against: its rows written out plainly, their replacement the
// framework's (tested on its own).
#pragma once

#include <string>

#include "framework/Base64.h"
#include "resources/Macros.h"

namespace robustness {

// The macro table: each row is one left-to-right pass that copies the text
// and puts the value in place of each occurrence, so that a value is never
// searched by its own row but is by the rows after it. Values count up to
// their first NUL.
std::wstring ExpectedExpansion(const std::wstring& text, const MacroValues& values);

// The Base64 text of a picture's bytes, by the framework's encoder (tested on
// its own against the standard's vectors).
inline std::string Base64Of(const std::string& bytes)
{
    return Win32xx::Base64Encode(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
}

}  // namespace robustness
