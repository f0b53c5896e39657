// Template expansion and the target rules of the AIDA32 conversion.
#include "archive/aida_conversion.h"

#include "core/cp1251.h"
#include "core/text.h"

namespace pelgo::archive {
namespace {

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

core::StringList ExpandTemplate(const std::vector<TemplateItem>& items, core::CustomIniFile& report) {
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

void AidaConversion::ApplyRule(std::string_view rule, core::CustomIniFile& report, core::CustomIniFile& target) {
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

void AidaConversion::ApplyRules(const core::StringList& rules, core::CustomIniFile& report,
                                core::CustomIniFile& target) {
    for (const std::string& rule : rules) {
        ApplyRule(rule, report, target);
    }
}

void AidaConversion::WriteStrings(const std::string& key, const core::StringList& lines, core::CustomIniFile& target) {
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

void NormaliseAddress(core::CustomIniFile& file) {
    std::string address = core::ReplaceAll(core::UpperLatin(file.ReadString("Info", "MAC_Addr", "BAD_MAC")), "-", "");
    if (address.size() < 12) {
        address.insert(0, 12 - address.size(), '0');
    }
    file.WriteString("Info", "MAC_Addr", address);
}

} // namespace pelgo::archive
