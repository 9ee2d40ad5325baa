// Texts for the macro corpus: pieces of macros whole and broken, escapes,
// NULs, surrogates and plain words, in short texts and (rarely) in texts of
// up to a million characters.
#pragma once

#include <random>
#include <string>

namespace robustness {

// A text of about `length` characters made of such pieces.
std::wstring MacroText(std::mt19937& random, size_t length);

// A length: mostly short, sometimes long, rarely huge.
size_t MacroTextLength(std::mt19937& random);

}  // namespace robustness
