// New computers in the structure tree: the name a computer seen for the first time gets (GetNewName), and
// the placement that moves unplaced computers under the employees they belong to (MoveData), by a search
// pattern built from the collector's command-line parameters or the logged-on user. Both follow the rules
// of [NewCompDistrib].
#pragma once

#include <array>
#include <functional>
#include <string>
#include <string_view>

#include "core/work_log.h"
#include "platform/dbf_table.h"
#include "platform/progress.h"
#include "platform/user_dialog.h"
#include "shell/settings.h"
#include "structure/tree_model.h"

namespace pelgo::archive {

// How a new computer node is named.
struct NamingRule {
    std::string baseName;           // NCNedit, without its leading "^"
    bool useInventoryNumber = true; // [Info] InventoryNumber first, when the file has one
    bool append = false;            // a blank and the value of `appendItem` after the base name ...
    int appendItem = 0;
    bool fallback = false; // ... or of `fallbackItem` when that value is empty
    int fallbackItem = 1;

    static NamingRule From(const shell::Settings& settings);
};

// A collector file's value of [section] key; empty when it has none.
using CollectorValue = std::function<std::string(std::string_view section, std::string_view key)>;

// GetNewName: the text of a new computer's node, trimmed.
std::string GetNewName(const NamingRule& rule, const CollectorValue& value);

// The six source values of placement, in the settings lists' order.
inline constexpr std::array<const char*, 6> kSourceNames = {"Param_1", "Param_2",           "Param_3",
                                                            "Param_4", "Current_User_Name", "Computer_Name"};
using SourceValues = std::array<std::string, kSourceNames.size()>;

// A part of the employee's name: the source value it comes from and the letters taken from it.
struct NamePart {
    bool on = true;
    int item = 0;
    int from = 0; // 1-based letters; the range counts only when both are above 0
    int to = 0;

    bool Ranged() const { return from > 0 && to > 0; }
};

// Where unplaced computers go.
struct PlacementRule {
    bool userCheck = true; // the computer's name must equal the source value `userCheckItem`
    int userCheckItem = 0;
    NamePart surname{true, 1};
    NamePart firstName{true, 2};
    NamePart patronymic{true, 3};
    bool dot = true;       // a shortened first name or patronymic ends in "." rather than a blank
    bool matchCase = true; // the pattern is compared with letter case

    // Read from the settings, with an upper letter number below its lower one raised to it.
    static PlacementRule From(const shell::Settings& settings);
};

// The search pattern of a computer's source values.
std::string SearchPattern(const PlacementRule& rule, const SourceValues& values);

// The source values of an address, from its archive records by name (whatever the group), trimmed.
SourceValues ReadSourceValues(platform::DbfTable& device, std::string_view address);

// MoveData: asks, then moves each computer of the first top-level node's subtree under the first employee after
// it whose name holds the computer's pattern, writing what happened to the protocol, each computer once.
// Returns how many were placed; `moved` runs for each (the tree is then modified).
int MoveData(structure::TreeModel& tree, platform::DbfTable& device, const PlacementRule& rule,
             platform::UserDialog& dialog, platform::Progress& progress, const std::function<void()>& moved);

} // namespace pelgo::archive
