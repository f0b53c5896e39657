// The work-log viewer's lines: the log cut into lines block by block, filtered and coloured.
#include "search/log_view.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <utility>

#include "core/file.h"
#include "core/translator.h"
#include "search/text_match.h"
#include "structure/node_types.h"

namespace pelgo::search {
namespace {

constexpr std::size_t kBlockSize = 4096;
// Lines handed over at a time: a screenful and more, few enough calls for a log of a million lines.
constexpr std::size_t kBatchLines = 256;

struct KeywordDefault {
    const char* word;
    LogColour colour;
};

// In table order: the first keyword a line holds decides, so "добавлен" beats "Удален".
constexpr std::array<KeywordDefault, 10> kKeywordDefaults{{
    {"добавлен", LogColour::Green},
    {"Изменен", LogColour::Blue},
    {"Чтение", LogColour::Olive},
    {"Запись", LogColour::Maroon},
    {"перемещен", LogColour::Purple},
    {"Удален", LogColour::Red},
    {"Загружен", LogColour::Navy},
    {"СБОЙ", LogColour::Red},
    {"Ошибка", LogColour::Red},
    {"SENTINOX", LogColour::Red},
}};

struct KeywordMatcher {
    TextMatcher matcher;
    LogColour colour;
};

std::vector<KeywordMatcher> KeywordMatchers(const std::vector<LogKeyword>& keywords) {
    std::vector<KeywordMatcher> matchers;
    matchers.reserve(keywords.size());
    for (const LogKeyword& keyword : keywords) {
        // An empty translation would colour every line; it names no keyword.
        if (!keyword.word.empty()) {
            matchers.push_back({TextMatcher(keyword.word, true), keyword.colour});
        }
    }
    return matchers;
}

LogColour ColourOf(std::string_view line, const std::vector<KeywordMatcher>& keywords) {
    for (const KeywordMatcher& keyword : keywords) {
        if (keyword.matcher.Contains(line)) {
            return keyword.colour;
        }
    }
    return LogColour::Black;
}

// The next place from a position on where a text holds a needle, searched again only once passed: a block of
// many lines is searched at once, not line by line. A needle with a line end is held by no line.
class NextHit {
public:
    NextHit(std::string_view text, const TextMatcher* needle)
        : m_text(text), m_needle(needle != nullptr && !HasLineEnd(needle->Pattern()) ? needle : nullptr) {}

    std::size_t From(std::size_t from) {
        if (!m_known || m_at < from) {
            const std::size_t found = m_needle != nullptr ? m_needle->Find(m_text, from) : std::string_view::npos;
            m_at = found == std::string_view::npos ? m_text.size() : found;
            m_known = true;
        }
        return m_at;
    }

private:
    static bool HasLineEnd(std::string_view text) { return text.find_first_of("\r\n") != std::string_view::npos; }

    std::string_view m_text;
    const TextMatcher* m_needle;
    std::size_t m_at = 0;
    bool m_known = false;
};

// The next CR or LF from a position on, searched again only once passed.
class NextEnd {
public:
    NextEnd(std::string_view text, char end) : m_text(text), m_end(end) {}

    std::size_t From(std::size_t from) {
        if (!m_known || m_at < from) {
            const void* found =
                from < m_text.size() ? std::memchr(m_text.data() + from, m_end, m_text.size() - from) : nullptr;
            m_at = found != nullptr ? static_cast<std::size_t>(static_cast<const char*>(found) - m_text.data())
                                    : m_text.size();
            m_known = true;
        }
        return m_at;
    }

private:
    std::string_view m_text;
    char m_end;
    std::size_t m_at = 0;
    bool m_known = false;
};

bool IsLineEnd(char c) {
    return c == '\r' || c == '\n';
}

// Which lines are shown: the folded filter is held by the folded line, or the second filter, unfolded, is.
class LineFilter {
public:
    LineFilter(std::string_view filter, std::string_view secondFilter)
        : m_fold(filter, false), m_filter(m_fold.Pattern(), true), m_second(secondFilter, true), m_all(filter.empty()),
          m_hasSecond(!secondFilter.empty()) {}

    bool ShowsAll() const { return m_all; }
    std::string Folded(std::string_view text) const { return m_fold.Compared(text); }
    const TextMatcher& Filter() const { return m_filter; }
    const TextMatcher* Second() const { return m_hasSecond ? &m_second : nullptr; }

private:
    TextMatcher m_fold;
    TextMatcher m_filter;
    TextMatcher m_second;
    bool m_all;
    bool m_hasSecond;
};

// Cuts the blocks into lines, a line that runs over a block's end carried into the next, and hands over the
// shown ones in batches.
class LineCollector {
public:
    LineCollector(const LineFilter& filter, std::vector<KeywordMatcher> keywords,
                  const std::function<void(std::vector<LogLine>&)>& deliver)
        : m_filter(filter), m_keywords(std::move(keywords)), m_deliver(deliver) {}

    void Block(std::string_view block) {
        const auto firstEnd = std::find_if(block.begin(), block.end(), IsLineEnd);
        if (firstEnd == block.end()) {
            m_carried.append(block);
            return;
        }
        const std::size_t first = static_cast<std::size_t>(firstEnd - block.begin());
        const std::size_t last =
            block.size() - 1 -
            static_cast<std::size_t>(std::find_if(block.rbegin(), block.rend(), IsLineEnd) - block.rbegin());
        m_carried.append(block.substr(0, first));
        Lines(m_carried);
        if (last > first) {
            Lines(block.substr(first + 1, last - first - 1));
        }
        m_carried.assign(block.substr(last + 1));
    }

