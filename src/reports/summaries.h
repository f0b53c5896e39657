// The four summaries over the structure tree and the archive: the enterprise and the department summary count
// hardware and node types, the owners summary lists the equipment under its owners, the programs summary lists
// every installed program with the computers that have it.
#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "platform/dbf_table.h"
#include "reports/rich_text.h"
#include "structure/tree_model.h"

namespace pelgo::reports {

// Distinct values in order of first appearance, each with how often it was counted; values compare exactly.
class CountingList {
public:
    void Count(std::string_view value);
    struct Entry {
        std::string value;
        int count = 0;
    };
    const std::vector<Entry>& Entries() const { return m_entries; }

private:
    std::vector<Entry> m_entries;
};

// What the enterprise summary (`department` null: the whole tree) or the department summary of the subtree of
// `department` counts.
struct HardwareCounts {
    CountingList boards, cpus, memory, systems, monitors, printers;
    std::vector<std::string> badConfigurations, cdDrives;
    int computers = 0;
    std::array<int, 12> types{}; // nodes by icon index 1..11
};
HardwareCounts CountHardware(const structure::TreeModel& tree, const structure::TreeNode* department,
                             platform::DbfTable& device);
// The summary as a report; `date` is today in the short date format.
RichText HardwareSummary(const HardwareCounts& counts, const structure::TreeNode* department, std::string_view date);
// The counted values for a spreadsheet: a "section;value;count" header and one such row per counted value, in
// the report's order; UTF-8 with a byte-order mark, quoted where needed, CR LF.
std::string HardwareCsv(const HardwareCounts& counts);
RichText OwnersSummary(const structure::TreeModel& tree, platform::DbfTable& device);

// A line of the programs summary in pre-order: a program (level 0, caption "name [n польз.]", the employee icon)
// or a computer that has it (level 1, its path, the address icon).
struct SummaryLine {
    int level = 0;
    std::string caption;
    int icon = 0;
};
std::vector<SummaryLine> ProgramsSummary(const structure::TreeModel& tree, platform::DbfTable& device);

} // namespace pelgo::reports
