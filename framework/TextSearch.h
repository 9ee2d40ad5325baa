// TextSearch: finds a text in another in time linear in both (Knuth, Morris and
// Pratt), for wide and narrow strings alike.
#pragma once

#include <string>
#include <vector>

namespace Win32xx {

// The standard find compares the whole needle at each place where its first
// character occurs: a needle and a text of a few megabytes made of one letter
// take hours. This search never reads a character of the text twice; it keeps,
// for each prefix of the needle, the longest prefix that is also its end, and
// continues from there after a mismatch.
template <typename Text>
class TextSearch {
public:
    // `needle` must outlive the search.
    explicit TextSearch(const Text& needle) : m_needle(needle), m_border(needle.size(), 0)
    {
        for (size_t at = 1, matched = 0; at < m_needle.size(); ++at) {
            while (matched > 0 && m_needle[at] != m_needle[matched])
                matched = m_border[matched - 1];
            if (m_needle[at] == m_needle[matched])
                ++matched;
            m_border[at] = matched;
        }
    }

    // The first place at or after `from` where the needle starts in `text`;
    // Text::npos when there is none, or when the needle is empty.
    size_t FindIn(const Text& text, size_t from) const
    {
        using Traits = typename Text::traits_type;
        const size_t length = m_needle.size();
        if (length == 0 || from >= text.size() || text.size() - from < length)
            return Text::npos;
        for (size_t at = from, matched = 0; at < text.size(); ++at) {
            if (matched == 0) {
                // Nothing matched yet: skip to the next first character at once.
                const auto* first = Traits::find(text.data() + at, text.size() - at, m_needle[0]);
                if (!first)
                    return Text::npos;
                at = static_cast<size_t>(first - text.data());
            }
            while (matched > 0 && text[at] != m_needle[matched])
                matched = m_border[matched - 1];
            if (text[at] == m_needle[matched] && ++matched == length)
                return at + 1 - length;
        }
        return Text::npos;
    }

private:
    const Text& m_needle;
    std::vector<size_t> m_border;  // m_border[i]: the longest proper prefix that ends needle[0..i]
};

}  // namespace Win32xx
