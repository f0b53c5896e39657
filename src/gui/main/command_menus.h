// The main window's commands as Qt objects, built from the command table: one QAction per command (named
// by the command's control name, carrying its text id as "tag"), a QMenu for each menu, sub-menu and
// pop-up, the five menus on the window's menu bar.
#pragma once

#include <QKeySequence>
#include <array>

#include "session/command_map.h"

class QAction;
class QMainWindow;
class QMenu;

namespace pelgo::gui {

struct CommandMenus {
    std::array<QAction*, static_cast<std::size_t>(session::Command::Count)> actions{};
    // Null for commands that are not menus.
    std::array<QMenu*, static_cast<std::size_t>(session::Command::Count)> menus{};

    QAction* Action(session::Command command) const { return actions[static_cast<std::size_t>(command)]; }
    QMenu* Menu(session::Command command) const { return menus[static_cast<std::size_t>(command)]; }
};

// A shortcut as the program stores it (key code, + 16384 for Ctrl); empty for 0.
QKeySequence ShortcutOf(int stored);

CommandMenus BuildCommandMenus(QMainWindow& window);

} // namespace pelgo::gui
