// The archive update: the collector files of a list of folders loaded into the archive table device.dbf,
// each computer's previous records replaced but its journal kept, a tree node added for every computer the
// tree does not know yet, the archive optionally cleaned of addresses no longer in the tree, the table
// packed and the new computers placed; every step written to the protocol, which is kept as Update.log.
#pragma once

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "archive/address_list.h"
#include "archive/format_recognition.h"
#include "archive/motherboard.h"
#include "archive/new_computers.h"
#include "core/kel_ini_file.h"
#include "core/work_log.h"
#include "platform/dbf_table.h"
#include "platform/progress.h"
#include "platform/user_dialog.h"
#include "structure/tree_model.h"
#include "structure/uno.h"

namespace pelgo::archive {

// The choices of the update dialog.
struct UpdateOptions {
    bool onlyNew = true;        // "Загружать только новые файлы конфигураций"
    bool cleanArchive = false;  // "Чистить базу конфигураций" (asks first)
    bool configChanges = false; // "Загружать данные из [Config_changes]"
    bool trimJournal = true;    // "Чистить журнал изменений" ...
    int keepJournal = 10;       // ... "оставляя не более" n "записей"
    bool copyToWorkDir = false; // "Перед обработкой копировать файлы в каталог" ...
    std::string workDir;        // ... native
    bool toSelectedNode = false;   // new computers under the selected node rather than the first
    bool placeNewComputers = true; // the placement after the run (it asks first)
};

struct UpdateCounters {
    int directories = 0;
    int files = 0;
    int configurations = 0;
    int newConfigurations = 0;
    int placed = 0;
};

// What the update works on and with; the application state provides it.
struct UpdateContext {
    structure::TreeModel& tree;
    structure::NodeIdentity& identity;
    platform::DbfTable& device;
    std::string devicePath;
    core::WorkLog& log;
    platform::UserDialog& dialog;
    platform::Progress& progress; // protocol lines, counters, events and the stop flag
    std::string currentUser;
    NamingRule naming;
    PlacementRule placement;
    AddressList& addresses;
    MotherboardIdentifier& motherboards;
    RecognitionPaths recognition;
    AidaConversion& conversion;
    std::function<void(bool take)> exclusive;                                      // the Exclusive marker
    // A load's journal entry goes in with the load's records: the NAME of a record made now, and its work-log line.
    std::function<std::string()> journalStamp;
    std::function<void(const std::string& mac, const std::string& text)> logJournalEntry;
    std::function<void()> treeModified;
    std::function<void()> pack; // packs device.dbf; throws core::Error when it cannot
};

// The sections of a file a load reads, in the order it reads them, as `ReadSections` names them: Info,
// Computer and S.M.A.R.T. first (named so, whatever the file's letter case), then every other section in file
// order except those three, InventoryData, and the change sections unless `configChanges`.
core::StringList LoadedSections(const core::StringList& fileSections, bool configChanges);

class ArchiveUpdate {
public:
    explicit ArchiveUpdate(UpdateContext context);

    // StartUpdate: the whole run over `directories` (native), new computers under the first node or under
    // `selected`; the protocol is saved at `protocolPath` at the end, also of a cancelled run.
    UpdateCounters StartUpdate(const std::vector<std::string>& directories, const UpdateOptions& options,
                               structure::TreeNode* selected, const std::string& protocolPath);
    // AddNew: the files `names` of `directory` loaded; new computers go under `target`.
    void AddNew(const std::string& directory, const std::vector<std::string>& names, const UpdateOptions& options,
                structure::TreeNode& target);
    // A line of the protocol: shown through the progress and kept for Update.log (the cancellation's too).
    void Protocol(const std::string& line);
    const std::string& ProtocolText() const { return m_protocol; }
    const UpdateCounters& Counters() const { return m_counters; }

    // MoveToTempDir: copies of `names` in the working directory, when the options ask for them; AddNew reads
    // these copies instead of the originals until RemoveCopies deletes them.
    void MoveToTempDir(const std::string& directory, const std::vector<std::string>& names,
                       const UpdateOptions& options);
    void RemoveCopies();

private:
    void CheckCurrent(const UpdateOptions& options);
    void LoadComputer(core::TKelIniFile& file, const std::string& address, const std::string& fileName,
                      const std::string& directory, std::vector<std::pair<std::string, std::string>> journal,
                      const UpdateOptions& options, const std::vector<platform::RecordNumber>& replaced);
    void ReadIniSection(core::TKelIniFile& file, const std::string& section, const std::string& address);
    // A computer's records are appended together, at the end of its load.
    void Append(std::string_view address, std::string_view group, std::string_view name, std::string_view text);
    void AppendPending();
    std::set<std::string> TreeAddresses() const;
    void Report();

    UpdateContext m_context;
    std::string m_protocol;
    UpdateCounters m_counters;
    std::vector<std::vector<std::string>> m_pending;
    std::string m_workDir;
    std::set<std::string> m_copies; // names copied to m_workDir for the directory at hand
};

} // namespace pelgo::archive
