// Rules for the texts of resources.db: UTF-8 validity and the macros that the
// program replaces before it shows a text.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace content {

// The byte offset of the first byte that does not begin a valid UTF-8
// sequence (overlong forms, surrogates and code points above U+10FFFF are
// invalid); nothing when the whole text is valid.
std::optional<std::size_t> FindInvalidUtf8(const std::string& text);

// The macros the program knows: $(^Name), ${PRIMARY_SW_NAME}, $(^LangAbrev),
// $(^LangID), $(^NextBtn) and the escapes $\r and $\n.
bool IsKnownMacro(const std::string& macro);

// Every macro-like sequence of a text, in order: "$(...)", "${...}" (up to the
// closing bracket, or to the end of the text when it is missing) and "$\"
// with the character after it. A dollar followed by anything else is plain
// text ("$5", "$1").
std::vector<std::string> FindMacros(const std::string& text);

// The 1-based line of a byte offset in a text.
int LineOfOffset(const std::string& text, std::size_t offset);

}  // namespace content
