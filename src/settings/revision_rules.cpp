// The revision's rule rows in their stored form. A row is an exclusion exactly when the revision takes it for
// one: its trimmed TYP is the absence word, compared after the Cyrillic fold (a row typed "нет" is one). A TYP
// that merely contains the word ("Нет!") is an inclusion there, with a column of its own; storing it among the
// exclusions would renumber the columns after it at the next reading.
#include "settings/revision_rules.h"

#include <array>

#include "core/cp1251.h"
#include "core/file.h"
#include "core/text.h"
#include "core/translator.h"

namespace pelgo::settings {

namespace {

constexpr std::size_t kMaxStoredText = 255;

bool IsExclusion(const RevisionRule& rule, const std::string& foldedAbsence) {
    return !foldedAbsence.empty() && core::UpperCyrillic(core::Trim(rule.typ)) == foldedAbsence;
}

} // namespace

std::vector<std::string> RuleTypeWords() {
    static constexpr std::array<const char*, 5> kWords{"Есть", "+Есть", "<", ">", "Нет"};
    std::vector<std::string> words;
    for (std::size_t i = 0; i < kWords.size(); ++i) {
        words.push_back(core::Text(3076 + static_cast<int>(i), kWords[i]));
    }
    return words;
}

std::string AbsenceWord() {
    return RuleTypeWords().back();
}

RevisionRule ParseRevisionRule(std::string_view line) {
    std::array<std::string, 3> fields;
    for (std::string& field : fields) {
        const std::size_t bar = line.find('|');
        if (bar == std::string_view::npos) {
            field = std::string(line);
            line = {};
            continue;
        }
        field = std::string(line.substr(0, bar));
        line.remove_prefix(bar + 1);
    }
    return {std::move(fields[0]), std::move(fields[1]), std::move(fields[2]),
            std::string(line.substr(0, kMaxStoredText))};
}

std::string RevisionRuleLine(const RevisionRule& rule) {
    return rule.group + "|" + rule.name + "|" + rule.typ + "|" + rule.text;
}

std::vector<RevisionRule> ParseRevisionRules(const std::vector<std::string>& lines) {
    std::vector<RevisionRule> rules;
    rules.reserve(lines.size());
    for (const std::string& line : lines) {
        rules.push_back(ParseRevisionRule(line));
    }
    return rules;
}

std::vector<std::string> StoredRevisionRules(const std::vector<RevisionRule>& rows) {
    const std::string absence = core::UpperCyrillic(core::Trim(AbsenceWord()));
    std::vector<std::string> lines;
    lines.reserve(rows.size());
    for (const bool exclusions : {true, false}) {
        for (const RevisionRule& row : rows) {
            if (IsExclusion(row, absence) == exclusions) {
                lines.push_back(RevisionRuleLine(row));
            }
        }
    }
    return lines;
}

std::vector<std::string> ReadRuleFile(std::string_view path) {
    const std::string bytes = core::TextFileToCp1251(core::ReadFileBytes(path));
    std::vector<std::string> lines;
    for (const std::string_view line : core::SplitLines(bytes)) {
        lines.emplace_back(line);
    }
    return lines;
}

void WriteRuleFile(std::string_view path, const std::vector<std::string>& lines) {
    std::string bytes;
    for (const std::string& line : lines) {
        bytes += line;
        bytes += "\r\n";
    }
    core::WriteFileAtomically(path, bytes);
}

} // namespace pelgo::settings
