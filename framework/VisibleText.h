// VisibleText: a text from outside (a zip entry name, an address, installer
// parameters) as a log record or a message box may show it.
#pragma once

#include <string>

namespace Win32xx {

// `text` with every control character written as \uXXXX (four upper-case
// hexadecimal digits): C0 controls, DEL, C1 controls, and the line and
// paragraph separators. A NUL would cut the text in a message box and write a
// NUL into the log; a line break would start a line that reads as a record of
// its own. Every other character, backslashes included, stays as it is, so a
// text without control characters is unchanged.
std::wstring VisibleText(const std::wstring& text);

}  // namespace Win32xx
