// The two built-in documents about one computer: the passport, a printable copy of its archive page's tree, and
// the account card for the accounts department.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "archive/view_tree.h"
#include "platform/dbf_table.h"
#include "reports/rich_text.h"
#include "structure/additional_data.h"
#include "structure/tree_model.h"

namespace pelgo::reports {

// The passport: title, the node's path, the archive tree (a line with children is a heading followed at once by
// its first child), the node's comments, the date (`date` in the short date format).
RichText ComputerPassport(const archive::ViewTree& archive, std::string_view path,
                          const std::vector<std::string>& comments, std::string_view date);

// The account card of the node; for a node that is no networked computer, or one without archive lines, the
// card is the one line that says so.
RichText AccountCard(const structure::TreeModel& tree, const structure::TreeNode* node, platform::DbfTable& device,
                     structure::AdditionalData& additional, std::string_view date);

} // namespace pelgo::reports
