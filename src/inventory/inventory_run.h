// Assigning inventory numbers: the computers' captions carried from the structure tree into the collector
// files of a list of directories, after a check of the tree for numbers used twice, with a protocol kept as
// "inventory.log".
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/date_time.h"
#include "platform/progress.h"
#include "platform/user_dialog.h"
#include "structure/tree_model.h"

namespace pelgo::inventory {

// The number a computer is known by in the duplicate check: the trimmed caption from its first "№" on (200
// characters at most), or the whole trimmed caption when it has none.
std::string InventoryKey(std::string_view caption);

// The computers, in pre-order, whose key an earlier computer has already (letter case ignored): each as its
// key with the parent's caption and a blank in front when it has a parent.
std::vector<std::string> DuplicateNumbers(const structure::TreeModel& tree);

// "Простановка инвентарных номеров": the heading of the protocol as the dialog is captioned by default.
std::string DefaultCaption();

struct InventoryRun {
    const structure::TreeModel& tree;
    platform::UserDialog& dialog;
    // Takes each protocol line as it is made, the files of the current directory as counters; its events
    // are pumped between files and its stop flag ends the run before the next file.
    platform::Progress& progress;
    const core::Clock& clock;
    std::string currentUser;
    std::string caption;      // the protocol's heading before the date and time
    std::string protocolPath; // rewritten at the end of every run that starts
    // The address node of each computer found in the tree, as it is found.
    std::function<void(const structure::TreeNode& address)> select;
    // Directories done out of the list; with a single directory it follows the files.
    std::function<void(int done, int total)> directoriesDone;
};

struct InventoryOutcome {
    bool ran = false; // false when the directory list was empty
    int filesProcessed = 0;
    std::vector<std::string> protocol; // cp1251 lines, as kept in the protocol file
};

// Runs over `directories` in order, each one's files in name order: a file whose [Info] MAC_Addr is the
// caption of an address node (the first in pre-order) gets that node selected, and when the node's parent is a
// computer, the computer's inventory keys written. A file that cannot be opened or written is recorded in the
// protocol with the reason and the run goes on; a file that is no collector file is left alone. The protocol
// file is written even when the run ends by an exception. Throws core::FileError when it cannot be written.
InventoryOutcome AssignInventoryNumbers(const InventoryRun& run, const std::vector<std::string>& directories);

} // namespace pelgo::inventory
