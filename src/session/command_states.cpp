// The enabling, visibility and changing captions of the main window's commands.
#include "session/command_states.h"

#include <algorithm>
#include <initializer_list>

#include "core/translator.h"

namespace pelgo::session {
namespace {

using C = Command;

bool IsContainer(Command command) {
    const CommandInfo& info = InfoOf(command);
    return std::any_of(CommandTable().begin(), CommandTable().end(),
                       [&](const CommandInfo& other) { return other.parent == info.command; });
}

bool OneOf(Command command, std::initializer_list<Command> commands) {
    return std::find(commands.begin(), commands.end(), command) != commands.end();
}

// Editing the tree by hand, its comments, bookmarks and automatic saving.
constexpr std::initializer_list<Command> kTreeEditingCommands = {
    C::Rename,          C::TreeRename,         C::AddNode,         C::TreeAddNode,      C::AddButton,
    C::DeleteNode,      C::TreeDeleteNode,     C::DeleteButton,    C::ChangeType,       C::TreeChangeType,
    C::MoveNode,        C::TreeMoveNode,       C::ShiftUp,         C::ShiftDown,        C::TreeShiftUp,
    C::TreeShiftDown,   C::AddComment,         C::DeleteComment,   C::TreeAddComment,   C::TreeDeleteComment,
    C::MakeBookmark,    C::DeleteBookmark,     C::ToggleBookmarks, C::TreeMakeBookmark, C::TreeDeleteBookmark,
    C::BarMakeBookmark, C::BarToggleBookmarks, C::AutoSaveBox};

// Commands that write the data: disabled while the data are protected.
constexpr std::initializer_list<Command> kWritingCommands = {
    C::UpdateMenu,
    C::UpdateEnterprise,
    C::UpdateDepartment,
    C::UpdateComputer,
    C::PlaceNewComputers,
    C::BulkAdditionalData,
    C::Save,
    C::Rename,
    C::AddNode,
    C::MoveNode,
    C::DeleteNode,
    C::AdditionalDataMenu,
    C::AddComment,
    C::DeleteComment,
    C::ShiftMenu,
    C::ShiftUp,
    C::ShiftDown,
    C::ChangeType,
    C::TreeRename,
    C::TreeAddNode,
    C::TreeMoveNode,
    C::TreeDeleteNode,
    C::TreeAdditionalDataMenu,
    C::TreeAddComment,
    C::TreeDeleteComment,
    C::TreeShiftMenu,
    C::TreeShiftUp,
    C::TreeShiftDown,
    C::TreeChangeType,
    C::AddButton,
    C::DeleteButton,
    C::SaveButton,
    C::AutoSaveBox,
};

// The commands that act on the computer's current configuration file.
constexpr std::initializer_list<Command> kCurrentConfigCommands = {
    C::UpdateArchive,      C::Inventorize,      C::Amnesty,      C::DeleteConfigFile,
    C::PopupUpdateArchive, C::PopupInventorize, C::PopupAmnesty, C::PopupDeleteConfigFile,
};

// What the whole-window switch turns off during tree loads, saves and the shutdown.
constexpr std::initializer_list<Command> kSwitchedWithAllControls = {
    C::FileMenu,   C::NavigationMenu, C::BookmarksMenu, C::ReportsMenu,  C::HelpMenu,   C::TreePopup,
    C::SaveButton, C::FindButton,     C::AddButton,     C::DeleteButton, C::ExitButton,
};

std::string Quoted(const std::string& text) {
    return " \"" + text + "\"";
}

} // namespace

CommandStates::CommandStates() {
    for (const CommandInfo& info : CommandTable()) {
        m_states[static_cast<std::size_t>(info.command)].enabled = IsBuilt(info.command);
    }
}

bool CommandStates::IsBuilt(Command command) {
    return IsContainer(command) || OneOf(command, kTreeEditingCommands) ||
           OneOf(command, {C::Save, C::SaveButton, C::Exit, C::ExitButton, C::ChangeLanguage, C::Expand, C::Collapse,
                           C::ExpandAll, C::CollapseAll, C::TreeExpand, C::TreeCollapse, C::TreeExpandAll,
                           C::TreeCollapseAll, C::ClearFailure, C::LiftProtection, C::CopyText}) ||
           OneOf(command, {C::UpdateEnterprise, C::UpdateDepartment, C::UpdateComputer, C::PlaceNewComputers}) ||
           OneOf(command, kCurrentConfigCommands) ||
           OneOf(command, {C::RereadConfig, C::PopupRereadConfig, C::TreeCurrentConfig, C::AssignInventory}) ||
           OneOf(command, {C::Passport, C::AccountCard, C::MoveRequest}) ||
           OneOf(command, {C::SummaryEnterprise, C::SummaryDepartment, C::SummaryOwners, C::SummaryPrograms}) ||
           OneOf(command, {C::Revision, C::InventorySheet, C::SyncInventory, C::CheckInventory}) ||
           OneOf(command, {C::ScanletSettings, C::SentinoxSettings});
}

void CommandStates::Update(const StateFacts& state, const SelectionFacts& selection) {
    const bool computer = selection.hasSelection && selection.icon == 3;
    const bool department = selection.hasSelection && selection.icon == 1;
    const bool computerOrAddress = selection.hasSelection && (selection.icon == 3 || selection.icon == 4);
    for (const CommandInfo& info : CommandTable()) {
        const Command command = info.command;
        CommandState& s = m_states[static_cast<std::size_t>(command)];
        s = CommandState{};
        s.enabled = IsBuilt(command);
        if (state.isProtected && OneOf(command, kWritingCommands)) {
            s.enabled = false;
        }
        if (OneOf(command, kCurrentConfigCommands)) {
            // A department's update and amnesty go to its computers' files, not to the file the page shows.
            const bool forDepartment =
                department && OneOf(command, {C::UpdateArchive, C::PopupUpdateArchive, C::Amnesty, C::PopupAmnesty});
            s.enabled = s.enabled && (forDepartment || (computerOrAddress && selection.currentConfigHasContent)) &&
                        !state.isProtected;
        }
        if (state.controlsDisabled && OneOf(command, kSwitchedWithAllControls)) {
            s.enabled = false;
        }
    }
    const auto set = [this](Command command) -> CommandState& { return m_states[static_cast<std::size_t>(command)]; };
    for (const Command command : {C::Passport, C::AccountCard}) {
        set(command).enabled = set(command).enabled && computer && selection.hasNextNode;
    }
    // The single-computer update carries the computer's name; without one it keeps the table's caption.
    set(C::UpdateComputer).enabled = set(C::UpdateComputer).enabled && computer;
    if (computer) {
        set(C::UpdateComputer).caption = selection.text;
    }
    set(C::MoveRequest).enabled = set(C::MoveRequest).enabled && state.moveRequestsOn;
    set(C::SummaryDepartment).enabled = set(C::SummaryDepartment).enabled && department;
    set(C::JournalsMenu).caption = department ? core::Text(1001, "Сводные журналы...") : core::Text(1000, "Журналы...");
    set(C::ChangeLanguage).visible = state.languageCount > 1;
    set(C::ClearFailure).visible = state.sboiFlag && state.userRights == 0;
    set(C::LiftProtection).visible = state.userRights == 0 && state.readOnlyStart;
    for (const Command command : {C::ScanletSettings, C::SentinoxSettings}) {
        set(command).visible = !state.isProtected;
    }
    for (const Command command : {C::WebSite, C::MailToMaker}) {
        set(command).visible = !state.brandingPresent;
    }
    // Refreshed as the menus open: the navigation menu and the tree pop-up depend on the selection.
    set(C::CurrentConfigMenu).enabled = set(C::CurrentConfigMenu).enabled && computer;
    set(C::ReferenceLists).enabled = set(C::ReferenceLists).enabled && selection.additionalPageShown;
    set(C::TreeCurrentConfig).enabled = set(C::TreeCurrentConfig).enabled && selection.isNetComputer;
    set(C::TreeMakeBookmark).caption = core::Text(230, "Сделать закладку") + Quoted(selection.text);
    set(C::TreeDeleteBookmark).caption = core::Text(232, "Удалить закладку") + Quoted(selection.text);
}

} // namespace pelgo::session
