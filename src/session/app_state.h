// The application state: one GUI-free object that owns the settings, the work log, both tables and the
// process-wide flags, and runs the start sequence, SaveAll and the close request. The window program and
// pelgo-cli hold one and present it; engines receive what they need from it by reference.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "archive/smart.h"
#include "core/date_time.h"
#include "core/translator.h"
#include "core/work_log.h"
#include "platform/progress.h"
#include "platform/user_dialog.h"
#include "shell/backup.h"
#include "shell/protection_flags.h"
#include "shell/settings.h"
#include "shell/settings_file.h"
#include "shell/table_care.h"
#include "structure/bookmarks.h"
#include "structure/multi_user.h"
#include "structure/node_types.h"
#include "structure/tree_editor.h"
#include "structure/tree_model.h"
#include "structure/tree_storage.h"
#include "structure/uno.h"
#include "structure/write_timer.h"

namespace pelgo::session {

struct StartOptions {
    std::string programDirectory;       // the installation folder, native cp1251
    std::string executablePath;         // recorded in the settings with the version
    std::vector<std::string> arguments; // command-line arguments after the program name, cp1251
    std::string currentUser;            // upper-cased login name ("Unknown User")
    std::string computerName;           // upper-cased host name ("UNKNOWN")
    // One command from the command line rather than a user's session: no start-up backups (a script of many
    // commands would rotate the real ones away), a save never overwrites a tree another instance committed
    // since the load (nobody is there to ask), and the close saves only a modified tree and leaves the
    // node-record table unpacked, so that a command that changed nothing writes nothing of the data.
    bool singleCommand = false;
};

// Reports the text of each start step; the splash shows it.
using StepReport = std::function<void(std::string_view stepText)>;

class AppState {
public:
    AppState(StartOptions options, platform::UserDialog& dialog, platform::Progress& progress);
    ~AppState();
    AppState(const AppState&) = delete;
    AppState& operator=(const AppState&) = delete;

    enum class StartResult { Running, NoRights, TableFailure, Failed };
    // The whole start up to the event loop: settings, log rotation, backups, rights, tables, protection.
    // A start that fails (a table that cannot be used, an error in a step: reported and logged) has run the
    // close request.
    StartResult Start(const StepReport& report);
    // The main window's activation; the first completes the start (version migration, StartedCorrectly).
    void Activate();
    // Runs once: saves and tidies when the start was complete, then closes the log.
    void CloseRequest();
    // After a change of language: the texts held outside the windows (the built-in journals' names and
    // field captions) in the new language, from their built-in Russian texts.
    void RetranslateTexts();
    // Posts both tables, saves what is pending and notes the save in the status text. False when the tree was
    // not saved (the storage told the user why).
    bool SaveAll();

    // True when this instance must not write: the flags, a protected tree setting, a table that is closed
    // or read-only, or a protected start. Protection found for the first time reopens both tables read-only.
    bool ProtectData();
    // The clear-failure command: asks, clears the flag and asks for a restart (the tables stay read-only).
    void ClearFailure();
    // The lift-protection command after a protected start; true when the data became writable.
    bool LiftProtection();
    // The caption of the lift-protection command, as it is logged.
    static std::string LiftProtectionCaption();

    // Presence and the Exclusive marker of this instance.
    structure::MultiUser& MultiUser() { return m_multiUser; }
    void RefreshMultiUserStatus();
    // Takes or releases the Exclusive marker by hand.
    void SetExclusive(bool take);
    // The Exclusive marker up for the life of the object, so that other instances on the data see the write.
    class ExclusiveHold {
    public:
        explicit ExclusiveHold(AppState& state);
        ~ExclusiveHold();
        ExclusiveHold(const ExclusiveHold&) = delete;
        ExclusiveHold& operator=(const ExclusiveHold&) = delete;

    private:
        AppState& m_state;
    };
    bool MultiUserIconVisible();
    // Marks a write for the write timer: every post on either table comes here, and SaveAll.
    void NotePost() { m_writeTimer.MarkWrite(); }

    enum class TreeCheck { Unchanged, Reloaded, Declined };
    // The tree-change check: when another instance has saved the tree, asks whether to load it (Reloaded:
    // the window reselects the node at SelectedIndex(), or node 0) or becomes protected (Declined).
    TreeCheck CheckCurrentConfig();
    // The window tells whether one of its modal dialogs or questions is open: the tree-change check then waits,
    // since a reload would take the nodes from under the edit that asked.
    void SetModalDialogQuery(std::function<bool()> query) { m_modalDialogOpen = std::move(query); }
    // One tick of the write timer (`updateWindowOpen` while a bulk-writing window is on screen), ending with
    // the tree-change check.
    TreeCheck OnWriteTimer(bool updateWindowOpen);
    // The node selected in the window. It is kept as the node itself, so that edits moving it keep it
    // selected; a reload selects the node at its former absolute index (or node 0).
    structure::TreeNode* SelectedNode() const { return m_tree.NodeByHandle(m_selectedHandle); }
    void SetSelectedNode(const structure::TreeNode& node) { m_selectedHandle = node.Handle(); }
    // The absolute index of the selected node; 0 without one.
    int SelectedIndex() const;
    void SetSelectedIndex(int index);

