// The revision's rule tables as the settings keep them: selection rows "GROUP|NAME|TYP|TEXT" in the per-user
// section and in rule files (.sav), and the replacement pairs.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pelgo::settings {

// One row of the selection table (cp1251). Widths as the table edits them: GROUP 16, NAME 16, TYP 5, TEXT 60.
struct RevisionRule {
    std::string group;
    std::string name;
    std::string typ;
    std::string text;

    bool operator==(const RevisionRule&) const = default;
};

// The TYP words of the pick list in the current language ("Есть", "+Есть", "<", ">", "Нет").
std::vector<std::string> RuleTypeWords();
// The fifth of them: the word that makes a rule an exclusion.
std::string AbsenceWord();

// A stored line split at its first three "|"; the rest (255 characters at most) is TEXT. An empty line is the
// empty row.
RevisionRule ParseRevisionRule(std::string_view line);
std::string RevisionRuleLine(const RevisionRule& rule);
std::vector<RevisionRule> ParseRevisionRules(const std::vector<std::string>& lines);
// The stored order: the exclusions (trimmed TYP equal to the absence word, both folded) first, then the
// others, each kept in table order.
std::vector<std::string> StoredRevisionRules(const std::vector<RevisionRule>& rows);

// A rule file: one stored line per rule, cp1251, CR LF. Reading takes CR LF, LF or CR line ends, drops a final
// empty line and takes a file written in UTF-8 (core::TextFileToCp1251); both throw core::FileError.
std::vector<std::string> ReadRuleFile(std::string_view path);
void WriteRuleFile(std::string_view path, const std::vector<std::string>& lines);

} // namespace pelgo::settings
