// Every command of the main window: its place in the menus, pop-up menus and button rows, its caption,
// text id, shortcut and control name. The window builds its menus from this table and the command state
// decides which items are enabled, visible and how some are captioned, so neither knows the other's
// widgets.
#pragma once

#include <span>
#include <string_view>

namespace pelgo::session {

enum class Command {
    // Top-level menus
    FileMenu,
    NavigationMenu,
    BookmarksMenu,
    ReportsMenu,
    HelpMenu,
    // "&File"
    UpdateMenu,
    UpdateEnterprise,
    UpdateDepartment,
    UpdateComputer,
    PlaceNewComputers,
    BulkAdditionalData,
    Save,
    ClearFailure,
    LiftProtection,
    Calculator,
    SettingsMenu,
    ProgramSettings,
    ScanletSettings,
    SentinoxSettings,
    ChangeLanguage,
    Exit,
    // "&Навигация"
    Rename,
    Find,
    AdditionalDataMenu,
    AddComment,
    DeleteComment,
    AddNode,
    DeleteNode,
    ChangeType,
    MoveNode,
    ShiftMenu,
    ShiftUp,
    ShiftDown,
    Expand,
    Collapse,
    ExpandAll,
    CollapseAll,
    CurrentConfigMenu,
    RereadConfig,
    UpdateArchive,
    Inventorize,
    Amnesty,
    DeleteConfigFile,
    ReferenceLists,
    ViewLog,
    // "&Закладки"
    MakeBookmark,
    DeleteBookmark,
    ToggleBookmarks,
    // "&Отчеты"
    Passport,
    AccountCard,
    MoveRequest,
    Revision,
    SummariesMenu,
    SummaryEnterprise,
    SummaryDepartment,
    SummaryOwners,
    SummaryPrograms,
    JournalsMenu,
    InventoryMenu,
    SyncInventory,
    CheckInventory,
    AssignInventory,
    InventorySheet,
    NetworkAdminMenu,
    Hosts,
    MacAndIp,
    StaticIp,
    // "&?"
    About,
    WebSite,
    MailToMaker,
    // Tree pop-up
    TreePopup,
    TreeRename,
    TreeFind,
    TreeAdditionalDataMenu,
    TreeAddComment,
    TreeDeleteComment,
    TreeMakeBookmark,
    TreeDeleteBookmark,
    TreeAddNode,
    TreeDeleteNode,
    TreeChangeType,
    TreeMoveNode,
    TreeShiftMenu,
    TreeShiftUp,
    TreeShiftDown,
    TreeExpand,
    TreeCollapse,
    TreeExpandAll,
    TreeCollapseAll,
    TreeCurrentConfig,
    TreeViewLog,
    // Current-configuration pop-up
    CurrentConfigPopup,
    PopupRereadConfig,
    PopupUpdateArchive,
    PopupInventorize,
    PopupAmnesty,
    PopupDeleteConfigFile,
    // Bookmark-bar pop-up
    BookmarkBarPopup,
    BarMakeBookmark,
    BarToggleBookmarks,
    // Copy pop-up of the summary fields and the maker's label
    CopyPopup,
    CopyText,
    // Bottom panel
    AddButton,
    DeleteButton,
    FindButton,
    ExitButton,
    SaveButton,
    AutoSaveBox,
    Count
};

// Ctrl as the program stores shortcuts: key code + 16384.
inline constexpr int kCtrl = 16384;
namespace key {
inline constexpr int F1 = 112, F2 = 113, F4 = 115, F5 = 116, F7 = 118, F9 = 120, F10 = 121, Ins = 45, Del = 46;
inline constexpr int A = 65, F = 70, M = 77, S = 83, T = 84, Z = 90;
} // namespace key

struct CommandInfo {
    Command command;
    Command parent;      // the menu it sits in; Count for top-level menus, pop-ups and buttons
    const char* name;    // control name, the key of window translation
    const char* caption; // Russian caption, UTF-8
    int textId;          // 0 when the caption has no id
    int shortcut;        // 0 for none
};

// In display order; a sub-menu comes before its items.
std::span<const CommandInfo> CommandTable();
const CommandInfo& InfoOf(Command command);

} // namespace pelgo::session