    structure::TreeModel& Tree() { return m_tree; }
    // Node records and UNOs, free of the tree's and the node-record table's UNOs.
    structure::NodeIdentity& Identity() { return m_identity; }
    // Null before the start has loaded the tree.
    structure::TreeStorage* TreeStorage() { return m_treeStorage ? &*m_treeStorage : nullptr; }
    const structure::NodeTypes* NodeTypes() const { return m_nodeTypes ? &*m_nodeTypes : nullptr; }
    // The window's duties while the tree is loaded or saved (the start's own load runs before the window
    // exists and goes without them).
    void SetTreeHooks(std::function<void(bool busy)> setBusy, std::function<void(bool minimised)> minimise);

    // Editing the tree by hand; null before the start has loaded the tree.
    structure::TreeEditor* Editor() { return m_editor ? &*m_editor : nullptr; }
    structure::Bookmarks& Bookmarks() { return m_bookmarks; }
    // The node's children's and the node's own edits are only taken while the window reacts to the tree:
    // from the activation on, and not while a long run walks it.
    bool TreeReactionsOn() const { return m_treeReactionsOn; }
    void SetTreeReactionsOn(bool on) { m_treeReactionsOn = on; }
    // "АвтоЗапись >>": a modified tree is saved whenever the selection settles on a node.
    bool AutoSave() const { return m_autoSave; }
    void SetAutoSave(bool on) { m_autoSave = on; }
    // The node views of a newly selected node are shown: saves a modified tree when saving is automatic.
    void NodeViewsShown();
    // SaveMooving: after a move, offers to save when other instances share the data.
    void SaveMooving();
    // AddToLog: a computer's journal entry, with the selected computer's text in front of its log line.
    void AddToLog(const std::string& macAddress, const std::string& text);
    // The work-log line alone, for an entry written with other records.
    void LogJournalEntry(const std::string& macAddress, const std::string& text);
    // The selected node's text when it is a computer, else empty: what journal lines are logged after.
    std::string SelectedComputerText() const;

    core::Clock& Clock() { return m_clock; }
    // Where commands ask and tell the user.
    platform::UserDialog& Dialog() { return m_dialog; }
    // Where long runs write their protocol and look for the user's cancellation.
    platform::Progress& Progress() { return m_progress; }
    shell::Settings& Settings() { return m_settings; }
    shell::SettingsFile& SettingsFile() { return m_settingsFile; }
    shell::ProtectionFlags& Flags() { return m_flags; }
    core::WorkLog& Log() { return m_log; }
    core::TKelTranslator& Translator() { return m_translator; }
    shell::ManagedTable& DeviceTable() { return m_deviceTable; }
    shell::ManagedTable& OtherTable() { return m_otherTable; }
    const std::vector<shell::JournalType>& JournalTypes() const { return m_journalTypes; }
    // The SMART attribute table, loaded at the start; null when its file is missing or unreadable.
    const archive::SmartTable* Smart() const { return m_smart ? &*m_smart : nullptr; }

    bool ReadOnlyStart() const { return m_flags.readOnlyStart; }
    bool StartedCorrectly() const { return m_startedCorrectly; }
    bool Closing() const { return m_closing; }
    const std::string& CurrentUser() const { return m_options.currentUser; }
    const std::string& ComputerName() const { return m_options.computerName; }
    int UserRights() const { return m_flags.userRights; }
    const std::string& ProgramDirectory() const { return m_options.programDirectory; }
    const std::string& StatusText() const { return m_statusText; }

private:
    StartResult StartSteps(const StepReport& report);
    void LocateSettingsFile();
    void RotateLog();
    void StartupBackups(const StepReport& report);
    bool OpenTables(const StepReport& report);
    void MigrateVersion();
    void TidyTablesAtExit();
    void WritePresence();
    // Routes the posts of both tables to NotePost.
    void WatchPosts();
    void ReopenReadOnly();
    void LoadTree();
    void LoadSmartTable();
    std::string Now() const;

    StartOptions m_options;
    platform::UserDialog& m_dialog;
    platform::Progress& m_progress;
    core::Clock m_clock;
    core::WorkLog m_log;
    core::TKelTranslator m_translator;
    shell::Settings m_settings;
    shell::ProtectionFlags m_flags;
    shell::SettingsFile m_settingsFile;
    shell::BackupSettings m_backupSettings;
    shell::ManagedTable m_deviceTable;
    shell::ManagedTable m_otherTable;
    std::vector<shell::JournalType> m_journalTypes;
    std::optional<archive::SmartTable> m_smart;
    structure::TreeModel m_tree;
    structure::UnoInTable m_unoLookupBeforeOpen;
    structure::NodeIdentity m_identity;
    std::optional<structure::NodeTypes> m_nodeTypes;
    std::optional<structure::TreeStorage> m_treeStorage;
    std::function<void(bool)> m_setBusy;
    std::function<void(bool)> m_minimise;
    structure::Bookmarks m_bookmarks{m_tree};
    class EditorHost;
    std::unique_ptr<EditorHost> m_editorHost;
    std::optional<structure::TreeEditor> m_editor;
    bool m_treeReactionsOn = false;
    bool m_autoSave = false;
    int m_selectedHandle = 0;
    bool m_checkingTree = false;
    std::function<bool()> m_modalDialogOpen;
    structure::MultiUser m_multiUser;
    structure::WriteTimer m_writeTimer;
    bool m_writingMarker = false; // the marker's own post is no write of data
    std::string m_startTime;
    std::string m_statusText;
    bool m_startedCorrectly = false;
    bool m_closing = false;
};

} // namespace pelgo::session
