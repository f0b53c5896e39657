// "Проставить номера !" on the application state: the one call the window and pelgo-cli share, with the
// tree's reactions off while the run walks it and the protocol kept in the installation folder.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "inventory/inventory_run.h"
#include "session/app_state.h"

namespace pelgo::session {

// Where the run keeps its protocol: "inventory.log" in the installation folder.
std::string InventoryProtocolPath(const shell::Settings& settings);

struct InventoryHooks {
    std::string caption; // the dialog's caption, heading the protocol; the default one when empty
    std::function<void(const structure::TreeNode& address)> select;
    std::function<void(int done, int total)> directoriesDone;
};

// Runs the assignment over `directories` with the state's tree, clock and user; `dialog` and `progress` are the
// caller's. TreeReactionsOn is off for the run and on again however it ends. Throws core::FileError when the
// protocol cannot be written.
inventory::InventoryOutcome AssignInventoryNumbers(AppState& state, const std::vector<std::string>& directories,
                                                   platform::UserDialog& dialog, platform::Progress& progress,
                                                   const InventoryHooks& hooks);

} // namespace pelgo::session
