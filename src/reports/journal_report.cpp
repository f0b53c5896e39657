// The journal report, written paragraph by paragraph with the attributes in force carried from one paragraph
// to the next, as the other built-in documents are.
#include "reports/journal_report.h"

#include "core/text.h"
#include "core/translator.h"
#include "reports/report_writer.h"
#include "reports/template_report.h"
#include "structure/additional_fields.h"
#include "structure/node_queries.h"
#include "structure/node_types.h"

namespace pelgo::reports {
namespace {

using structure::TreeNode;

constexpr int kTitleHeight = 20;
constexpr int kTextHeight = 12;
constexpr int kHeadingIndent = 20;
constexpr int kFieldIndent = 30;
constexpr std::size_t kEntryNameLength = 255;
// The first characters of a GROUP are the journal's number and ";", so a date there is no entry's date.
constexpr std::size_t kFilterFrom = 2;

constexpr std::size_t kModelField = 0;
constexpr std::size_t kSerialField = 1;
constexpr std::size_t kSealField = 2;

// The field (0 ... 3) an "Edit1" ... "Edit4" record fills; none for any other record of the entry.
std::optional<std::size_t> EntryField(const std::string& name) {
    for (std::size_t field = 0; field < structure::kEntryFieldCount; ++field) {
        if (name == structure::EntryFieldName(field)) {
            return field;
        }
    }
    return std::nullopt;
}

class JournalWriter {
public:
    JournalWriter(const structure::JournalDefinition& journal, std::size_t index, const JournalFilter& filter,
                  bool single)
        : m_journal(journal), m_prefix(std::to_string(index) + ";"), m_filter(filter), m_single(single) {}

    void Title() {
        m_out.style.heightPixels = kTitleHeight;
        m_out.style.bold = true;
        m_out.style.title = true;
        m_out.style.alignment = Alignment::Center;
        m_out.style.bullet = false;
        m_out.Line(core::Text(3549, "Журнал ") + m_journal.name);
    }

    void Node(const TreeNode& node, const std::vector<structure::NodeRecord>& records) {
        std::string previous;
        bool first = true;
        std::optional<structure::AdditionalValues> main;
        for (const structure::NodeRecord& record : records) {
            if (!record.group.starts_with(m_prefix) || !PassesFilter(m_filter, record.group)) {
                continue;
            }
            if (record.group != previous) {
                previous = record.group;
                if (first || m_single) {
                    // The header's fields are the node's own (none of them is inherited), in the records at hand.
                    if (!main) {
                        main = structure::MainValues(records);
                    }
                    NodeHeader(node, *main);
                }
                first = false;
                EntryHeading(record.group);
            }
            if (const std::optional<std::size_t> field = EntryField(record.name)) {
                m_out.style.heightPixels = kTextHeight;
                m_out.Line(m_journal.labels[*field] + " : " + record.text);
            }
        }
    }

    RichText Close(std::string_view date) {
        m_out.style.alignment = Alignment::Right;
        m_out.style.bullet = false;
        m_out.style.firstIndent = 0;
        m_out.style.bold = false;
        m_out.style.heightPixels = kTextHeight;
        m_out.Line("");
        m_out.Line(core::Text(3552, "Дата составления : ") + std::string(date));
        return m_out.Take();
    }

private:
    void NodeHeader(const TreeNode& node, const structure::AdditionalValues& main) {
        m_out.style.heightPixels = kTitleHeight;
        m_out.style.alignment = Alignment::Center;
        m_out.style.bullet = false;
        m_out.Line("");
        m_out.Line(node.Text());
        m_out.Line("");
        m_out.style.heightPixels = kTextHeight;
        if (node.Parent() != nullptr) {
            m_out.Line(structure::GetPath(node.Parent()));
            m_out.Line("");
        }
        m_out.style.alignment = Alignment::Left;
        m_out.style.firstIndent = kHeadingIndent;
        const auto text = [&](std::size_t field) -> const std::string& { return main[field]; };
        if (!text(kModelField).empty()) {
            m_out.Line(core::Text(3550, "Модель : ") + text(kModelField));
        }
        std::string numbers;
        if (!text(structure::kInventoryField).empty()) {
            numbers += core::Text(103, "Инв.№") + text(structure::kInventoryField) + "  ";
        }
        if (!text(kSerialField).empty()) {
            numbers += core::Text(101, "Зав.№") + text(kSerialField) + "  ";
        }
        if (!text(kSealField).empty()) {
            numbers += core::Text(104, "Пломба №") + text(kSealField);
        }
        if (!numbers.empty()) {
            m_out.Line(numbers);
            m_out.Line("");
        }
    }

    void EntryHeading(const std::string& group) {
        m_out.style.heightPixels = kTextHeight;
        m_out.style.bold = true;
        m_out.style.title = true;
        m_out.style.alignment = Alignment::Left;
        m_out.style.bullet = false;
        m_out.style.firstIndent = kHeadingIndent;
        m_out.Line(core::Text(3551, "Запись ") + group.substr(m_prefix.size(), kEntryNameLength));
        m_out.style.bold = false;
        m_out.style.title = false;
        m_out.style.bullet = true;
        m_out.style.firstIndent = kFieldIndent;
    }

    const structure::JournalDefinition& m_journal;
    const std::string m_prefix;
    const JournalFilter& m_filter;
    const bool m_single;
    ReportWriter m_out;
};

} // namespace

bool PassesFilter(const JournalFilter& filter, std::string_view group) {
    return filter.all || group.find(filter.text, kFilterFrom) != std::string_view::npos;
}

std::optional<std::size_t> FindJournal(const std::vector<structure::JournalDefinition>& journals,
                                       std::string_view caption) {
    const std::string_view name = core::Trim(caption);
    for (std::size_t journal = journals.size(); journal-- > 0;) {
        if (journals[journal].name == name) {
            return journal;
        }
    }
    return std::nullopt;
}

RichText JournalReport(const structure::TreeModel& tree, const structure::TreeNode& selected, std::size_t journal,
                       const std::vector<structure::JournalDefinition>& journals, structure::NodeRecordsTable& records,
                       const JournalFilter& filter, std::string_view date) {
    const bool department = selected.Icon() == structure::kIconDepartment;
    JournalWriter writer(journals.at(journal), journal, filter, !department);
    writer.Title();
    const NodeWalk walk = ScopeWalk(tree, department ? ReportScope::Department : ReportScope::Unit, &selected);
    for (const TreeNode* node = walk.first; node != nullptr && node != walk.stop; node = tree.Next(*node)) {
        if (node->Record() != nullptr && !core::Trim(node->Record()->uno).empty()) {
            writer.Node(*node, records.Find(node->Record()->uno));
        }
    }
    return writer.Close(date);
}

} // namespace pelgo::reports
