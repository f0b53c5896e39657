// The collector-file search. A search over many shared directories must not cost much more than reading the
// files, so each file is read once and only the chosen section is looked at: the scan jumps from one "[" to
// the next until the section's header, and only its values are folded.
#include "search/config_search.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "core/cp1251.h"
#include "core/errors.h"
#include "core/file.h"
#include "core/text.h"
#include "core/translator.h"

namespace pelgo::search {
namespace {

// A value is read as the profile functions read it: into a buffer of 256 bytes.
constexpr std::size_t kValueLimit = 255;
constexpr std::size_t kRuleLength = 96;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
// The window opens this many lines past the BEGIN line, on the file's text.
constexpr std::size_t kScrollPastBegin = 10;

char SectionChar(char c) {
    return c == '_' ? ' ' : core::FoldCase(c);
}

std::string_view Unquoted(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

bool IsLineEnd(char c) {
    return c == '\n' || c == '\r';
}

// One line of the file: [begin, end) without its line end.
struct LineSpan {
    std::size_t begin;
    std::size_t end;
};

LineSpan LineAt(std::string_view bytes, std::size_t begin) {
    std::size_t end = begin;
    while (end < bytes.size() && !IsLineEnd(bytes[end])) {
        ++end;
    }
    return {begin, end};
}

std::size_t NextLine(std::string_view bytes, std::size_t end) {
    if (end < bytes.size() && bytes[end] == '\r') {
        ++end;
    }
    if (end < bytes.size() && bytes[end] == '\n') {
        ++end;
    }
    return end;
}

// The section name of a header line, or nothing when the line is none.
std::optional<std::string_view> HeaderName(std::string_view line) {
    const std::string_view trimmed = core::Trim(line);
    if (trimmed.empty() || trimmed.front() != '[') {
        return std::nullopt;
    }
    const std::size_t close = trimmed.rfind(']');
    if (close == std::string_view::npos) {
        return std::nullopt;
    }
    return core::Trim(trimmed.substr(1, close - 1));
}

// Where the body of the first section named `section` begins (the line after its header), or npos. Only
// lines that hold a "[" after their leading blanks can be headers, so the scan goes from one "[" to the next.
std::size_t SectionBody(std::string_view bytes, std::string_view section) {
    std::size_t at = 0;
    while (at < bytes.size()) {
        const void* found = std::memchr(bytes.data() + at, '[', bytes.size() - at);
        if (found == nullptr) {
            return std::string_view::npos;
        }
        const std::size_t bracket = static_cast<const char*>(found) - bytes.data();
        std::size_t begin = bracket;
        while (begin > 0 && !IsLineEnd(bytes[begin - 1]) && static_cast<unsigned char>(bytes[begin - 1]) < 33) {
            --begin;
        }
        const LineSpan line = LineAt(bytes, bracket);
        if (begin == 0 || IsLineEnd(bytes[begin - 1])) {
            const auto name = HeaderName(bytes.substr(begin, line.end - begin));
            if (name && SameSectionName(*name, section)) {
                return NextLine(bytes, line.end);
            }
        }
        at = NextLine(bytes, line.end);
    }
    return std::string_view::npos;
}

struct Entry {
    std::string_view key;   // empty for an entry without "="
    std::string_view value; // the entry whole when it has no "="
};

// Calls `visit` with each entry of the section whose body begins at `at`, up to the next header, until it
// returns true; returns whether one did.
template <typename Visit> bool VisitEntries(std::string_view bytes, std::size_t at, Visit visit) {
    while (at < bytes.size()) {
        const LineSpan span = LineAt(bytes, at);
        at = NextLine(bytes, span.end);
        const std::string_view line = core::Trim(bytes.substr(span.begin, span.end - span.begin));
        if (line.empty() || line.front() == ';') {
            continue;
        }
        if (line.front() == '[' && line.find(']') != std::string_view::npos) {
            return false;
        }
        const std::size_t equals = line.find('=');
        Entry entry;
        if (equals == std::string_view::npos) {
            entry.value = line;
        } else {
            entry.key = core::TrimRight(line.substr(0, equals));
            entry.value = Unquoted(core::TrimLeft(line.substr(equals + 1))).substr(0, kValueLimit);
        }
        if (visit(entry)) {
            return true;
        }
    }
    return false;
}

// Whether an earlier entry of the section has the same key: only the first value of a repeated key counts.
bool RepeatedKey(std::string_view bytes, std::size_t body, const Entry& entry) {
    if (entry.key.empty()) {
        return false;
    }
    bool repeated = false;
    VisitEntries(bytes, body, [&](const Entry& earlier) {
        if (earlier.key.data() >= entry.key.data()) {
            return true;
        }
        repeated = core::SameText(earlier.key, entry.key);
        return repeated;
    });
    return repeated;
}

std::string ReadValue(std::string_view bytes, std::string_view section, std::string_view key) {
    const std::size_t body = SectionBody(bytes, section);
    std::string value;
    if (body != std::string_view::npos) {
        VisitEntries(bytes, body, [&](const Entry& entry) {
            if (!entry.key.empty() && core::SameText(entry.key, key)) {
                value = entry.value;
                return true;
            }
            return false;
        });
    }
    return value;
}

std::string WithoutTrailingSlash(std::string_view directory) {
    while (directory.size() > 1 && directory.back() == '/') {
        directory.remove_suffix(1);
    }
    return std::string(directory);
}

} // namespace

const std::vector<std::string>& ConfigSections() {
    static const std::vector<std::string> sections = {"INFO", "Computer", "WINDOWS Devices", "WINDOWS Soft"};
    return sections;
}

bool SameSectionName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (SectionChar(a[i]) != SectionChar(b[i])) {
            return false;
        }
    }
    return true;
}

