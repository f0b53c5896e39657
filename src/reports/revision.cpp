// The revision. Picking follows the rules top to bottom with one running answer, so that a continuation rule
// can narrow the rule just before it and an exclusion can veto a line a rule above it took. The heading writer
// holds the department, employee and computer headings back until a value line of theirs arrives.
#include "reports/revision.h"

#include <algorithm>
#include <array>
#include <optional>

#include "archive/computer_view.h"
#include "core/cp1251.h"
#include "core/errors.h"
#include "core/text.h"
#include "core/translator.h"
#include "platform/dbf_error.h"
#include "reports/report_writer.h"
#include "reports/template_report.h"
#include "structure/node_queries.h"
#include "structure/node_types.h"

namespace pelgo::reports {

namespace {

using structure::TreeModel;
using structure::TreeNode;

constexpr std::string_view kComparisons = "<><=>=";

bool ContainsLess(std::string_view text) {
    return text.find('<') != std::string_view::npos;
}

// Both texts padded on the left with "0" to one length, then compared byte by byte as unsigned codes, as
// numbers of different lengths compare by value.
int ComparePadded(std::string_view line, std::string_view rule) {
    const std::size_t length = std::max(line.size(), rule.size());
    const std::string a = std::string(length - line.size(), '0') + std::string(line);
    const std::string b = std::string(length - rule.size(), '0') + std::string(rule);
    for (std::size_t i = 0; i < length; ++i) {
        const auto x = static_cast<unsigned char>(a[i]);
        const auto y = static_cast<unsigned char>(b[i]);
        if (x != y) {
            return x < y ? -1 : 1;
        }
    }
    return 0;
}

bool ComparisonHolds(std::string_view comparison, int order) {
    if (comparison == "<" || comparison == "<>") {
        return order < 0;
    }
    if (comparison == ">") {
        return order > 0;
    }
    if (comparison == "<=") {
        return order <= 0;
    }
    if (comparison == ">=") {
        return order >= 0;
    }
    return false;
}

} // namespace

LineSelection::LineSelection(const std::vector<settings::RevisionRule>& rules, bool caseSensitive,
                             std::string_view absenceWord)
    : m_caseSensitive(caseSensitive) {
    const std::string absence = RevisionUpper(core::Trim(absenceWord));
    for (const settings::RevisionRule& source : rules) {
        Rule rule;
        const std::string typ = RevisionUpper(core::Trim(source.typ));
        if (typ == absence) {
            rule.kind = RuleKind::Exclusion;
        } else if (typ.find('+') != std::string::npos) {
            rule.kind = RuleKind::Continuation;
        } else if (!typ.empty() && kComparisons.find(typ) != std::string_view::npos) {
            rule.kind = RuleKind::Comparison;
            rule.comparison = typ;
        }
        if (!source.group.empty() && !ContainsLess(source.group)) {
            rule.groupKey = RevisionUpper(source.group) + "|";
        }
        if (!source.name.empty() && !ContainsLess(source.name)) {
            rule.nameKey = "|" + RevisionUpper(source.name) + "|";
        }
        rule.text = caseSensitive ? source.text : RevisionUpper(source.text);
        if (rule.kind != RuleKind::Exclusion) {
            std::string description(core::Trim(source.group + " " + source.name));
            if (!source.text.empty()) {
                description += "=" + source.text;
            }
            m_descriptions.push_back(std::move(description));
        }
        m_rules.push_back(std::move(rule));
    }
}

int LineSelection::Pick(std::string_view group, std::string_view name, std::string_view text) const {
    const std::string key = RevisionUpper(group) + "|" + RevisionUpper(name) + "|";
    const std::string line = m_caseSensitive ? std::string(text) : RevisionUpper(text);
    int number = 1;
    int answer = 0;
    for (const Rule& rule : m_rules) {
        const bool groupMatches = rule.groupKey.empty() || key.starts_with(rule.groupKey);
        const bool nameMatches = rule.nameKey.empty() || key.find(rule.nameKey, 1) != std::string::npos;
        if (groupMatches && nameMatches) {
            if (rule.kind == RuleKind::Comparison) {
                if (answer > 0) {
                    return answer;
                }
                if (ComparisonHolds(rule.comparison, ComparePadded(line, rule.text))) {
                    answer = number;
                }
            } else if (rule.text.empty() || rule.text == "*" || line.find(rule.text) != std::string::npos) {
                switch (rule.kind) {
                case RuleKind::Exclusion:
                    return 0;
                case RuleKind::Continuation:
                    answer = answer > 0 && answer == number - 1 ? number : 0;
                    break;
                case RuleKind::Inclusion:
                case RuleKind::Comparison:
                    if (answer > 0) {
                        return answer;
                    }
                    answer = number;
                    break;
                }
            } else if (answer > 0) {
                if (answer == number - 1) {
                    if (rule.kind == RuleKind::Continuation) {
                        answer = 0;
                    }
                } else if (rule.kind != RuleKind::Exclusion) {
                    return answer;
                }
            }
        }
        if (rule.kind != RuleKind::Exclusion) {
            ++number;
        }
    }
    return answer;
}

std::string RevisionUpper(std::string_view text) {
    // The Cyrillic fold raises exactly the bytes of а..я (224..255 in cp1251) and leaves "ё" (184) alone.
    return core::UpperCyrillic(text);
}

std::string ReplacedValue(std::string_view text, const shell::Entries& replacements, bool replace) {
    if (replace) {
        for (const auto& [find, replacement] : replacements) {
            if (!find.empty() && text.find(find) != std::string_view::npos) {
                return replacement;
            }
        }
    }
    return std::string(text);
}

namespace {

void DepartmentStyle(ReportStyle& style) {
    style = ReportStyle{};
    style.heightPixels = 20;
    style.bold = true;
    style.underline = true;
    style.title = true;
    style.alignment = Alignment::Center;
}

void EmployeeStyle(ReportStyle& style) {
    style = ReportStyle{};
    style.heightPixels = 16;
    style.title = true;
    style.firstIndent = 30;
}

void ValueStyle(ReportStyle& style) {
    EmployeeStyle(style);
    style.heightPixels = 12;
    style.title = false;
    style.bullet = true;
}

void OtherNodeStyle(ReportStyle& style) {
    style = ReportStyle{};
    style.heightPixels = 16;
    style.title = true;
}

bool Writable(const std::string& heading) {
    return heading.size() > 1;
}

// With skip empty a heading waits as pending until a value line of its computer arrives; without it every
// heading is written at once. A pending heading is written once, and a new department or employee drops what
// was pending below it, so a heading never turns up under the next department.
class HeadingWriter {
public:
    HeadingWriter(ReportWriter& writer, bool skipEmpty) : m_writer(writer), m_skipEmpty(skipEmpty) {}