    // The last line counts without an end.
    void Finish() {
        Lines(m_carried);
        if (!m_batch.empty()) {
            m_deliver(m_batch);
        }
    }

private:
    // The lines of a text that ends where its last line does.
    void Lines(std::string_view text) {
        const std::string folded = m_filter.ShowsAll() ? std::string() : m_filter.Folded(text);
        NextHit filterHit(folded, m_filter.ShowsAll() ? nullptr : &m_filter.Filter());
        NextHit secondHit(folded, m_filter.ShowsAll() ? nullptr : m_filter.Second());
        std::vector<NextHit> keywordHits;
        keywordHits.reserve(m_keywords.size());
        for (const KeywordMatcher& keyword : m_keywords) {
            keywordHits.emplace_back(text, &keyword.matcher);
        }
        NextEnd crs(text, '\r');
        NextEnd lfs(text, '\n');
        for (std::size_t start = 0; start <= text.size();) {
            if (!m_filter.ShowsAll()) {
                const std::size_t hit = std::min(filterHit.From(start), secondHit.From(start));
                if (hit == text.size()) {
                    return;
                }
                // Skip the lines before the hit's one.
                for (std::size_t i = hit; i > start; --i) {
                    if (IsLineEnd(text[i - 1])) {
                        start = i;
                        break;
                    }
                }
            }
            const std::size_t end = std::min(crs.From(start), lfs.From(start));
            if (end > start) {
                Line(text.substr(start, end - start), ColourAt(keywordHits, start, end));
            }
            start = end + 1;
        }
    }

    LogColour ColourAt(std::vector<NextHit>& keywordHits, std::size_t start, std::size_t end) const {
        for (std::size_t k = 0; k < keywordHits.size(); ++k) {
            if (keywordHits[k].From(start) < end) {
                return m_keywords[k].colour;
            }
        }
        return LogColour::Black;
    }

    void Line(std::string_view line, LogColour colour) {
        m_batch.push_back({std::string(line), colour});
        if (m_batch.size() >= kBatchLines) {
            m_deliver(m_batch);
            m_batch.clear();
        }
    }

    const LineFilter& m_filter;
    std::vector<KeywordMatcher> m_keywords;
    const std::function<void(std::vector<LogLine>&)>& m_deliver;
    std::string m_carried;
    std::vector<LogLine> m_batch;
};

} // namespace

const char* ColourName(LogColour colour) {
    switch (colour) {
    case LogColour::Green:
        return "green";
    case LogColour::Blue:
        return "blue";
    case LogColour::Olive:
        return "olive";
    case LogColour::Maroon:
        return "maroon";
    case LogColour::Purple:
        return "purple";
    case LogColour::Red:
        return "red";
    case LogColour::Navy:
        return "navy";
    case LogColour::Black:
        break;
    }
    return "black";
}

std::vector<LogKeyword> LogKeywords() {
    std::vector<LogKeyword> keywords;
    keywords.reserve(kKeywordDefaults.size());
    for (std::size_t i = 0; i < kKeywordDefaults.size(); ++i) {
        keywords.push_back({core::Text(kLogKeywordTextId + static_cast<int>(i), kKeywordDefaults[i].word),
                            kKeywordDefaults[i].colour});
    }
    return keywords;
}

LogColour LineColour(std::string_view line, const std::vector<LogKeyword>& keywords) {
    return ColourOf(line, KeywordMatchers(keywords));
}

void LoadLog(const std::string& path, std::string_view filter, std::string_view secondFilter,
             const std::function<void(std::vector<LogLine>& batch)>& deliver) {
    std::optional<core::LockedFile> file = core::LockedFile::Open(path, core::LockedFile::Access::Read, false);
    if (!file) {
        std::vector<LogLine> missing{{core::Text(1044, "Файл не найден ") + path, LogColour::Black}};
        deliver(missing);
        return;
    }
    const LineFilter lineFilter(filter, secondFilter);
    LineCollector lines(lineFilter, KeywordMatchers(LogKeywords()), deliver);
    for (std::int64_t offset = 0;; offset += kBlockSize) {
        const std::string block = file->ReadAt(offset, kBlockSize);
        if (block.empty()) {
            break;
        }
        lines.Block(block);
    }
    lines.Finish();
}

std::vector<LogLine> LoadLog(const std::string& path, std::string_view filter, std::string_view secondFilter) {
    std::vector<LogLine> all;
    LoadLog(path, filter, secondFilter, [&](std::vector<LogLine>& batch) {
        all.insert(all.end(), std::make_move_iterator(batch.begin()), std::make_move_iterator(batch.end()));
    });
    return all;
}

LogFilters FiltersOf(const structure::TreeModel& tree, const structure::TreeNode* selected) {
    LogFilters filters;
    if (selected == nullptr) {
        return filters;
    }
    filters.filter = selected->Text();
    if (selected->Icon() == structure::kIconComputer) {
        const structure::TreeNode* next = tree.Next(*selected);
        if (next != nullptr && next->Parent() == selected && next->Icon() == structure::kIconMacAddress) {
            filters.secondFilter = next->Text();
        }
    }
    return filters;
}

std::string TodayFilter(const core::DateTime& now) {
    return core::FormatDateTime(now, "dd.MM.yyyy ");
}

} // namespace pelgo::search
