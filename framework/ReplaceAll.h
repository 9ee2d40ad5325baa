// ReplaceAll: every occurrence of a text replaced in one pass, for wide and
// narrow strings alike.
#pragma once

#include <string>
#include <utility>

namespace Win32xx {

// Replaces every occurrence of `search` in `text` by `value` from left to
// right and returns how many there were; an inserted value is never searched
// again, and an empty search changes nothing. The result is built in a new
// string: replacing in place moves the rest of the text at every occurrence,
// which takes minutes on a long text with many.
template <typename Text>
int ReplaceAll(Text& text, const Text& search, const Text& value)
{
    if (search.empty())
        return 0;
    Text replaced;
    int count = 0;
    size_t copied = 0;
    for (size_t at = text.find(search); at != Text::npos; at = text.find(search, copied)) {
        replaced.append(text, copied, at - copied);
        replaced += value;
        copied = at + search.size();
        ++count;
    }
    if (count == 0)
        return 0;
    replaced.append(text, copied, Text::npos);
    text = std::move(replaced);
    return count;
}

}  // namespace Win32xx
