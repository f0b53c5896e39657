// Folding and containment for the searches.
#include "search/text_match.h"

#include <cstring>

#include "core/cp1251.h"

namespace pelgo::search {
namespace {

bool Holds(std::string_view text, std::string_view part) {
    if (part.empty()) {
        return true;
    }
    return part.size() <= text.size() && ::memmem(text.data(), text.size(), part.data(), part.size()) != nullptr;
}

std::size_t FindFrom(std::string_view text, std::string_view part, std::size_t from) {
    if (from > text.size()) {
        return std::string_view::npos;
    }
    const void* found = ::memmem(text.data() + from, text.size() - from, part.data(), part.size());
    return found != nullptr ? static_cast<std::size_t>(static_cast<const char*>(found) - text.data())
                            : std::string_view::npos;
}

} // namespace

TextMatcher::TextMatcher(std::string_view pattern, bool matchCase)
    : m_pattern(matchCase ? std::string(pattern) : core::UpperCyrillic(pattern)), m_matchCase(matchCase) {
}

std::string TextMatcher::Compared(std::string_view text) const {
    return m_matchCase ? std::string(text) : core::UpperCyrillic(text);
}

bool TextMatcher::Contains(std::string_view text) const {
    if (m_matchCase) {
        return Holds(text, m_pattern);
    }
    // Folded into a buffer kept between calls: searches compare many short texts.
    thread_local std::string folded;
    folded.assign(text);
    core::FoldUpperCyrillic(folded);
    return Holds(folded, m_pattern);
}

std::size_t TextMatcher::Find(std::string_view text, std::size_t from) const {
    return m_matchCase ? FindFrom(text, m_pattern, from) : FindFrom(Compared(text), m_pattern, from);
}

bool TextMatcher::ContainsOrContained(std::string_view text) const {
    if (text.empty()) {
        return false;
    }
    const std::string compared = Compared(text);
    return Holds(compared, m_pattern) || Holds(m_pattern, compared);
}

} // namespace pelgo::search
