// The main window TMain: menus, pop-ups and buttons from the command table, the structure tree on the
// left with its editing (main_window_editing.cpp), the archive commands (main_window_archive.cpp), the
// reports (main_window_reports.cpp), the right-hand pages of the selected node with the comment panel
// (main_window_views.cpp), the bottom panel with the status label, the multi-user icon and the automatic-saving box,
// and the bookmark bar. It presents the application state and never owns data.
#pragma once

#include <QMainWindow>
#include <QModelIndex>
#include <QTimer>
#include <array>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "companions/sentinox_monitor.h"
#include "gui/common/theme_icons.h"
#include "gui/inventory/number_progress_window.h"
#include "gui/main/command_menus.h"
#include "platform/program_launcher.h"
#include "platform/user_dialog.h"
#include "reports/rich_text.h"
#include "session/app_state.h"
#include "session/archive_run.h"
#include "session/command_states.h"
#include "session/computer_files.h"

class QCheckBox;
class QFrame;
class QLabel;
class QPlainTextEdit;
class QTabWidget;
class QToolButton;
class QTreeView;

namespace pelgo::gui {

class AddNodeDialog;
class AdditionalPage;
class ArchivePage;
class ChangeTypeDialog;
class ChangesPage;
class CurrentConfigPage;
class InventorySheetDialog;
class JournalFilterDialog;
class ProtocolWindow;
class ReportWindow;
class ReportsSetupWindow;
class ScanletDialog;
class SentinoxDialog;
class SetupDialog;
class StructureTreeModel;
class UpdateWindow;
class WindowTranslation;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    MainWindow(session::AppState& state, platform::UserDialog& dialog, WindowTranslation& translation);

    // One step of the indicator shown while the start converts data of an older version.
    void StepIndicator();
    // The first activation: completes the start, applies the stored language and starts the write timer.
    void Activate();

    StructureTreeModel& TreeModel() const { return *m_treeModel; }

    // Recomputes which commands are enabled and visible and how some are captioned, and applies it.
    void ApplyCommandStates();
    void ApplyCommandStates(const session::CommandStates& states);
    // The menu set-up: the tree-change check, then the commands as it left the state.
    void AllMenuSetup();

    // Everything off during tree loads and saves and at shutdown; on again runs the menu set-up.
    void SetControlsDisabled(bool disabled);
    // The multi-user icon and its list from the presence records.
    void RefreshPresence();
    // The bookmark bar as the bookmarks are now: each slot's node icon, text and path.
    void ShowBookmarks();

    QAction* Action(session::Command command) const { return m_commands.Action(command); }
    QMenu* Menu(session::Command command) const { return m_commands.Menu(command); }
    QTreeView* Tree() const { return m_tree; }
    QTimer& WriteTimer() { return m_writeTimer; }

signals:
    // The selected node stayed the same for 50 ms: its views are due.
    void nodeSelectionSettled(const QModelIndex& node);

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    // Ctrl+left click on a tree node marks it for moving.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* BuildTopPanel();
    QWidget* BuildBookmarkBar();
    QWidget* BuildPages(const NodeTypeIcons& icons);
    QWidget* BuildCommentPanel(QWidget* page);
    QWidget* BuildBottomPanel();
    // Drags, drops, in-place edits and double clicks of the tree go to the tree editor.
    void ConnectTreeEditing();
    void ConnectEditingCommands();
    void BuildListMenus();
    void ConnectCommands();
    // Controls off and the busy cursor while the tree is loaded or saved; bookmarks a load restores.
    void ConnectTreeHooks();
    void On(session::Command command, const std::function<void()>& handler);

    session::SelectionFacts CurrentSelectionFacts() const;
    QString TableCaption(const session::CommandInfo& info) const;
    // The move hint while nodes are marked, otherwise the protection's text.
    void RefreshStatus();
    // The icon of the current MultiUserStatus, shown under the protection's rule.
    void ShowPresenceIcon();
    void Save();
    void ExitByButton();
    // The change monitor's duties that complete the start: its once-a-day run, then its critical alarms.
    void CompanionDuties();
    void ChangeLanguage();
    void OnLanguageChanged();
    void ExpandSelected(bool expand);
    void OnWriteTimer();

