// A structure tree shaped like an enterprise, for the tree benchmarks: departments of 25 employees, each
// with a computer and its adapter address, a monitor, and every fourth a printer.
#pragma once

#include <cstdio>
#include <string>

#include "core/cp1251.h"
#include "structure/tree_model.h"

namespace pelgo::bench {

// Fills `tree` (holding the bucket node already) under one enterprise node up to `nodes` nodes.
inline void BuildEnterpriseTree(structure::TreeModel& tree, int nodes) {
    constexpr int kEmployeesPerDepartment = 25;
    structure::TreeNode& enterprise = tree.AddChild(nullptr, -1, core::Utf8ToCp1251("ОАО Завод Прогресс"), 1);
    int number = 0;
    while (tree.Count() < nodes) {
        structure::TreeNode& department =
            tree.AddChild(&enterprise, -1, core::Utf8ToCp1251("Отдел ") + std::to_string(tree.Count()), 1);
        for (int e = 0; e < kEmployeesPerDepartment && tree.Count() < nodes; ++e) {
            structure::TreeNode& employee =
                tree.AddChild(&department, -1, core::Utf8ToCp1251("Иванов Иван Иванович ") + std::to_string(e), 2);
            ++number;
            structure::TreeNode& computer =
                tree.AddChild(&employee, -1, core::Utf8ToCp1251("Компьютер №") + std::to_string(number), 3);
            char mac[16];
            std::snprintf(mac, sizeof mac, "00A0C9%06X", number & 0xFFFFFF);
            tree.AddChild(&computer, -1, mac, 4);
            tree.AddChild(&employee, -1, core::Utf8ToCp1251("Монитор Samsung SyncMaster 753DF"), 5);
            if (number % 4 == 0) {
                tree.AddChild(&employee, -1, core::Utf8ToCp1251("Принтер HP LaserJet 1100"), 6);
            }
        }
    }
}

} // namespace pelgo::bench