FindOutcome ConfigSearch::Find(std::string_view text, bool matchCase, bool continued, const core::DateTime& now,
                               const std::function<void()>& processEvents) {
    m_lastHit = {};
    FindOutcome outcome;
    const TextMatcher matcher(text, matchCase);
    outcome.found = StartFind(matcher, text, continued, now, processEvents, outcome);
    if (!outcome.found) {
        return outcome;
    }
    outcome.treeText = m_lastHit.inventory.empty() ? m_lastHit.mac : m_lastHit.inventory;
    if (m_lastHit.mac.size() + m_lastHit.inventory.size() <= 12) {
        return outcome;
    }
    outcome.question = core::Text(201, "Найти") + " ";
    if (m_lastHit.inventory.empty()) {
        outcome.question += core::Text(2033, "MAC-adr") + " " + m_lastHit.mac;
    } else {
        outcome.question += m_lastHit.inventory;
    }
    outcome.question += " ?";
    return outcome;
}

bool ConfigSearch::StartFind(const TextMatcher& matcher, std::string_view /*text*/, bool continued,
                             const core::DateTime& now, const std::function<void()>& processEvents,
                             FindOutcome& outcome) {
    const std::string quoted = "\"" + matcher.Pattern() + "\"...";
    if (continued) {
        m_output.push_back(core::LogStamp(now) + core::Utf8ToCp1251(" Продолжение поиска ") + quoted);
    } else {
        m_output.clear();
        m_scrollLine = 0;
        m_position = {};
        m_output.push_back(core::Utf8ToCp1251("Поиск ") + quoted);
    }
    if (directories.empty()) {
        outcome.message = core::Utf8ToCp1251("Настройка поиска") + " :\n" +
                          core::Text(4150, "Кнопками \"Добавить\"-\"Удалить\"\r\nзаполните перечень каталогов !");
        return false;
    }
    while (m_position.directory < directories.size()) {
        const bool toEnd = !directories[m_position.directory].ticked || SubFind(matcher);
        if (processEvents) {
            processEvents();
        }
        if (!toEnd) {
            return true;
        }
        ++m_position.directory;
        m_position.files.clear();
        m_position.file = -1;
    }
    return false;
}

bool ConfigSearch::SubFind(const TextMatcher& matcher) {
    const std::string& directory = directories[m_position.directory].path;
    if (m_position.file < 0) {
        if (!core::DirectoryExists(directory)) {
            m_output.push_back("Path not found : " + directory);
            return true;
        }
        m_position.files = core::FilesIn(directory);
        m_position.file = 0;
        m_output.emplace_back();
        m_output.push_back("----[" + directory + "]---- (Total files : " + std::to_string(m_position.files.size()) +
                           ")");
    }
    while (static_cast<std::size_t>(m_position.file) < m_position.files.size()) {
        const bool hit = FindInFile(matcher, directory, m_position.files[m_position.file]);
        ++m_position.file;
        if (hit) {
            return false;
        }
    }
    return true;
}

bool ConfigSearch::FindInFile(const TextMatcher& matcher, const std::string& directory, const std::string& name) {
    const std::string joined = WithoutTrailingSlash(directory);
    std::string bytes;
    try {
        bytes = core::ReadFileBytes(joined + "/" + name);
    } catch (const core::FileError&) {
        m_output.push_back("File not found : " + name);
        return false;
    }
    // A file saved with a byte-order mark must not lose its first header to it.
    std::string_view entries = bytes;
    if (entries.starts_with(kByteOrderMark)) {
        entries.remove_prefix(kByteOrderMark.size());
    }
    const std::size_t body = SectionBody(entries, section);
    if (body == std::string_view::npos) {
        return false;
    }
    const bool hit = VisitEntries(entries, body, [&](const Entry& entry) {
        return matcher.Contains(entry.value) && !RepeatedKey(entries, body, entry);
    });
    if (!hit) {
        return false;
    }
    m_lastHit.directory = directory;
    m_lastHit.name = name;
    m_lastHit.index = static_cast<std::size_t>(m_position.file);
    m_lastHit.count = m_position.files.size();
    m_lastHit.mac = ReadValue(entries, "Info", "MAC_Addr");
    m_lastHit.inventory = ReadValue(entries, "Info", "InventoryNumber");

    const std::string heading = core::Utf8ToCp1251("---- файл ") + joined + "/" + name + " (" +
                                std::to_string(m_lastHit.index + 1) + core::Utf8ToCp1251("-й из ") +
                                std::to_string(m_lastHit.count) + ")";
    const std::string rule(kRuleLength, '-');
    const std::size_t begin = m_output.size();
    m_output.push_back(heading + " --- BEGIN " + rule);
    for (const std::string_view line : core::SplitLines(bytes)) {
        if (!line.empty()) {
            m_output.push_back("   " + std::string(line));
        }
    }
    m_output.push_back(heading + " ---  END  " + rule);
    m_output.emplace_back();
    m_scrollLine = std::min(begin + kScrollPastBegin, m_output.size() - 1);
    return true;
}

} // namespace pelgo::search
