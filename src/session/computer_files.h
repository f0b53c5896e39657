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

// Amnesty for one computer: asks first when `ask`, then erases the change sections of its file and journals
// it; "Готово!" when `ask`. False when the user declined or the file is missing, another computer's, no
// collector file or cannot be written (told).
bool AmnestyComputer(AppState& state, structure::TreeNode& computer, const std::string& directory, bool ask);
// Amnesty for every computer of the department's range after one question; `select` makes each computer the
// selected node before its amnesty. Ends with "Готово!" and the list of computers.
void AmnestyDepartment(AppState& state, structure::TreeNode& department, const std::string& directory,
                       const std::function<void(structure::TreeNode& computer)>& select);
// "Инвентаризировать": the inventory keys written into the computer's file, then "Готово!" and its name.
bool InventorizeComputer(AppState& state, structure::TreeNode& computer, const std::string& directory);
// "Удалить файл !": asks, deletes the computer's file and journals it (unless the name has a "."); tells the
// outcome. True when the file was deleted; another computer's file is refused (told).
bool DeleteComputerFile(AppState& state, structure::TreeNode& computer, const std::string& directory);

} // namespace pelgo::session
