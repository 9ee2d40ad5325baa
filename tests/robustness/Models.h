// The plain models that the corpus checks the program against, written the
// plain way rather than as the program writes them.
#pragma once

#include <string>

#include "resources/Macros.h"

namespace robustness {

// The macro table: each row is one left-to-right pass that copies the text
// and puts the value in place of each occurrence, so that a value is never
// searched by its own row but is by the rows after it. Values count up to
// their first NUL.
std::wstring ExpectedExpansion(const std::wstring& text, const MacroValues& values);

// Standard Base64 (RFC 4648 alphabet, padded, no line breaks).
std::string Base64(const std::string& bytes);

// `text` with every occurrence of `search` replaced by `value` in one pass.
template <typename Text>
Text ReplacedInOnePass(const Text& text, const Text& search, const Text& value)
{
    if (search.empty())
        return text;
    Text out;
    size_t at = 0;
    for (size_t found = text.find(search); found != Text::npos; found = text.find(search, at)) {
        out.append(text, at, found - at);
        out += value;
        at = found + search.size();
    }
    out.append(text, at, Text::npos);
    return out;
}

}  // namespace robustness
