// The archive update of one computer or of one department's computers: each computer's remembered file read
// again from a directory, without the whole run's check, packing, placement or saved protocol.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "archive/archive_update.h"

namespace pelgo::archive {

// Loads the computer's remembered file from `directory` again ("only new" off for this load). False, after
// telling the user, when the computer has no address node or its file is not there.
bool UpdateComputer(ArchiveUpdate& update, structure::TreeModel& tree, platform::DbfTable& device,
                    structure::TreeNode& computer, const std::string& directory, UpdateOptions options,
                    platform::UserDialog& dialog, bool tellMissing = true);

// A department's range: from the department (the node itself or its nearest department or employee) to its
// next sibling, or to the end of the tree when it has none.
struct DepartmentRange {
    structure::TreeNode* department = nullptr;
    structure::TreeNode* nextSibling = nullptr;
    std::vector<structure::TreeNode*> computers; // networked computers in the range, in tree order
};
std::optional<DepartmentRange> DepartmentOf(const structure::TreeModel& tree, structure::TreeNode* selected);

// Asks whether to update the range, then updates each of its computers without a message of its own.
// Returns the texts of the computers updated.
std::vector<std::string> UpdateDepartment(ArchiveUpdate& update, structure::TreeModel& tree, platform::DbfTable& device,
                                          const DepartmentRange& range, const std::string& directory,
                                          const UpdateOptions& options, platform::UserDialog& dialog);

} // namespace pelgo::archive
