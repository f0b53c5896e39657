// The journal report: the entries of one journal for a node, or for a department and its subtree, optionally
// only those whose identifier holds a text (a date).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "reports/rich_text.h"
#include "structure/additional_data.h"
#include "structure/node_records_table.h"
#include "structure/tree_model.h"

namespace pelgo::reports {

// "Выводить": all entries, or only those whose GROUP holds `text` after its second character.
struct JournalFilter {
    bool all = true;
    std::string text;
};
bool PassesFilter(const JournalFilter& filter, std::string_view group);

// The journal a menu item names: the last one whose name equals the trimmed caption; none when it is no longer
// kept.
std::optional<std::size_t> FindJournal(const std::vector<structure::JournalDefinition>& journals,
                                       std::string_view caption);

RichText JournalReport(const structure::TreeModel& tree, const structure::TreeNode& selected, std::size_t journal,
                       const std::vector<structure::JournalDefinition>& journals, structure::NodeRecordsTable& records,
                       const JournalFilter& filter, std::string_view date);

} // namespace pelgo::reports
