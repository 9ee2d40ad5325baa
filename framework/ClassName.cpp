#include "ClassName.h"

#include <cstring>

namespace Win32xx {

namespace {

bool IsDigit(char ch) { return ch >= '0' && ch <= '9'; }

// Reads <length><identifier> from text; false when that is not what follows.
bool ReadSourceName(const char*& text, std::string& name)
{
    if (!IsDigit(*text))
        return false;
    size_t length = 0;
    while (IsDigit(*text)) {
        length = length * 10 + static_cast<size_t>(*text++ - '0');
        if (length > 4096)
            return false;
    }
    if (strnlen(text, length) < length)
        return false;
    name.assign(text, length);
    text += length;
    return true;
}

}  // namespace

std::string ClassName(const char* mangled)
{
    const char* text = mangled;
    const bool nested = *text == 'N';
    if (nested)
        ++text;
    std::string name;
    if (text[0] == 'S' && text[1] == 't') {
        name = "std";
        text += 2;
    }
    std::string part;
    size_t parts = 0;
    while (ReadSourceName(text, part)) {
        ++parts;
        if (!name.empty())
            name += "::";
        name += part == "_GLOBAL__N_1" ? "(anonymous namespace)" : part;
        while (*text == 'B' && ReadSourceName(++text, part))
            name += "[abi:" + part + "]";
        if (!nested)
            break;
    }
    if (nested && *text == 'E')
        ++text;
    else if (nested)
        return mangled;
    return parts > 0 && *text == '\0' ? name : mangled;
}

}  // namespace Win32xx
