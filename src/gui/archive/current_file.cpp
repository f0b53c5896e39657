// The current file of a computer.
#include "gui/archive/current_file.h"

#include "archive/current_config.h"

namespace pelgo::gui {

std::string CurrentFileOf(session::AppState& state, const std::string& address, const std::string& directory) {
    return archive::FindComputerFile(state.DeviceTable().IfOpen(), directory, archive::FileLookup::CurrentConfiguration,
                                     address);
}

archive::ViewTree MissingFileTree() {
    archive::ViewTree tree;
    tree.Add(archive::ViewTree::kTop, archive::NoCurrentFileText(), 0);
    return tree;
}

} // namespace pelgo::gui
