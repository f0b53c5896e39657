// The revision: an audit listing of the equipment, department by department, each computer followed by the
// archive lines its selection rules pick, optionally rewritten by replacement pairs; and the same data as a
// dBase table, one record per computer and one column per numbered rule.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/date_time.h"
#include "platform/dbf_table.h"
#include "platform/user_dialog.h"
#include "reports/rich_text.h"
#include "settings/revision_rules.h"
#include "shell/settings.h"
#include "structure/tree_model.h"

namespace pelgo::reports {

enum class RuleKind { Inclusion, Exclusion, Continuation, Comparison };

// The selection rules ready for picking lines.
class LineSelection {
public:
    // `absenceWord`: the TYP word that makes a rule an exclusion (settings::AbsenceWord()).
    LineSelection(const std::vector<settings::RevisionRule>& rules, bool caseSensitive, std::string_view absenceWord);

    // The number of the rule (and table column) an archive line belongs to; 0 when the line is not picked.
    int Pick(std::string_view group, std::string_view name, std::string_view text) const;
    // The numbered rules' descriptions in number order: GROUP + " " + NAME trimmed, "=" + TEXT when TEXT is
    // not empty. Their count is the number of table columns.
    const std::vector<std::string>& ColumnDescriptions() const { return m_descriptions; }

private:
    struct Rule {
        RuleKind kind = RuleKind::Inclusion;
        std::string comparison; // "<", ">", "<=", ">=", "<>", "=" for a comparison rule
        std::string groupKey;   // upper-cased GROUP + "|", empty when every group matches
        std::string nameKey;    // "|" + upper-cased NAME + "|", empty when every name matches
        std::string text;       // upper-cased unless case-sensitive
    };
    std::vector<Rule> m_rules;
    std::vector<std::string> m_descriptions;
    bool m_caseSensitive = false;
};

// The revision's upper case: Latin a-z and Cyrillic а-я to their capitals, "ё" and everything else unchanged.
std::string RevisionUpper(std::string_view text);

// The value a line shows: with `replace`, the whole text becomes the replacement of the first pair whose find
// text occurs in it (letter case kept); otherwise the text itself. Empty: the line is not printed.
std::string ReplacedValue(std::string_view text, const shell::Entries& replacements, bool replace);

struct RevisionOptions {
    bool departmentOnly = true; // "Только выбранного отдела"; otherwise the whole enterprise
    bool selection = true;      // only lines picked by a rule are listed
    bool caseSensitive = false;
    bool skipEmpty = true; // headings only above listed lines
    bool replace = true;
    std::vector<settings::RevisionRule> rules; // in table order
    shell::Entries replacements;               // find text = replacement, in order
};

// The table's records: the header record (UNO "INDEX", the title, the column descriptions) first, then one per
// computer with a picked line: UNO, OVNER (GetPath of its parent), COMPUTER, FIELD1 ... .
struct RevisionTable {
    std::vector<std::vector<std::string>> records;
    std::size_t columns = 0; // FIELDk count
};

struct Revision {
    std::string title;
    RichText text;
    RevisionTable table; // filled when asked for
};

// Builds the report (and with `withTable` the table's records) over the whole tree or the department of
// `selected` (its nearest department ancestor, else the first node). `date`: today in the short date format.
Revision MakeRevision(const structure::TreeModel& tree, const structure::TreeNode* selected, platform::DbfTable& device,
                      const RevisionOptions& options, std::string_view date, bool withTable);

// Writes "revizia.DBF" (UNO 12, OVNER 150, COMPUTER 80, FIELDk 150, all character fields) as one new file in
// place of any old one: a failure leaves the old file whole. Throws core::FileError or platform::TableError.
void WriteRevisionTable(std::string_view path, const RevisionTable& table, const core::Clock& clock);

// The command after the settings dialog was confirmed. With `createTable` (selection on): message 3534 and no
// table when no rule is numbered; otherwise the user chooses the table's file ("revizia.DBF" in the
// installation folder) and, when a file was chosen, the table is written and message 3538 names it. A file of
// the installation is refused and a table that cannot be written reported, as errors; the report stands.
Revision RunRevision(const structure::TreeModel& tree, const structure::TreeNode* selected, platform::DbfTable& device,
                     const RevisionOptions& options, std::string_view date, bool createTable,
                     platform::UserDialog& dialog, const shell::Settings& settings, const core::Clock& clock);

} // namespace pelgo::reports
