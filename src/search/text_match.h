// The one comparison of every search: whether a text holds the pattern, both sides folded with the shared
// upper-case fold (Latin a…z, Cyrillic а…я; ё stays) unless the case must match. cp1251 throughout.
#pragma once

#include <string>
#include <string_view>

namespace pelgo::search {

class TextMatcher {
public:
    TextMatcher(std::string_view pattern, bool matchCase);

    // The pattern as compared: folded unless the case must match.
    const std::string& Pattern() const { return m_pattern; }
    bool MatchCase() const { return m_matchCase; }
    // The text as compared, folded unless the case must match.
    std::string Compared(std::string_view text) const;

    // Whether the text holds the pattern (an empty pattern is held by every text).
    bool Contains(std::string_view text) const;
    // Where the text, as compared, first holds the pattern from `from` on; npos when it does not. Lets a scan
    // look through a block of many lines at once instead of line by line.
    std::size_t Find(std::string_view text, std::size_t from = 0) const;
    // Whether the text holds the pattern or the pattern holds the text; an empty text never matches. The tree
    // search finds a node captioned with a surname by the full name.
    bool ContainsOrContained(std::string_view text) const;

private:
    std::string m_pattern;
    bool m_matchCase;
};

} // namespace pelgo::search
