// SetupTreeNode: loading the structure tree from its three files and saving it back, with the wait for
// other instances' writers, the commit, the first run with its sample tree, and the safety copies made when
// the tree's first node seems to have changed identity.
#pragma once

#include <functional>
#include <optional>
#include <set>
#include <string>
#include <utility>

#include "core/date_time.h"
#include "core/file.h"
#include "core/work_log.h"
#include "platform/progress.h"
#include "platform/user_dialog.h"
#include "shell/protection_flags.h"
#include "shell/settings.h"
#include "structure/bookmarks.h"
#include "structure/node_types.h"
#include "structure/tree_file_set.h"
#include "structure/tree_model.h"
#include "structure/uno.h"

namespace pelgo::structure {

// The three tree files the settings name.
TreeFilePaths TreeFilePathsOf(const shell::Settings& settings);

struct TreeStorageContext {
    TreeModel& tree;
    NodeIdentity& identity;
    const NodeTypes& nodeTypes;
    shell::Settings& settings;
    shell::ProtectionFlags& flags;
    // ProtectData of the application state: true when the data are protected; persists the failure flag.
    std::function<bool()> protectData;
    // Writes the settings (ReadIni mode 0), as every save does first.
    std::function<void()> writeSettings;
    core::WorkLog& log;
    platform::UserDialog& dialog;
    platform::Progress& progress;
    const core::Clock& clock;
    // Waits that long while events go on; empty: sleeps in short slices, pumping the progress's events.
    std::function<void(int milliseconds)> wait = {};
    // Restored from [BookMarks] by every load and stored there by every commit (through `writeBookmarks`);
    // none for a look at the data.
    Bookmarks* bookmarks = nullptr;
    // Optional window duties: controls off and the busy cursor while a load or save runs ...
    std::function<void(bool busy)> setBusy = {};
    // ... and the application minimised for a moment while a writer's lock has been waited for long.
    std::function<void(bool minimised)> minimise = {};
    // A look at the data writes nothing, not even to tidy up after a writer that died.
    bool lookOnly = false;
    std::function<void()> writeBookmarks = {};
    // A save that finds a tree another instance committed since this one loaded writes nothing rather than
    // asking whether to overwrite it (one command from the command line, with nobody to ask).
    bool keepOthersTree = false;
};

class TreeStorage {
public:
    static constexpr int kSave = 0;
    static constexpr int kLoad = 1;

    explicit TreeStorage(TreeStorageContext context);

    // kLoad replaces the tree by the files' content (or, without a tree text file, by a first-run tree);
    // kSave writes and commits the three files unless the data are protected. When another instance has
    // committed since this one loaded or saved, the save asks whether to overwrite that tree or to load it.
    // True when the tree was loaded or the files committed; false when another load or save was running, a
    // load was rejected (the previous tree stays and the failure flag is set) or a save wrote nothing (the
    // tree then stays modified).
    bool SetupTreeNode(int mode);

    TreeFilePaths Paths() const;
    bool TreeBusy() const { return m_treeBusy; }
    bool TreeModified() const { return m_treeModified; }
    void SetTreeModified(bool modified) { m_treeModified = modified; }
    // Whether the tree text file is no longer the one of the last load or save: another instance saved it
    // (each save commits a new file, so size, modification time and identity are compared). Always true after
    // a load or save that left the failure flag set.
    bool TreeFileChanged() const;
    const core::DateTime& NextCheckTime() const { return m_nextCheckTime; }
    void SetNextCheckTime(const core::DateTime& time) { m_nextCheckTime = time; }
    // The UNO of node 0 after the last load or save.
    const std::string& FirstNodeUno() const { return m_firstNodeUno; }

private:
    class BusyScope;

    bool Load();
    bool Save();
    // Waits until `claim` succeeds: true then; false when the user chose to ignore the writer that holds
    // the files. `tries` carries the count of waits across calls of one load or save.
    bool WaitForWriters(bool saving, int& tries, const std::function<bool()>& claim);
    TreeFileSet ReadForLoad(const TreeFilePaths& paths);
    // Settles what a writer that died left, when this user may take the lock for writing.
    void SettleDeadWriters(const TreeFilePaths& paths);
    // Asks whether to overwrite the tree another instance committed: true for Yes; on No that tree is loaded.
    bool OverwriteOthersTree();
    void ReportSaveFailure(const std::string& reason);
    void ReportDuplicateUnos();
    void RejectLoad(const std::string& path, const std::string& reason);
    bool ApplyImage(const std::string& bytes, const std::string& path);
    void ApplyAddData(const std::string& bytes, const std::string& path);
    void FirstRun(const std::string& treeTextPath);
    bool MakeSafetyCopies(const TreeFilePaths& paths, platform::UserDialog& dialog);
    void ReportLineError(int textId, const char* text, std::string_view line, const std::string& path,
                         platform::MessageKind kind);
    void PumpEvents(int nodesDone);

    TreeStorageContext m_context;
    bool m_treeBusy = false;
    bool m_treeModified = false;
    std::optional<core::FileStamp> m_treeFileStamp; // empty for a missing file
    bool m_endedWithFailure = false;
    core::DateTime m_nextCheckTime;
    std::string m_firstNodeUno;
    std::set<std::pair<std::string, int>> m_reportedDuplicates; // UNO and the later node's index
};

} // namespace pelgo::structure
