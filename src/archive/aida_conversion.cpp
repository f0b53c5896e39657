// The indexed sections, template expansion and the target rules of the AIDA32 conversion.
#include "archive/aida_conversion.h"

#include "archive/collector_file.h"
#include "core/cp1251.h"
#include "core/kel_ini_file.h"
#include "core/text.h"

namespace pelgo::archive {
namespace {

// Equal for two names exactly when SameText says they are equal.
std::string Folded(std::string_view name) {
    std::string folded(name);
    for (char& c : folded) {
        c = core::FoldCase(c);
    }
    return folded;
}

// A stored line without "=" is all key and no value.
std::string_view KeyOf(std::string_view line) {
    return line.substr(0, line.find('='));
}

// A key written prefix{n}suffix whose "}" stands at index `closeFrom` or later: prefix, n (1 when it is
// no integer) and suffix.
struct NumberedKey {
    std::string prefix;
    int number;
    std::string suffix;
};

std::optional<NumberedKey> SplitNumberedKey(std::string_view key, std::size_t closeFrom) {
    const std::size_t open = key.find('{');
    const std::size_t close = key.find('}', closeFrom);
    if (open == std::string_view::npos || close == std::string_view::npos || close < open) {
        return std::nullopt;
    }
    return NumberedKey{std::string(key.substr(0, open)),
                       core::ParseInt(key.substr(open + 1, close - open - 1)).value_or(1),
                       std::string(key.substr(close + 1))};
}

// A target written with its section between brackets whose closing one stands at the fourth character or
// later; the text before the opening bracket is dropped.
std::optional<std::pair<std::string, std::string>> SplitBracketedTarget(std::string_view target, char open,
                                                                        char close) {
    const std::size_t openAt = target.find(open);
    const std::size_t closeAt = target.find(close, 3);
    if (openAt == std::string_view::npos || closeAt == std::string_view::npos || closeAt < openAt) {
        return std::nullopt;
    }
    return std::pair{std::string(target.substr(openAt + 1, closeAt - openAt - 1)),
                     std::string(target.substr(closeAt + 1))};
}

} // namespace

IndexedSections::IndexedSections(const core::TKelIniFile& file) {
    for (StoredSection& stored : StoredSections(file)) {
        Section& section = SectionToWrite(stored.name);
        section.lines = std::move(stored.lines);
        for (std::size_t line = 0; line < section.lines.size(); ++line) {
            section.lineOfKey.try_emplace(Folded(KeyOf(section.lines[line])), line);
        }
    }
}

std::string IndexedSections::ReadString(const std::string& section, const std::string& key,
                                        const std::string& defaultValue) const {
    const auto position = m_sectionOfName.find(Folded(section));
    if (position == m_sectionOfName.end()) {
        return defaultValue;
    }
    const Section& found = m_sections[position->second];
    const auto line = found.lineOfKey.find(Folded(key));
    if (line == found.lineOfKey.end()) {
        return defaultValue;
    }
    const std::string& text = found.lines[line->second];
    const std::size_t equals = text.find('=');
    return equals == std::string::npos ? std::string() : text.substr(equals + 1);
}

void IndexedSections::WriteString(const std::string& section, const std::string& key, const std::string& value) {
    if (key.empty()) {
        EraseSection(section);
        return;
    }
    Section& target = SectionToWrite(section);
    const auto [line, added] = target.lineOfKey.try_emplace(Folded(key), target.lines.size());
    if (added) {
        target.lines.push_back(key + "=" + value);
    } else {
        target.lines[line->second] = key + "=" + value;
    }
}

core::StringList IndexedSections::FileLines() const {
    core::StringList image;
    for (const Section& section : m_sections) {
        if (section.lines.empty()) {
            continue;
        }
        image.push_back("[" + section.name + "]");
        image.insert(image.end(), section.lines.begin(), section.lines.end());
        image.emplace_back();
    }
    return image;
}

IndexedSections::Section& IndexedSections::SectionToWrite(const std::string& name) {
    const auto [position, added] = m_sectionOfName.try_emplace(Folded(name), m_sections.size());
    if (added) {
        m_sections.push_back({name, {}, {}});
    }
    return m_sections[position->second];
}

void IndexedSections::EraseSection(const std::string& name) {
    const auto position = m_sectionOfName.find(Folded(name));
    if (position == m_sectionOfName.end()) {
        return;
    }
    const std::size_t erased = position->second;
    m_sections.erase(m_sections.begin() + static_cast<std::ptrdiff_t>(erased));
    m_sectionOfName.erase(position);
    for (auto& [folded, later] : m_sectionOfName) {
        if (later > erased) {
            --later;
        }
    }
}

std::vector<TemplateItem> GetStrings(std::string_view templateText) {
    enum class Open { Literal, Section, Key };
    std::vector<TemplateItem> items;
    Open open = Open::Literal;
    std::optional<std::string> section;
    std::string literal;
    std::string key;
    const auto endLiteral = [&] {
        if (!literal.empty()) {
            items.emplace_back(std::move(literal));
            literal.clear();
        }
    };
    const auto addReference = [&] {
        if (!section) {
            items.emplace_back(key);
        } else if (const auto numbered = SplitNumberedKey(key, 3)) {
            items.emplace_back(TemplateReference{*section, numbered->prefix, numbered->number, numbered->suffix});
        } else {
            items.emplace_back(TemplateReference{*section, key, std::nullopt, {}});
        }
    };
    for (const char c : templateText) {
        switch (c) {
        case '[':
            endLiteral();
            section.emplace();
            open = Open::Section;
            break;
        case ']':
            open = Open::Literal;
            break;
        case '<':
            endLiteral();
            key.clear();
            open = Open::Key;
            break;
        case '>':
            if (open == Open::Key) {
                addReference();
            }
            open = Open::Literal;
            break;
        default:
            (open == Open::Section ? *section : open == Open::Key ? key : literal) += c;
        }
    }
    if (open == Open::Key) {
        addReference();
    }
    endLiteral();
    return items;
}

core::StringList ExpandTemplate(const std::vector<TemplateItem>& items, const IndexedSections& report) {
    std::vector<TemplateItem> round = items;
    core::StringList lines;
    for (;;) {
        std::string line;
        bool anyValue = false;
        bool numberedValue = false;
        for (TemplateItem& item : round) {
            if (const auto* literal = std::get_if<std::string>(&item)) {
                line += *literal;
                continue;
            }
            auto& reference = std::get<TemplateReference>(item);
            std::string key = reference.key;
            if (reference.number) {
                key += std::to_string((*reference.number)++) + reference.suffix;
            }
            const std::string value = report.ReadString(reference.section, key, "");
            line += value;
            anyValue = anyValue || !value.empty();
            numberedValue = numberedValue || (reference.number && !value.empty());
        }
        if (!anyValue) {
            break;
        }
        lines.push_back(std::move(line));
        if (!numberedValue) {
            break;
        }
    }
    return lines;
}

void AidaConversion::ApplyRule(std::string_view rule, const IndexedSections& report, IndexedSections& target) {
    const std::size_t equals = rule.find('=');
    const std::string_view targetText = rule.substr(0, equals);
    const std::string_view templateText =
        equals == std::string_view::npos ? std::string_view() : rule.substr(equals + 1);
    if (templateText.empty()) {
        return;
    }
    auto sectionAndKey = SplitBracketedTarget(targetText, '[', ']');
    if (!sectionAndKey) {
        sectionAndKey = SplitBracketedTarget(targetText, '<', '>');
    }
    if (!sectionAndKey) {
        sectionAndKey = std::pair{m_targetSection, std::string(targetText)};
    }
    auto& [section, key] = *sectionAndKey;
    if (!core::SameText(section, m_targetSection)) {
        m_runningNumber.reset();
    }
    m_targetSection = section;
    if (const auto numbered = SplitNumberedKey(key, 2)) {
        m_runningNumber = numbered->number;
        key = numbered->prefix + numbered->suffix;
    }
    WriteStrings(key, ExpandTemplate(GetStrings(templateText), report), target);
}

void AidaConversion::ApplyRules(const core::StringList& rules, const IndexedSections& report, IndexedSections& target) {
    for (const std::string& rule : rules) {
        ApplyRule(rule, report, target);
    }
}

void AidaConversion::WriteStrings(const std::string& key, const core::StringList& lines, IndexedSections& target) {
    if (!m_runningNumber && lines.size() == 1) {
        target.WriteString(m_targetSection, key, lines.front());
        return;
    }
    // A template that found nothing still starts the numbering of its section.
    int& number = m_runningNumber.emplace(m_runningNumber.value_or(0));
    for (const std::string& line : lines) {
        target.WriteString(m_targetSection, key + std::to_string(number++), line);
    }
}

void NormaliseAddress(IndexedSections& file) {
    std::string address = core::ReplaceAll(core::UpperLatin(file.ReadString("Info", "MAC_Addr", "BAD_MAC")), "-", "");
    if (address.size() < 12) {
        address.insert(0, 12 - address.size(), '0');
    }
    file.WriteString("Info", "MAC_Addr", address);
}

} // namespace pelgo::archive