    void Offer(const TreeNode& node) {
        const int icon = node.Icon();
        if (icon <= structure::kIconComputer) {
            m_listed = false;
        }
        switch (icon) {
        case structure::kIconDepartment:
            m_prefix = "<" + node.Text() + "> ";
            m_employee.reset();
            m_computer.reset();
            m_departmentNode = &node;
            Hold(m_department, node.Text(), &HeadingWriter::Department);
            break;
        case structure::kIconEmployee:
            m_computer.reset();
            m_employeeNode = &node;
            Hold(m_employee, Writable(node.Text()) ? m_prefix + node.Text() : std::string(), &HeadingWriter::Employee);
            break;
        case structure::kIconComputer:
            // A computer beside an employee rather than under it (directly under the department, or after the
            // department's subtree) must not show up under that employee's or department's heading.
            if (!Above(m_employeeNode, node)) {
                m_employee.reset();
            }
            if (!Above(m_departmentNode, node)) {
                m_department.reset();
            }
            Hold(m_computer, node.Text(), &HeadingWriter::Computer);
            break;
        case structure::kIconMacAddress:
            break;
        default:
            if (!m_skipEmpty || m_listed) {
                OtherNodeStyle(m_writer.style);
                m_writer.Line(node.Text());
            }
            break;
        }
    }

