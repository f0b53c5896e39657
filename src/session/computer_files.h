// The commands of the current-configuration page on a computer's collector file: amnesty for a computer or
// a department, inventorising, deletion. Each finds the file in the configuration directory, refuses one whose
// [Info] MAC_Addr names another computer, tells the user what happened through the dialog and writes the
// computer's journal through the application state; a journal that cannot be written is told and logged, and
// the command goes on.
#pragma once

#include <functional>
#include <string>

#include "session/app_state.h"
#include "structure/tree_model.h"

namespace pelgo::session {

// What the window does while a command runs: `select` makes each computer of a department the selected node
// before its turn; `refresh` shows the pages anew before the closing message, so the user reads it over the
// outcome. Either may be empty.
struct FileCommandView {
    std::function<void(structure::TreeNode& computer)> select;
    std::function<void()> refresh;
};

// Amnesty for one computer: asks first when `ask`, then erases the change sections of its file and journals
// it; "Готово!" when `ask`. False when the user declined or the file is missing, another computer's, no
// collector file or cannot be written (told).
bool AmnestyComputer(AppState& state, structure::TreeNode& computer, const std::string& directory, bool ask,
                     const FileCommandView& view = {});
// Amnesty for every computer of the department's range after one question. Ends with "Готово!" and the list
// of computers.
void AmnestyDepartment(AppState& state, structure::TreeNode& department, const std::string& directory,
                       const FileCommandView& view = {});
// "Инвентаризировать": the inventory keys written into the computer's file, then "Готово!" and its name.
bool InventorizeComputer(AppState& state, structure::TreeNode& computer, const std::string& directory,
                         const FileCommandView& view = {});
// "Удалить файл !": asks, deletes the computer's file and journals it (unless the name has a "."); tells the
// outcome. True when the file was deleted; another computer's file is refused (told).
bool DeleteComputerFile(AppState& state, structure::TreeNode& computer, const std::string& directory,
                        const FileCommandView& view = {});

} // namespace pelgo::session
