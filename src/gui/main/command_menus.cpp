// Menus, pop-ups and actions of the main window from the command table.
#include "gui/main/command_menus.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <algorithm>
#include <initializer_list>

#include "gui/common/window_translation.h"

namespace pelgo::gui {
namespace {

using session::Command;

constexpr std::initializer_list<Command> kMenuBarMenus = {
    Command::FileMenu, Command::NavigationMenu, Command::BookmarksMenu, Command::ReportsMenu, Command::HelpMenu};
// Filled from lists at start (one item per journal type), so the table names no items for it.
constexpr std::initializer_list<Command> kListMenus = {Command::JournalsMenu};
// Groups within the long menus.
constexpr std::initializer_list<Command> kSeparatorBefore = {
    Command::Save,
    Command::Calculator,
    Command::Exit,
    Command::AddNode,
    Command::Expand,
    Command::CurrentConfigMenu,
    Command::ReferenceLists,
    Command::MoveRequest,
    Command::SummariesMenu,
    Command::InventoryMenu,
    Command::TreeMakeBookmark,
    Command::TreeAddNode,
    Command::TreeExpand,
    Command::TreeCurrentConfig,
};

bool Contains(std::initializer_list<Command> commands, Command command) {
    return std::find(commands.begin(), commands.end(), command) != commands.end();
}

bool IsMenu(Command command) {
    const auto table = session::CommandTable();
    return Contains(kListMenus, command) ||
           std::any_of(table.begin(), table.end(), [&](const auto& info) { return info.parent == command; });
}

} // namespace

QKeySequence ShortcutOf(int stored) {
    if (stored == 0) {
        return {};
    }
    const int code = stored % session::kCtrl;
    const Qt::KeyboardModifiers modifiers = stored >= session::kCtrl ? Qt::ControlModifier : Qt::NoModifier;
    int key = code; // letters and digits share their codes with Qt
    if (code >= session::key::F1 && code < session::key::F1 + 24) {
        key = Qt::Key_F1 + (code - session::key::F1);
    } else if (code == session::key::Ins) {
        key = Qt::Key_Insert;
    } else if (code == session::key::Del) {
        key = Qt::Key_Delete;
    }
    return QKeySequence(QKeyCombination(modifiers, static_cast<Qt::Key>(key)));
}

CommandMenus BuildCommandMenus(QMainWindow& window) {
    CommandMenus built;
    for (const session::CommandInfo& info : session::CommandTable()) {
        const auto index = static_cast<std::size_t>(info.command);
        const QString name = QString::fromLatin1(info.name);
        const QString caption = QString::fromUtf8(info.caption);
        QMenu* parentMenu = info.parent == Command::Count ? nullptr : built.Menu(info.parent);
        if (parentMenu != nullptr && Contains(kSeparatorBefore, info.command)) {
            parentMenu->addSeparator();
        }
        QAction* action = nullptr;
        if (IsMenu(info.command)) {
            auto* menu = new QMenu(caption, &window);
            menu->setObjectName(name);
            built.menus[index] = menu;
            action = menu->menuAction();
            if (parentMenu != nullptr) {
                parentMenu->addMenu(menu);
            } else if (Contains(kMenuBarMenus, info.command)) {
                window.menuBar()->addMenu(menu);
            }
        } else {
            action = new QAction(caption, &window);
            action->setShortcut(ShortcutOf(info.shortcut));
            if (parentMenu != nullptr) {
                parentMenu->addAction(action);
            }
        }
        action->setObjectName(name);
        if (info.textId > 0) {
            action->setProperty(kTagProperty, info.textId);
        }
        built.actions[index] = action;
    }
    return built;
}

} // namespace pelgo::gui
