// The command table of the main window.
#include "session/command_map.h"

#include <array>

namespace pelgo::session {
namespace {

using C = Command;
constexpr C kTop = C::Count;

constexpr std::array<CommandInfo, static_cast<std::size_t>(C::Count)> kTable = {{
    {C::FileMenu, kTop, "N_File", "&File", 0, 0},
    {C::NavigationMenu, kTop, "N_Navigation", "&Навигация", 0, 0},
    {C::BookmarksMenu, kTop, "N_Bookmarks", "&Закладки", 0, 0},
    {C::ReportsMenu, kTop, "N_Reports", "&Отчеты", 0, 0},
    {C::HelpMenu, kTop, "N_Help", "&?", 0, 0},
    {C::UpdateMenu, C::FileMenu, "N_Update", "Обновить данные ....", 0, 0},
    {C::UpdateEnterprise, C::UpdateMenu, "N_UpdateAll", "Всего предприятия", 3040, 0},
    {C::UpdateDepartment, C::UpdateMenu, "N_UpdateDepartment", "Только выбранного отдела", 3041, 0},
    {C::UpdateComputer, C::UpdateMenu, "N_UpdateComputer", "Компьютер", 2032, 0},
    {C::PlaceNewComputers, C::FileMenu, "N_Place", "Распределить неучтенные компьютеры", 0, 0},
    {C::BulkAdditionalData, C::FileMenu, "N_BulkData", "Заполнение дополнительных данных ...", 0, 0},
    {C::Save, C::FileMenu, "N_Save", "Сохранить ...", 0, kCtrl + key::S},
    {C::ClearFailure, C::FileMenu, "N_ClearSboi", "Снять предупреждение \" СБОЙ \"", 0, 0},
    {C::LiftProtection, C::FileMenu, "N_LiftProtection", "Отключить \"Защиту данных\"", 0, 0},
    {C::Calculator, C::FileMenu, "N_Calculator", "Калькулятор", 250, 0},
    {C::SettingsMenu, C::FileMenu, "N_Settings", "Настройки ...", 0, 0},
    {C::ProgramSettings, C::SettingsMenu, "N_SetupProgram", "Настройки программы", 0, 0},
    {C::ScanletSettings, C::SettingsMenu, "N_SetupScanlet", "Настройки Scanlet", 0, 0},
    {C::SentinoxSettings, C::SettingsMenu, "N_SetupSentinox", "Настройки Sentinox", 0, 0},
    {C::ChangeLanguage, C::FileMenu, "N_ChangeLanguage", "Change Language", 0, 0},
    {C::Exit, C::FileMenu, "N_Exit", "Выход", 15, 0},
    {C::Rename, C::NavigationMenu, "N_Rename", "Переименовать", 200, key::F2},
    {C::Find, C::NavigationMenu, "N_Find", "Найти", 201, key::F7},
    {C::AdditionalDataMenu, C::NavigationMenu, "N_AddData", "Дополнительные данные", 202, 0},
    {C::AddComment, C::AdditionalDataMenu, "N_AddComment", "Добавить комментарий", 203, 0},
    {C::DeleteComment, C::AdditionalDataMenu, "N_DeleteComment", "Удалить комментарий", 204, 0},
    {C::AddNode, C::NavigationMenu, "N_Add", "Добавить", 205, key::Ins},
    {C::DeleteNode, C::NavigationMenu, "N_Delete", "Удалить", 207, kCtrl + key::Del},
    {C::ChangeType, C::NavigationMenu, "N_ChangeType", "Изменить тип", 208, kCtrl + key::T},
    {C::MoveNode, C::NavigationMenu, "N_Move", "Переместить", 206, kCtrl + key::M},
    {C::ShiftMenu, C::NavigationMenu, "N_Shift", "&Сдвинуть ...", 209, 0},
    {C::ShiftUp, C::ShiftMenu, "N_ShiftUp", "Сдвинуть вверх", 0, kCtrl + key::A},
    {C::ShiftDown, C::ShiftMenu, "N_ShiftDown", "Сдвинуть вниз", 0, kCtrl + key::Z},
    {C::Expand, C::NavigationMenu, "N_Expand", "Развернуть", 210, key::F4},
    {C::Collapse, C::NavigationMenu, "N_Collapse", "Свернуть", 211, key::F5},
    {C::ExpandAll, C::NavigationMenu, "N_ExpandAll", "Развернуть все ...", 212, kCtrl + key::F4},
    {C::CollapseAll, C::NavigationMenu, "N_CollapseAll", "Свернуть все...", 213, kCtrl + key::F5},
    {C::CurrentConfigMenu, C::NavigationMenu, "N_CurrentConfig", "&Текущая конфигурация", 214, 0},
    {C::RereadConfig, C::CurrentConfigMenu, "N_Reread", "Перечитать...", 215, 0},
    {C::UpdateArchive, C::CurrentConfigMenu, "N_UpdateArchive", "Обновить архив !", 216, 0},
    {C::Inventorize, C::CurrentConfigMenu, "N_Inventorize", "Инвентаризировать", 217, 0},
    {C::Amnesty, C::CurrentConfigMenu, "N_Amnesty", "Амнистия ...", 218, 0},
    {C::DeleteConfigFile, C::CurrentConfigMenu, "N_DeleteFile", "Удалить файл !", 219, 0},
    {C::ReferenceLists, C::NavigationMenu, "N_Spravki", "Справочники", 220, key::F1},
    {C::ViewLog, C::NavigationMenu, "N_ViewLog", "Просмотреть журнал ...", 221, 0},
    {C::MakeBookmark, C::BookmarksMenu, "N_MakeBookmark", "Сделать закладку", 230, key::F9},
    {C::DeleteBookmark, C::BookmarksMenu, "N_DeleteBookmark", "Удалить закладку", 0, kCtrl + 120},
    {C::ToggleBookmarks, C::BookmarksMenu, "N_ToggleBookmarks", "Показать/Скрыть закладки", 231, key::F10},
    {C::Passport, C::ReportsMenu, "N_Passport", "Паспорт компьютера", 0, 0},
    {C::AccountCard, C::ReportsMenu, "N_AccountCard", "Учетная карточка", 0, 0},
    {C::MoveRequest, C::ReportsMenu, "N_MoveRequest", "Требование на перемещение", 0, 0},
    {C::Revision, C::ReportsMenu, "N_Revision", "Ревизия ", 0, 0},
    {C::SummariesMenu, C::ReportsMenu, "N_Summaries", "Своды ...", 0, 0},
    {C::SummaryEnterprise, C::SummariesMenu, "N_SvodAll", "Свод по предприятию", 0, 0},
    {C::SummaryDepartment, C::SummariesMenu, "N_SvodDepartment", "Свод по отделу", 0, 0},
    {C::SummaryOwners, C::SummariesMenu, "N_SvodOwners", "Свод по владельцам", 0, 0},
    {C::SummaryPrograms, C::SummariesMenu, "N_SvodPrograms", "Свод по программам", 0, 0},
    {C::JournalsMenu, C::ReportsMenu, "N_Journals", "Журналы...", 1000, 0},
    {C::InventoryMenu, C::ReportsMenu, "N_Inventory", "Инвентаризация ...", 0, 0},
    {C::SyncInventory, C::InventoryMenu, "N_SyncInventory", "Синхронизировать инв.номера", 0, 0},
    {C::CheckInventory, C::InventoryMenu, "N_CheckInventory", "Проверить инв.номера", 0, 0},
    {C::AssignInventory, C::InventoryMenu, "N_AssignInventory", "Проставить номера !", 0, 0},
    {C::InventorySheet, C::InventoryMenu, "N_InventorySheet", "Инвентаризационная ведомость", 0, 0},
    {C::NetworkAdminMenu, C::ReportsMenu, "N_NetAdmin", "Администратору сети", 0, 0},
    {C::Hosts, C::NetworkAdminMenu, "N_Hosts", "Hosts", 0, 0},
    {C::MacAndIp, C::NetworkAdminMenu, "N_MacIp", "MAC and IP-addr", 0, 0},
    {C::StaticIp, C::NetworkAdminMenu, "N_StaticIp", "Static IP", 0, 0},
    {C::About, C::HelpMenu, "N_About", "О программе", 0, 0},
    {C::WebSite, C::HelpMenu, "N_WebSite", "Web-сайт", 0, 0},
    {C::MailToMaker, C::HelpMenu, "N_Mail", "Написать письмо", 0, 0},
    {C::TreePopup, kTop, "PopupTree", "", 0, 0},
    {C::TreeRename, C::TreePopup, "P_Rename", "Переименовать", 200, 0},
    {C::TreeFind, C::TreePopup, "P_Find", "Найти ...", 201, kCtrl + key::F},
    {C::TreeAdditionalDataMenu, C::TreePopup, "P_AddData", "Дополнительные данные", 202, 0},
    {C::TreeAddComment, C::TreeAdditionalDataMenu, "P_AddComment", "Добавить комментарий", 203, 0},
    {C::TreeDeleteComment, C::TreeAdditionalDataMenu, "P_DeleteComment", "Удалить комментарий", 204, 0},
    {C::TreeMakeBookmark, C::TreePopup, "P_MakeBookmark", "Сделать закладку", 230, 0},
    {C::TreeDeleteBookmark, C::TreePopup, "P_DeleteBookmark", "Удалить закладку", 232, 0},
    {C::TreeAddNode, C::TreePopup, "P_Add", "Добавить ...", 205, 0},
    {C::TreeDeleteNode, C::TreePopup, "P_Delete", "Удалить...", 207, 0},
    {C::TreeChangeType, C::TreePopup, "P_ChangeType", "Изменить тип", 208, 0},
    {C::TreeMoveNode, C::TreePopup, "P_Move", "Переместить...    Ctrl+Left Mouse", 0, 0},
    {C::TreeShiftMenu, C::TreePopup, "P_Shift", "Сдвинуть ...", 209, 0},
    {C::TreeShiftUp, C::TreeShiftMenu, "P_ShiftUp", "Сдвинуть вверх  Ctrl+A", 0, 0},
    {C::TreeShiftDown, C::TreeShiftMenu, "P_ShiftDown", "Сдвинуть вниз     Ctrl+Z", 0, 0},
    {C::TreeExpand, C::TreePopup, "P_Expand", "Развернуть...", 212, 0},
    {C::TreeCollapse, C::TreePopup, "P_Collapse", "Свернуть...", 213, 0},
    {C::TreeExpandAll, C::TreePopup, "P_ExpandAll", "Развернуть все ...", 212, 0},
    {C::TreeCollapseAll, C::TreePopup, "P_CollapseAll", "Свернуть все...", 213, 0},
    {C::TreeCurrentConfig, C::TreePopup, "P_CurrentConfig", "Текущая конфигурация ...", 214, 0},
    {C::TreeViewLog, C::TreePopup, "P_ViewLog", "Просмотреть журнал ...", 221, 0},
    {C::CurrentConfigPopup, kTop, "PopupCurrentConfig", "", 0, 0},
    {C::PopupRereadConfig, C::CurrentConfigPopup, "C_Reread", "Перечитать...", 215, 0},
    {C::PopupUpdateArchive, C::CurrentConfigPopup, "C_UpdateArchive", "Обновить архив !", 216, 0},
    {C::PopupInventorize, C::CurrentConfigPopup, "C_Inventorize", "Инвентаризировать", 217, 0},
    {C::PopupAmnesty, C::CurrentConfigPopup, "C_Amnesty", "Амнистия ...", 218, 0},
    {C::PopupDeleteConfigFile, C::CurrentConfigPopup, "C_DeleteFile", "Удалить файл !", 219, 0},
    {C::BookmarkBarPopup, kTop, "PopupBookmarks", "", 0, 0},
    {C::BarMakeBookmark, C::BookmarkBarPopup, "B_MakeBookmark", "Сделать закладку ", 230, 0},
    {C::BarToggleBookmarks, C::BookmarkBarPopup, "B_ToggleBookmarks", "Показать/Скрыть закладки", 231, 0},
    {C::CopyPopup, kTop, "PopupCopy", "", 0, 0},
    {C::CopyText, C::CopyPopup, "CopyText", "Копировать ...", 240, 0},
    {C::AddButton, kTop, "AddButton", "Добавить ...      Ins", 0, 0},
    {C::DeleteButton, kTop, "DeleteButton", "Удалить...     Ctrl+Del", 0, 0},
    {C::FindButton, kTop, "FindButton", "Найти...    F7", 0, 0},
    {C::ExitButton, kTop, "ExitButton", "Выход", 0, 0},
    {C::SaveButton, kTop, "SaveButton", "Сохранить...     Ctrl+S", 0, 0},
    {C::AutoSaveBox, kTop, "AutoSaveBox", "АвтоЗапись >>", 0, 0},
}};

constexpr bool TableFollowsCommandOrder() {
    for (std::size_t i = 0; i < kTable.size(); ++i) {
        if (static_cast<std::size_t>(kTable[i].command) != i) {
            return false;
        }
    }
    return true;
}
static_assert(TableFollowsCommandOrder(), "kTable rows must follow the order of Command");

} // namespace

std::span<const CommandInfo> CommandTable() {
    return kTable;
}

const CommandInfo& InfoOf(Command command) {
    return kTable[static_cast<std::size_t>(command)];
}

} // namespace pelgo::session
