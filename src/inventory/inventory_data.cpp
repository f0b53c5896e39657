// The inventory keys written into a collector file.
#include "inventory/inventory_data.h"

#include "core/kel_ini_file.h"
#include "structure/node_queries.h"

namespace pelgo::inventory {

void WriteInventoryData(core::TKelIniFile& file, const structure::TreeNode& computer, const core::DateTime& now,
                        const std::string& currentUser) {
    file.WriteString("Info", "InventoryNumber", computer.Text());
    file.WriteString("InventoryData", "InventoryNumber", computer.Text());
    file.WriteString("InventoryData", "Ovner", structure::NodeOwnerText(computer.Parent()));
    file.WriteString("InventoryData", "Location", structure::ParentPathList(&computer));
    file.WriteString("InventoryData", "InventoryDate", core::LogStamp(now) + "(" + currentUser + ")");
}

} // namespace pelgo::inventory