    void Value(std::string_view line) {
        Flush(m_department, &HeadingWriter::Department);
        Flush(m_employee, &HeadingWriter::Employee);
        Flush(m_computer, &HeadingWriter::Computer);
        ValueStyle(m_writer.style);
        m_writer.Line(line);
        m_listed = true;
    }

    // The empty line that closes a computer's value lines; under skip empty only after lines were listed, so
    // that the computers skipped leave no run of blank lines behind.
    void EndComputer() {
        if (!m_skipEmpty || m_listed) {
            m_writer.style.bullet = false;
            m_writer.Line("");
        }
    }

private:
    static bool Above(const TreeNode* ancestor, const TreeNode& node) {
        for (const TreeNode* parent = node.Parent(); parent != nullptr; parent = parent->Parent()) {
            if (parent == ancestor) {
                return true;
            }
        }
        return false;
    }

    using Write = void (HeadingWriter::*)(const std::string&);

    void Hold(std::optional<std::string>& pending, std::string heading, Write write) {
        if (m_skipEmpty) {
            pending = std::move(heading);
        } else {
            (this->*write)(heading);
        }
    }

    void Flush(std::optional<std::string>& pending, Write write) {
        if (pending) {
            (this->*write)(*pending);
            pending.reset();
        }
    }

    void Department(const std::string& caption) {
        if (Writable(caption)) {
            DepartmentStyle(m_writer.style);
            m_writer.Line("");
            m_writer.Line(caption);
        }
    }

    // Empty for an employee whose caption is too short to be written.
    void Employee(const std::string& heading) {
        if (!heading.empty()) {
            EmployeeStyle(m_writer.style);
            m_writer.Line("");
            m_writer.Line(heading);
        }
    }

    void Computer(const std::string& caption) {
        if (Writable(caption)) {
            EmployeeStyle(m_writer.style);
            m_writer.Line(caption);
        }
    }

