// The inventory-number commands on the application state: "Проставить номера !", synchronising and checking
// the numbers. The window and pelgo-cli share these calls; the tree's reactions are off while a run walks it
// and the protocols are kept in the installation folder.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "inventory/inventory_run.h"
#include "inventory/number_sync.h"
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

// Synchronises the numbers of the state's tree and node-record table under the Exclusive marker; `ask` settles
// each conflict and `step` follows every node. A synchronisation that changed captions, gave first UNOs or has
// records to write saves the tree first, and writes the records only once it is saved: a load gives the nodes
// that had none their UNOs in memory only, and the records point at them. Empty, after telling the user, when
// the data are protected or the tree could not be saved (then nothing is written to the table).
std::optional<inventory::SyncOutcome> SynchronizeInventoryNumbers(AppState& state, platform::UserDialog& dialog,
                                                                  const inventory::ConflictQuestion& ask,
                                                                  const std::function<void()>& step);

// Where the check keeps its log: "error.log" in the installation folder.
std::string NumberCheckLogPath(const shell::Settings& settings);

struct NumberCheckReport {
    inventory::CheckOutcome outcome;
    std::string logPath; // the log written for the duplicates; empty when there were none
    std::string message; // what the user is told (cp1251, lines broken by CR LF)
};
// Writes the log at `logPath` when the outcome has duplicates (throws core::FileError when it cannot) and
// words the message either way.
NumberCheckReport ReportNumberCheck(inventory::CheckOutcome outcome, const core::DateTime& now,
                                    const std::string& logPath);
// Checks the state's tree for numbers used twice within a node type.
NumberCheckReport CheckInventoryNumbers(AppState& state, const std::function<void()>& step);

} // namespace pelgo::session