    // The pages of the selected node (main_window_views.cpp).
    // The settled selection: the page it calls for, then every page of the node.
    void ShowNodeViews();
    // The node's pages again after a command changed its data or file; the page open stays open.
    void ShowPages();
    // A page the user opened shows the selected node.
    void OnPageChanged();
    // The additional-data page follows the selected node while it is open.
    void ShowAdditionalData();
    // The archive page; the directory of the computer's last load goes into the directory box.
    void ShowArchive(structure::TreeNode* node);
    // The current-configuration page's load, "Перечитать..." disabled meanwhile.
    void LoadCurrentConfig();
    void OpenCurrentConfig();
    void ShowCopyPopup(const QString& text, const QPoint& globalPosition);

    // The archive commands (main_window_archive.cpp).
    void ConnectArchiveCommands();
    // Protection refuses silently; another instance's Exclusive marker asks first.
    bool MayUpdateArchive();
    // Synchronising or checking the inventory numbers, after the exclusive-access warning.
    void RunNumberJob(NumberProgressWindow::Mode mode);
    // The folder of the computers' collector files, native: what the configuration-directory box shows.
    std::string ConfigDirectory() const;
    // The computer of the selected computer or address node; null for any other node.
    structure::TreeNode* SelectedComputer() const;
    // "Обновить архив !": the selected department's computers, or the selected computer.
    void UpdateArchiveOfSelection();
    // "Амнистия ...": the selected computer's file after a question, or every computer's of a department.
    void AmnestySelected();
    void InventorizeSelected();
    void DeleteSelectedFile();
    void RereadCurrentConfig();
    // A command on the selected computer's collector files: its errors are told, then the pages shown again.
    // Runs a command on the selected computer's file; the pages show its outcome before its closing message.
    void RunFileCommand(const std::function<void(session::FileCommandView& view)>& command);
    // "Всего предприятия": the update window.
    void OpenUpdateWindow();
    // "Компьютер": the selected computer's file loaded again.
    void UpdateSelectedComputer();
    // "Только выбранного отдела": every computer of the selected node's department loaded again.
    void UpdateSelectedDepartment();
    // One load of single computers: the run is handed an update on the state with the directory and the
    // options; the message it returns is shown after it, errors are told.
    void LoadComputers(const std::function<std::string(archive::ArchiveUpdate& update, const std::string& directory,
                                                       const archive::UpdateOptions& options)>& load);
    // "Распределить неучтенные компьютеры": the placement, its protocol shown and kept as move.log.
    void PlaceNewComputers();
    void SelectAbsoluteIndex(int index);
    structure::TreeNode* SelectedNode() const;
    void SelectNode(const structure::TreeNode* node);

    // The reports (main_window_reports.cpp).
    void ConnectReportCommands();
    // The built report in a report window of its kind; `closed` runs when the window closes. A file or table
    // failure while building is told and logged instead, and no window opens: null then.
    ReportWindow* OpenReport(int kind, const std::function<reports::RichText()>& build,
                             const std::function<void()>& closed = {});
    // The template editor, made at its first use.
    ReportsSetupWindow& ReportsSetup();
    // A user report's menu item: its template generated for the selected node into a report window.
    void RunUserReport(const std::string& caption);
    void RunPassport();
    void RunAccountCard();
    // A journal's menu item: the journal its caption names, for the selected node, after the filter dialog.
    void RunJournalReport(const QString& caption);
    // The documents of this run's moves, then the question whether to forget the moves.
    void RunMoveRequest();
    // The enterprise summary (`department` null), the department summary of `department`'s subtree or the owners
    // summary; the tree ignores selection and caption edits while the summary walks it.
    void RunHardwareSummary(int kind, const structure::TreeNode* department);
    void RunOwnersSummary();
    // The programs summary as a tree, its progress in the window's caption.
    void RunProgramsSummary();
    // The settings dialog, made at its first use and kept: its pick lists are gathered once.
    SetupDialog& Setup();
    // The revision's page of the settings dialog, then the revision when it was confirmed.
    void RunRevision();
    void RunInventorySheet();

