// The archive's groups and parameter names as the settings dialog, the template editor and the inventory
// sheet offer them: gathered from the first 10000 records in index order, sorted and free of duplicates with
// letter case ignored (the first spelling kept).
#pragma once

#include <string>
#include <vector>

#include "platform/dbf_table.h"

namespace pelgo::archive {

inline constexpr std::size_t kPickListRecords = 10000;

struct PickLists {
    std::vector<std::string> groups;
    std::vector<std::string> parameters; // names of groups that describe hardware, beginning with a letter
};

PickLists ArchivePickLists(platform::DbfTable& device);

} // namespace pelgo::archive
