// The computer of a node and its current file.
#include "gui/archive/current_file.h"

#include "archive/current_config.h"
#include "core/cp1251.h"
#include "structure/node_queries.h"
#include "structure/node_types.h"

namespace pelgo::gui {

structure::TreeNode* ComputerOf(const structure::TreeModel& tree, structure::TreeNode* node) {
    if (node != nullptr && node->Icon() == structure::kIconMacAddress) {
        node = node->Parent();
    }
    return structure::IsNetComputer(tree, node) ? node : nullptr;
}

std::string AddressOf(const structure::TreeModel& tree, const structure::TreeNode& computer) {
    return tree.Next(computer)->Text();
}

std::string CurrentFileOf(session::AppState& state, const std::string& address, const std::string& directory) {
    shell::ManagedTable& device = state.DeviceTable();
    const std::string remembered = device.IsOpen() ? archive::RememberedFile(*device.table, address) : std::string();
    return archive::FindCurrentFile(directory, address, remembered);
}

archive::ViewTree MissingFileTree() {
    archive::ViewTree tree;
    tree.Add(archive::ViewTree::kTop, core::Utf8ToCp1251("Не найден файл конфигурации !"), 0);
    return tree;
}

} // namespace pelgo::gui
