// The inventory keys a computer's collector file records: which inventory item it describes, its owner,
// its location and when and by whom that was written.
#pragma once

#include <string>

#include "core/date_time.h"
#include "structure/tree_model.h"

namespace pelgo::core {
class TKelIniFile;
}

namespace pelgo::inventory {

// WriteInventoryData: [Info] InventoryNumber and [InventoryData] InventoryNumber, Ovner, Location and
// InventoryDate for `computer` into the open file, in memory; whoever opened the file writes it back.
void WriteInventoryData(core::TKelIniFile& file, const structure::TreeNode& computer, const core::DateTime& now,
                        const std::string& currentUser);

} // namespace pelgo::inventory