    // Tree editing (main_window_editing.cpp). Each command acts on the selected node.
    void EditSelected(const std::function<void(structure::TreeEditor&, structure::TreeNode&)>& edit);
    // What an edit may have changed around the tree: marks, comments, bookmarks, commands.
    void AfterEdit();
    // After a reload of the tree (another instance saved it): no move marking, and the node at the selected
    // position (or node 0) selected.
    void OnTreeReset();
    void AddNodes();
    void DeleteSelected();
    void RenameSelected();
    void ChangeSelectedType();
    void MarkSelected();
    void CompleteMove(const QModelIndex& target);
    void DropNode(int nodeHandle, int targetHandle);
    void Shift(bool up);
    // Bold marked nodes, the move cursor, the tree's hint and the status label as the move selection is.
    void ShowMoveMarks();
    void AddComment();
    void DeleteComment();
    // The comment panel of the selected node: shown exactly when the node has a comment list.
    void ShowComments();
    // The editor's lines replace the comments of the node the panel shows.
    void StoreComments();
    void FitCommentScrollBar(int lineCount);
    void SelectBookmark(int slot);
    void ChoosePresenceEntry(const std::string& instanceId);
    void ShowTreePopup(const QPoint& position);

    session::AppState& m_state;
    platform::UserDialog& m_dialog;
    WindowTranslation& m_translation;
    CommandMenus m_commands;
    session::CommandStates m_commandStates;
    StructureTreeModel* m_treeModel = nullptr;
    bool m_brandingPresent = false;
    bool m_controlsDisabled = false;
    bool m_languageFilesMissing = false;
    bool m_activated = false;
    bool m_activating = false;

    QTreeView* m_tree = nullptr;
    QTabWidget* m_pages = nullptr;
    ArchivePage* m_archivePage = nullptr;
    CurrentConfigPage* m_currentConfigPage = nullptr;
    AdditionalPage* m_additionalPage = nullptr;
    ChangesPage* m_changesPage = nullptr;
    QLabel* m_pathLabel = nullptr; // the selected node's path
    QLabel* m_makerLabel = nullptr;
    QString m_copyText; // what "Копировать ..." puts on the clipboard
    QLabel* m_statusLabel = nullptr;
    QToolButton* m_presenceButton = nullptr;
    QMenu* m_presenceMenu = nullptr;
    QCheckBox* m_autoSaveBox = nullptr;
    QWidget* m_bookmarkBar = nullptr;
    std::array<QToolButton*, 5> m_bookmarkButtons{};
    QFrame* m_commentPanel = nullptr;
    QPlainTextEdit* m_commentEditor = nullptr;
    int m_commentHandle = 0;    // the node whose comments the panel shows
    int m_indexBeforeReset = 0; // the selected position while the tree is reloaded
    AddNodeDialog* m_addDialog = nullptr;
    ChangeTypeDialog* m_changeTypeDialog = nullptr; // made once the node types are known
    ProtocolWindow* m_protocolWindow = nullptr;
    platform::SystemLauncher m_launcher;
    companions::SentinoxMonitor m_monitor{m_launcher};
    SentinoxDialog* m_sentinoxDialog = nullptr;
    ScanletDialog* m_scanletDialog = nullptr;
    NumberProgressWindow* m_numberProgress = nullptr; // the number jobs and the start's conversion indicator
    UpdateWindow* m_updateWindow = nullptr;           // made at its first use
    ReportsSetupWindow* m_reportsSetup = nullptr;     // made at its first use
    JournalFilterDialog* m_journalFilter = nullptr;   // made at its first use
    SetupDialog* m_setup = nullptr;                   // made at its first use
    InventorySheetDialog* m_inventorySheet = nullptr; // made at its first use
    std::optional<session::ArchiveReferences> m_archiveReferences; // the single updates', made at the first
    QTimer m_writeTimer;
    QTimer m_selectionTimer;
};

} // namespace pelgo::gui
