// ReplaceAll: every occurrence of a text replaced in one pass, for wide and
// narrow strings alike; ReplaceAllWithin stops before a size limit.
#pragma once

#include <string>
#include <utility>

#include "TextSearch.h"

namespace Win32xx {

namespace detail {

// Replaces from left to right until a replacement would make the text longer
// than `maxSize`; sets `stopped` then and leaves that occurrence and the ones
// after it as they are. The result is built in a new string: replacing in
// place moves the rest of the text at every occurrence, which takes minutes
// on a long text with many. The search is linear too (TextSearch.h).
template <typename Text>
int ReplaceUpTo(Text& text, const Text& search, const Text& value, size_t maxSize, bool& stopped)
{
    stopped = false;
    if (search.empty() || search.size() > text.size())
        return 0;
    const TextSearch<Text> finder(search);
    Text replaced;
    int count = 0;
    size_t copied = 0;
    size_t length = text.size();  // with the replacements made so far
    for (size_t at = finder.FindIn(text, 0); at != Text::npos; at = finder.FindIn(text, copied)) {
        if (value.size() > search.size() && length + (value.size() - search.size()) > maxSize) {
            stopped = true;
            break;
        }
        replaced.append(text, copied, at - copied);
        replaced += value;
        copied = at + search.size();
        length = length - search.size() + value.size();
        ++count;
    }
    if (count == 0)
        return 0;
    replaced.append(text, copied, Text::npos);
    text = std::move(replaced);
    return count;
}

}  // namespace detail

// Replaces every occurrence of `search` in `text` by `value` from left to
// right and returns how many there were; an inserted value is never searched
// again, and an empty search changes nothing.
template <typename Text>
int ReplaceAll(Text& text, const Text& search, const Text& value)
{
    bool stopped = false;
    return detail::ReplaceUpTo(text, search, value, Text::npos, stopped);
}

// ReplaceAll for texts from outside, whose values may hold what a later pass
// replaces again and so multiply the text: makes the replacements in order
// while the text stays within `maxSize` (one that does not lengthen the text
// is always made) and returns false when it had to leave occurrences.
template <typename Text>
bool ReplaceAllWithin(Text& text, const Text& search, const Text& value, size_t maxSize)
{
    bool stopped = false;
    detail::ReplaceUpTo(text, search, value, maxSize, stopped);
    return !stopped;
}

}  // namespace Win32xx
