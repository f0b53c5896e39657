// Which collector file the current-configuration and changes pages show for a computer, and what they show
// when it has none.
#pragma once

#include <string>

#include "archive/view_tree.h"
#include "session/app_state.h"
#include "structure/tree_model.h"

namespace pelgo::gui {

// The computer's file in `directory` (native): the address, its short form, the name the archive remembers;
// empty when none exists.
std::string CurrentFileOf(session::AppState& state, const std::string& address, const std::string& directory);
// What a page shows for a computer without a file: the single line of NoCurrentFileText.
archive::ViewTree MissingFileTree();

} // namespace pelgo::gui
