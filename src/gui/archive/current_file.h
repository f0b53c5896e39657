// Which computer a node of the structure tree stands for and which collector file the current-configuration
// page shows for it: the pages and the commands on the file find them the same way.
#pragma once

#include <string>

#include "archive/view_tree.h"
#include "session/app_state.h"
#include "structure/tree_model.h"

namespace pelgo::gui {

// The computer of a computer node or of its address node; null for any other node.
structure::TreeNode* ComputerOf(const structure::TreeModel& tree, structure::TreeNode* node);
// The computer's adapter address: the text of its address node.
std::string AddressOf(const structure::TreeModel& tree, const structure::TreeNode& computer);
// The computer's file in `directory` (native): the address, its short form, the name the archive remembers;
// empty when none exists.
std::string CurrentFileOf(session::AppState& state, const std::string& address, const std::string& directory);
// What a page shows for a computer without a file: the single line "Не найден файл конфигурации !".
archive::ViewTree MissingFileTree();

} // namespace pelgo::gui