    ReportWriter& m_writer;
    bool m_skipEmpty;
    bool m_listed = false;
    std::string m_prefix;
    std::optional<std::string> m_department;
    std::optional<std::string> m_employee;
    std::optional<std::string> m_computer;
    const TreeNode* m_departmentNode = nullptr;
    const TreeNode* m_employeeNode = nullptr;
};

bool WithoutPrefix(std::string_view name) {
    return name.starts_with("Win_") || name.starts_with("Device_") || name.starts_with("Drive_");
}

constexpr std::size_t kTableLeadingFields = 3; // UNO, OVNER, COMPUTER

} // namespace

Revision MakeRevision(const TreeModel& tree, const TreeNode* selected, platform::DbfTable& device,
                      const RevisionOptions& options, std::string_view date, bool withTable) {
    const NodeWalk walk =
        ScopeWalk(tree, options.departmentOnly ? ReportScope::Department : ReportScope::Enterprise, selected);
    Revision revision;
    if (options.departmentOnly) {
        revision.title = (walk.first != nullptr ? walk.first->Text() : std::string()) +
                         core::Text(3536, ", Ревизия оргтехники на ") + std::string(date);
    } else {
        revision.title = core::Text(3535, "Общая ревизия оргтехники на ") + std::string(date);
    }

    const LineSelection selection(options.rules, options.caseSensitive, settings::AbsenceWord());
    const bool table = withTable && options.selection;
    RevisionTable& records = revision.table;
    if (table) {
        records.columns = selection.ColumnDescriptions().size();
        std::vector<std::string> header{"INDEX", revision.title, ""};
        header.insert(header.end(), selection.ColumnDescriptions().begin(), selection.ColumnDescriptions().end());
        records.records.push_back(std::move(header));
    }

    ReportWriter writer;
    DepartmentStyle(writer.style);
    writer.style.underline = false;
    writer.Line(revision.title);
    writer.Line("");
    HeadingWriter headings(writer, options.skipEmpty);
    for (const TreeNode* node = walk.first; node != nullptr && node != walk.stop; node = tree.Next(*node)) {
        headings.Offer(*node);
        if (!structure::IsNetComputer(tree, node)) {
            continue;
        }
        const std::string& address = structure::ComputerAddress(tree, *node);
        if (address.size() <= 1) {
            continue;
        }
        const std::vector<archive::ArchiveRecord> lines = archive::ReadArchiveRecords(device, address);
        if (lines.empty()) {
            continue;
        }
        std::vector<std::string>* record = nullptr;
        for (const archive::ArchiveRecord& line : lines) {
            int column = 0;
            if (options.selection) {
                column = selection.Pick(line.group, line.name, line.text);
                if (column == 0) {
                    continue;
                }
            }
            const std::string value = ReplacedValue(line.text, options.replacements, options.replace);
            if (!value.empty()) {
                headings.Value((WithoutPrefix(line.name) ? std::string() : line.name + ":") + value);
            }
            if (!table) {
                continue;
            }
            if (record == nullptr) {
                const std::string uno = node->Record() != nullptr ? node->Record()->uno : std::string();
                records.records.push_back({uno, structure::GetPath(node->Parent()), node->Text()});
                record = &records.records.back();
                record->resize(kTableLeadingFields + records.columns);
            }
            // A value a replacement emptied adds nothing, so no dangling separator.
            std::string& field = (*record)[kTableLeadingFields + static_cast<std::size_t>(column) - 1];
            if (!value.empty()) {
                field += (field.empty() ? "" : "; ") + value;
            }
        }
        headings.EndComputer();
    }
    revision.text = writer.Take();
    return revision;
}

void WriteRevisionTable(std::string_view path, const RevisionTable& table, const core::Clock& clock) {
    std::vector<std::string> names;
    names.reserve(table.columns);
    for (std::size_t k = 1; k <= table.columns; ++k) {
        names.push_back("FIELD" + std::to_string(k));
    }
    std::vector<platform::DbfFieldSpec> fields{{"UNO", 12}, {"OVNER", 150}, {"COMPUTER", 80}};
    for (const std::string& name : names) {
        fields.push_back({name, 150});
    }
    platform::DbfTable::WriteWhole(path, fields, table.records, clock);
}

Revision RunRevision(const TreeModel& tree, const TreeNode* selected, platform::DbfTable& device,
                     const RevisionOptions& options, std::string_view date, bool createTable,
                     platform::UserDialog& dialog, const shell::Settings& settings, const core::Clock& clock) {
    std::optional<std::string> path;
    if (createTable && options.selection) {
        const LineSelection selection(options.rules, options.caseSensitive, settings::AbsenceWord());
        if (selection.ColumnDescriptions().empty()) {
            dialog.Inform(platform::MessageKind::Information,
                          core::Text(3534, "Задайте хоть одно \"зеленое\" поле для выборки !"));
        } else {
            platform::FileChoice choice;
            choice.purpose = platform::FileChoice::Purpose::Save;
            choice.filter = "dBase|*.dbf";
            choice.initialPath = settings.Paths().ProgramDirectory();
            if (!choice.initialPath.empty() && !choice.initialPath.ends_with('/')) {
                choice.initialPath += '/';
            }
            choice.initialPath += "revizia.DBF";
            choice.defaultExtension = "DBF";
            path = settings.ChooseOutputFile(dialog, choice);
        }
    }
    Revision revision = MakeRevision(tree, selected, device, options, date, path.has_value());
    if (path) {
        try {
            WriteRevisionTable(*path, revision.table, clock);
            dialog.Inform(platform::MessageKind::Information, core::Text(3538, "Создана база данных") + "\r\n" + *path);
        } catch (const core::Error& error) {
            dialog.Inform(platform::MessageKind::Error, *path + ": " + error.what());
        }
    }
    return revision;
}

} // namespace pelgo::reports
