// The inventory keys of a computer written into its collector file: the caption, the owner found up the tree,
// the location and the stamp.
#include "inventory/inventory_data.h"

#include <gtest/gtest.h>

#include "core/cp1251.h"
#include "core/kel_ini_file.h"
#include "support/temp_dir.h"

namespace pelgo::inventory {
namespace {

TEST(InventoryDataTest, TheKeysNameTheComputerItsOwnerAndItsPlace) {
    structure::TreeModel tree{1};
    structure::TreeNode& office = tree.AddChild(nullptr, -1, core::Utf8ToCp1251("Бухгалтерия"), 1);
    structure::TreeNode& employee = tree.AddChild(&office, -1, core::Utf8ToCp1251("Иванова"), 2);
    structure::TreeNode& stock = tree.AddChild(&office, -1, core::Utf8ToCp1251("Шкаф"), 10);
    struct Case {
        structure::TreeNode* parent;
        std::string owner;    // UTF-8
        std::string location; // UTF-8
    };
    const Case cases[] = {
        {&employee, "Иванова", "Бухгалтерия;Иванова"},
        // the owner is the nearest department or employee, not the parent
        {&stock, "Бухгалтерия", "Бухгалтерия;Шкаф"},
        {nullptr, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.location);
        structure::TreeNode& computer = tree.AddChild(c.parent, -1, core::Utf8ToCp1251("Системный блок №12"), 3);
        testing::TempDir dir;
        testing::WriteBytes(dir / "pc.ini", "[Info]\r\nMAC_Addr=0050BA1C2D3E\r\nInventoryNumber=old\r\n\r\n"
                                            "[InventoryData]\r\nOvner=somebody\r\n\r\n");
        {
            core::TKelIniFile file(dir / "pc.ini", false);
            WriteInventoryData(file, computer, {2026, 3, 5, 7, 8, 9}, "IVANOV");
        }
        EXPECT_EQ(core::Cp1251ToUtf8(testing::ReadBytes(dir / "pc.ini")),
                  "[Info]\r\nMAC_Addr=0050BA1C2D3E\r\nInventoryNumber=Системный блок №12\r\n\r\n"
                  "[InventoryData]\r\nOvner=" +
                      c.owner + "\r\nInventoryNumber=Системный блок №12\r\nLocation=" + c.location +
                      "\r\nInventoryDate=05.03.2026 07:08:09 (IVANOV)\r\n\r\n");
        tree.Remove(computer);
    }
}

} // namespace
} // namespace pelgo::inventory
