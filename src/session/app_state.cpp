// The start sequence, the activation duties, SaveAll and the close request.
#include "session/app_state.h"

#include <algorithm>
#include <chrono>
#include <exception>
#include <thread>
#include <utility>

#include "archive/computer_journal.h"
#include "core/cp1251.h"
#include "core/errors.h"
#include "core/file.h"
#include "session/command_map.h"
#include "shell/version.h"
#include "structure/node_records_table.h"

namespace pelgo::session {
namespace {

// Tries of 100 ms to find the tree files free of writers for the start's backups.
constexpr int kTreeBackupTries = 50;

shell::JournalType BuiltInJournal(int nameId, const char* name, const char* code, int firstCaptionId,
                                  const std::array<const char*, 4>& captions) {
    shell::JournalType type{core::Text(nameId, name), code, {}, {}};
    for (std::size_t i = 0; i < captions.size(); ++i) {
        type.captions[i] = core::Text(firstCaptionId + static_cast<int>(i), captions[i]);
    }
    return type;
}

// The two journals every installation has; their texts follow the interface language.
std::vector<shell::JournalType> BuiltInJournals() {
    return {
        BuiltInJournal(
            1030, "Ремонты", "35", 1032,
            {"Ремонтирующая организация", "Характер неисправности", "Стоимость ремонта", "Дата получения из ремонта"}),
        BuiltInJournal(
            1031, "Модернизации", "36", 1036,
            {"Модернизируемый блок", "Описание работ по модернизации", "Стоимость работ", "Кем проводились работы"}),
    };
}

// Field names of older versions and the additional-data fields that replaced them.
const std::vector<std::pair<std::string, std::string>>& RenamedFields() {
    static const std::vector<std::pair<std::string, std::string>> renamed = [] {
        const std::pair<const char*, const char*> utf8[] = {
            {"Модель", "aModel"},      {"ЗавНомер", "aZavNum"}, {"Пломба", "aPlomba"},   {"Инвентарный", "aInumber"},
            {"ВыпЗадачи", "aZadachi"}, {"ДПрихода", "aD1"},     {"Стоимость", "aPrice"}, {"Поставщик", "aShop"},
            {"Накладная", "aNaklad"},  {"ДГарантии", "aDend"},  {"Помещение", "aRoom"},  {"РабМесто", "aRabM"},
            {"Должность", "aDolgn"},   {"Телефон", "aPhone"},   {"МатОтв", "aFIO"},      {"Edit1", "Edit1"},
            {"Edit2", "Edit2"},        {"Edit3", "Edit3"},      {"Edit4", "Edit4"},      {"Файл_1", "File_1"},
            {"Файл_2", "File_2"},
        };
        std::vector<std::pair<std::string, std::string>> out;
        for (const auto& [from, to] : utf8) {
            out.emplace_back(core::Utf8ToCp1251(from), to);
        }
        return out;
    }();
    return renamed;
}

// Raises a flag for its own lifetime.
class RaisedFlag {
public:
    explicit RaisedFlag(bool& flag) : m_flag(flag) { m_flag = true; }
    ~RaisedFlag() { m_flag = false; }
    RaisedFlag(const RaisedFlag&) = delete;
    RaisedFlag& operator=(const RaisedFlag&) = delete;

private:
    bool& m_flag;
};

} // namespace

class AppState::EditorHost : public structure::EditorHost {
public:
    explicit EditorHost(AppState& state) : m_state(state) {}

    bool ProtectData() override { return m_state.ProtectData(); }
    void SetTreeModified() override { m_state.m_treeStorage->SetTreeModified(true); }
    void TakeExclusive() override { m_state.SetExclusive(true); }
    bool MultiUserWarningOk() override {
        m_state.RefreshMultiUserStatus();
        return m_state.m_multiUser.MultiUserWarningOk(m_state.m_dialog, m_state.m_log);
    }
    void CheckCurrentConfig() override { m_state.CheckCurrentConfig(); }
    void AddToLog(const std::string& macAddress, const std::string& text) override {
        m_state.AddToLog(macAddress, text);
    }
    void DeleteNodeRecords(const std::string& uno) override {
        structure::NodeRecordsTable(*m_state.m_otherTable.table).DeleteNodeRecords(uno);
    }
    void AppendNodeRecord(const std::string& uno, const std::string& group, const std::string& name,
                          const std::string& text) override {
        structure::NodeRecordsTable(*m_state.m_otherTable.table).Append(uno, group, name, text);
    }
    void AfterMove() override { m_state.SaveMooving(); }

private:
    AppState& m_state;
};

AppState::AppState(StartOptions options, platform::UserDialog& dialog, platform::Progress& progress)
    : m_options(std::move(options)), m_dialog(dialog), m_progress(progress),
      m_log(m_options.programDirectory + "/pelgo.log", m_clock), m_translator(m_options.programDirectory),
      m_settings(m_options.programDirectory),
      m_settingsFile(m_options.programDirectory + "/pelgo.ini", m_settings, m_flags,
                     shell::SettingsContext{
                         m_log,
                         m_dialog,
                         m_clock,
                         m_options.executablePath,
                         m_options.currentUser,
                         core::FileExists(m_options.programDirectory + "/pelgo.set"),
                         {},
                     }),
      m_identity(m_tree, m_clock,
                 [this](const std::string& uno) {
                     if (m_otherTable.IsOpen()) {
                         return !m_otherTable.table->Find(uno).empty();
                     }
                     return m_unoLookupBeforeOpen && m_unoLookupBeforeOpen(uno);
                 }),
      m_multiUser(m_options.currentUser, m_options.computerName) {
    m_log.SetIdentity(m_options.currentUser, m_options.computerName);
    m_settingsFile.SetProtectionCheck([this] { return ProtectData(); });
}

AppState::~AppState() = default;

AppState::StartResult AppState::Start(const StepReport& report) {
    try {
        return StartSteps(report);
    } catch (const std::exception& error) {
        // Nothing is saved after a failed start, but the log still tells how the run ended.
        m_log.LogEvent(std::string("ERROR! ") + error.what());
        m_dialog.Inform(platform::MessageKind::Error, error.what());
        CloseRequest();
        return StartResult::Failed;
    }
}

AppState::StartResult AppState::StartSteps(const StepReport& report) {
    m_flags.readOnlyStart = !m_options.arguments.empty() && core::UpperLatin(m_options.arguments.front()) == "/R";
    report("Preparation...");
    m_journalTypes = BuiltInJournals();
    LocateSettingsFile();
    report("Read Config...");
    m_settingsFile.ReadIni(1);
    m_journalTypes.insert(m_journalTypes.end(), m_settings.journalTypes.begin(), m_settings.journalTypes.end());
    m_backupSettings = {m_settings.Int(shell::Key::CreateBackup), m_settings.Int(shell::Key::BackupCount),
                        m_settings.Bool(shell::Key::ShowBackupError)};
    m_translator.SetUnreadableFileHandler(
        [this](const std::string& reason) { m_log.LogEvent("Language file skipped: " + reason); });
    m_translator.SetDirectory(m_settings.Paths().ToNative(m_settings.Text(shell::Key::LngFileDir)));
    m_translator.ChooseLanguage(m_settings.Int(shell::Key::Language));
    RetranslateTexts();
    RotateLog();
    report("Create Menu...");
    StartupBackups(report);
    if (m_flags.userRights > 1) {
        m_log.LogEvent("not have rights for usage this program");
    } else {
        LoadTree();
    }
    report("Create Forms");
    if (m_flags.userRights > 1) {
        m_log.LogClose();
        m_dialog.Inform(platform::MessageKind::Error, "Excuse, you do not have rights for usage this program.");
        return StartResult::NoRights;
    }
    LoadSmartTable();
    if (!OpenTables(report)) {
        CloseRequest();
        return StartResult::TableFailure;
    }
    m_flags.networkReadOnly = m_deviceTable.readOnly;
    ProtectData();
    m_log.LogEvent(core::Text(1041, "начал работу ") + m_statusText + ". " + core::Text(2032, "Компьютер") + " " +
                   m_options.computerName);
    report("Run Application");
    return StartResult::Running;
}

void AppState::RetranslateTexts() {
    const std::vector<shell::JournalType> builtIn = BuiltInJournals();
    if (m_journalTypes.size() >= builtIn.size()) { // the start has made the list
        std::copy(builtIn.begin(), builtIn.end(), m_journalTypes.begin());
    }
}

void AppState::SetTreeHooks(std::function<void(bool)> setBusy, std::function<void(bool)> minimise) {
    m_setBusy = std::move(setBusy);
    m_minimise = std::move(minimise);
}

void AppState::LoadTree() {
    m_nodeTypes.emplace(m_settings.userNodeTypes);
    structure::TreeStorageContext context{m_tree,
                                          m_identity,
                                          *m_nodeTypes,
                                          m_settings,
                                          m_flags,
                                          [this] { return ProtectData(); },
                                          [this] { m_settingsFile.ReadIni(0); },
                                          m_log,
                                          m_dialog,
                                          m_progress,
                                          m_clock};
    // The window installs its hooks after the start's load: the storage asks for them at each use.
    context.setBusy = [this](bool busy) {
        if (m_setBusy) {
            m_setBusy(busy);
        }
    };
    context.minimise = [this](bool minimised) {
        if (m_minimise) {
            m_minimise(minimised);
        }
    };
    context.bookmarks = &m_bookmarks;
    context.writeBookmarks = [this] { m_settingsFile.WriteBookmarks(); };
    context.keepOthersTree = m_options.singleCommand;
    m_treeStorage.emplace(std::move(context));
    m_editorHost = std::make_unique<EditorHost>(*this);
    m_editor.emplace(m_tree, m_identity, *m_nodeTypes, m_settings, m_log, m_dialog, m_bookmarks, *m_editorHost,
                     m_options.currentUser);
    // The start loads the tree before it opens the tables; UNOs made meanwhile are checked all the same.
    m_unoLookupBeforeOpen = structure::UnoLookupIn(m_settings.FilePath(shell::Key::OtherTable), m_clock);
    m_treeStorage->SetupTreeNode(structure::TreeStorage::kLoad);
    m_unoLookupBeforeOpen = nullptr;
}

void AppState::LoadSmartTable() {
    const std::string path = m_settings.FilePath(shell::Key::SmartCode);
    try {
        m_smart = archive::SmartTable::Load(path);
    } catch (const core::Error& error) {
        // Without the table the SMART lines are shown undecoded; the program runs on.
        m_log.LogEvent(error.what());
    }
}

void AppState::LocateSettingsFile() {
    const std::string target = m_options.programDirectory + "/pelgo.ini";
    const std::string old = m_options.programDirectory + "/BASE/pelgo.ini";
    if (core::FileExists(target) || !core::FileExists(old)) {
        return;
    }
    m_dialog.Inform(platform::MessageKind::Information,
                    core::Text(1003, "Смена версии программы ") +
                        core::Text(1040, ":\r\nФайл конфигурации переносится из\r\n") + m_options.programDirectory +
                        "/BASE/" + core::Text(1008, "\r\n в ") + m_options.programDirectory + "/");
    if (core::RenameFile(old, target)) {
        return;
    }
    if (core::CopyFileKeepingTime(old, target) && core::RemoveFile(old)) {
        return;
    }
    m_dialog.Inform(platform::MessageKind::Error,
                    "ERROR! Please, move file pelgo.ini to " + m_options.programDirectory + "/");
    m_flags.sboiFlag = true;
}

void AppState::RotateLog() {
    const int megabytes = m_settings.Int(shell::Key::LogOfMovingSize);
    m_log.SetMovingSize(megabytes);
    const auto stamp = core::StampOf(m_log.Path());
    if (megabytes <= 0 || !stamp || stamp->size <= static_cast<std::int64_t>(megabytes) * 1048576) {
        return;
    }
    m_log.SetMovingSize(0);
    m_log.LogClose();
    // Only a log whose copy is complete goes; otherwise the rotation is tried again at the next start.
    if (shell::Backups(m_backupSettings, m_log, m_dialog, m_clock, &m_progress).Backup(m_log.Path())) {
        core::RemoveFile(m_log.Path());
    }
    m_log.SetMovingSize(megabytes);
}

void AppState::StartupBackups(const StepReport& report) {
    if (m_backupSettings.createBackup <= 0 || m_flags.userRights != 0 || m_options.singleCommand) {
        return;
    }
    if (m_backupSettings.createBackup == 1) {
        shell::Backups backups(m_backupSettings, m_log, m_dialog, m_clock, &m_progress);
        report("Backup DeviceTable");
        backups.Backup(m_settings.FilePath(shell::Key::DeviceTable));
        report("Backup DeviceTable");
        backups.Backup(m_settings.FilePath(shell::Key::OtherTable));
    }
    report("Backup ConfigFiles");
    // The tree files are copied as one set: under the readers' lock, and not while a writer's files lie about.
    const structure::TreeFilePaths paths = structure::TreeFilePathsOf(m_settings);
    const auto acquire = [&] { return structure::TreeSetLock::TryAcquire(paths, structure::TreeSetLock::Mode::Read); };
    std::optional<structure::TreeSetLock> lock = acquire();
    for (int tries = 1; !lock && tries < kTreeBackupTries; ++tries) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        m_progress.ProcessEvents();
        lock = acquire();
    }
    if (!lock || structure::LeftoversPresent(paths)) {
        m_log.LogEvent("Backup ConfigFiles: skipped, another instance is saving the structure tree");
        return;
    }
    platform::DeferredMessages failures(m_dialog); // shown once other instances may save again
    shell::Backups treeBackups(m_backupSettings, m_log, failures, m_clock, &m_progress);
    for (const std::string& path : paths.All()) {
        treeBackups.Backup(path);
    }
    lock.reset();
    failures.Show();
}

bool AppState::OpenTables(const StepReport& report) {
    shell::TableCare care(m_log, m_dialog, m_clock, m_flags);
    m_deviceTable = {m_settings.FilePath(shell::Key::DeviceTable), "MAC_ADR", false, false, std::nullopt};
    m_otherTable = {m_settings.FilePath(shell::Key::OtherTable), "UNO", false, false, std::nullopt};
    report("Reindex Tables");
    care.RepairMissingIndex(m_deviceTable);
    care.RepairMissingIndex(m_otherTable);
    const std::pair<const char*, shell::ManagedTable*> steps[] = {{"Open DeviceTable", &m_deviceTable},
                                                                  {"Open OtherTable", &m_otherTable}};
    for (const auto& [text, table] : steps) {
        report(text);
        if (!care.OpenTable(*table) && care.Reindex(*table) == shell::TableCare::ReindexResult::Fatal) {
            return false;
        }
    }
    return true;
}

bool AppState::ProtectData() {
    const bool tablesWritable =
        m_deviceTable.IsOpen() && !m_deviceTable.readOnly && m_otherTable.IsOpen() && !m_otherTable.readOnly;
    const bool flagsProtect = m_flags.AnyFlagProtects() || m_settings.Bool(shell::Key::ProtectStructTree);
    const bool isProtected = flagsProtect || !tablesWritable || m_flags.readOnlyStart;
    m_statusText = m_flags.multiUserAccess ? core::Text(252, "Многопользовательский доступ") : std::string();
    if (isProtected) {
        m_statusText = core::Text(1047, "Включена защита данных");
    }
    if (m_flags.sboiFlag) {
        m_statusText = core::Text(1048, "СБОЙ! ") + m_statusText;
    }
    // A protected start keeps the tables writable, so that lifting it needs no restart.
    const bool bothOpen = m_deviceTable.IsOpen() && m_otherTable.IsOpen();
    const bool oneWritable = !m_deviceTable.readOnly || !m_otherTable.readOnly;
    if (isProtected && bothOpen && !m_flags.readOnlyStart && oneWritable) {
        ReopenReadOnly();
    }
    if (m_flags.sboiFlag) {
        m_settingsFile.LockSboi();
    }
    return isProtected;
}

void AppState::ReopenReadOnly() {
    shell::TableCare care(m_log, m_dialog, m_clock, m_flags);
    for (shell::ManagedTable* table : {&m_deviceTable, &m_otherTable}) {
        table->Close();
        table->readOnly = true;
        care.OpenTable(*table);
    }
    std::string causes;
    const std::pair<bool, const char*> flags[] = {
        {m_flags.sboiFlag, "SBOI "},
        {m_flags.networkReadOnly, "NetWork(TableReadOnly) "},
        {m_flags.userRights != 0, "CurrentUserRights "},
        {m_flags.treeReadOnly || m_settings.Bool(shell::Key::ProtectStructTree), "StructTreeViewReadOnly "},
    };
    for (const auto& [present, word] : flags) {
        if (present) {
            causes += word;
        }
    }
    m_log.LogEvent("Protect data flags : " + causes);
    m_log.LogEvent(m_deviceTable.path + "," + m_otherTable.path + " - Status changed to ReadOnly !");
}

void AppState::ClearFailure() {
    const std::string failure = core::Text(1048, "СБОЙ! ");
    if (m_dialog.Ask(platform::MessageKind::Warning,
                     core::Text(254, "Снять ") + core::Text(255, "предупреждение ") + "\" " + failure + "\" ???",
                     platform::Buttons::YesNo) != platform::Answer::Yes) {
        return;
    }
    m_flags.sboiFlag = false;
    m_log.LogEvent(core::Text(13, "Отмена") + " \" " + failure + "\"");
    m_settingsFile.LockSboi();
    m_dialog.Inform(
        platform::MessageKind::Warning,
        core::Text(3057, "Для вступления в действие новых настроек\r\nпожалуйста, перезапустите программу."));
}

std::string AppState::LiftProtectionCaption() {
    return core::Utf8ToCp1251("Отключить \"Защиту данных\"");
}

bool AppState::LiftProtection() {
    m_flags.readOnlyStart = false;
    if (ProtectData()) {
        return false;
    }
    m_statusText.clear();
    WritePresence();
    m_log.LogEvent(LiftProtectionCaption());
    return true;
}

std::string AppState::Now() const {
    const core::DateFormats formats;
    const core::DateTime now = m_clock.Now();
    return formats.ShortDate(now) + " " + formats.LongTime(now);
}

void AppState::WritePresence() {
    if (m_startTime.empty()) {
        m_startTime = Now();
    }
    m_multiUser.MultiUserWrite(*m_otherTable.table, "", m_multiUser.PresenceText(m_startTime));
    RefreshMultiUserStatus();
}

void AppState::RefreshMultiUserStatus() {
    if (m_otherTable.IsOpen()) {
        m_multiUser.GetMultiUserStatus(*m_otherTable.table, m_flags.multiUserAccess);
    }
}

void AppState::SetExclusive(bool take) {
    if (!m_otherTable.IsOpen()) {
        return;
    }
    const RaisedFlag writingMarker(m_writingMarker);
    m_multiUser.MultiUserExclusive(*m_otherTable.table, take, m_multiUser.PresenceText(Now()));
    if (!take) {
        m_writeTimer.ResetCounter();
    }
}

bool AppState::MultiUserIconVisible() {
    return !ProtectData() && (m_flags.multiUserAccess || m_multiUser.Entries().size() > 1);
}

AppState::TreeCheck AppState::CheckCurrentConfig() {
    // The window's busy hook of a load or save sets up the menus, which run this check: never inside them.
    // Nor while a long run walks the tree (reactions off) or a dialog waits: a reload would pull its nodes away.
    if (m_checkingTree || !m_treeStorage || m_treeStorage->TreeBusy() || (m_modalDialogOpen && m_modalDialogOpen()) ||
        (m_startedCorrectly && !m_treeReactionsOn) || ProtectData() ||
        m_clock.Now() <= m_treeStorage->NextCheckTime()) {
        return TreeCheck::Unchanged;
    }
    m_checkingTree = true;
    RefreshMultiUserStatus();
    TreeCheck result = TreeCheck::Unchanged;
    if (m_treeStorage->TreeFileChanged()) {
        const platform::Answer answer = m_dialog.Ask(
            platform::MessageKind::Warning,
            core::Text(251, "Данные о структуре предприятия обновились !\r\nЖелаете загрузить новые данные ?"),
            platform::Buttons::YesNo);
        if (answer == platform::Answer::Yes) {
            const int selectedIndex = SelectedIndex();
            m_treeStorage->SetupTreeNode(structure::TreeStorage::kLoad);
            SetSelectedIndex(selectedIndex);
            m_flags.multiUserAccess = true;
            result = TreeCheck::Reloaded;
        } else {
            m_flags.networkReadOnly = true;
            result = TreeCheck::Declined;
        }
        ProtectData();
        m_log.LogEvent(core::Text(1086, "Изменено ") + ":" + m_statusText + ". " + core::Text(2032, "Компьютер") + " " +
                       m_options.computerName);
    } else {
        core::Clock later = m_clock;
        later.Advance(15);
        m_treeStorage->SetNextCheckTime(later.Now());
    }
    m_checkingTree = false;
    return result;
}

int AppState::SelectedIndex() const {
    const structure::TreeNode* node = SelectedNode();
    return node != nullptr ? m_tree.AbsoluteIndex(*node) : 0;
}

void AppState::SetSelectedIndex(int index) {
    const structure::TreeNode* node = m_tree.NodeAt(index);
    if (node == nullptr) {
        node = m_tree.First();
    }
    m_selectedHandle = node != nullptr ? node->Handle() : 0;
}

AppState::TreeCheck AppState::OnWriteTimer(bool updateWindowOpen) {
    const bool iconVisible = MultiUserIconVisible();
    switch (m_writeTimer.Tick(iconVisible, updateWindowOpen, m_multiUser.Status())) {
    case structure::WriteTimer::Decision::Take:
        SetExclusive(true);
        break;
    case structure::WriteTimer::Decision::Release:
        SetExclusive(false);
        break;
    case structure::WriteTimer::Decision::None:
        break;
    }
    // A tick that stopped early (no icon, or a bulk-writing window on screen) ends there.
    if (!iconVisible || updateWindowOpen) {
        return TreeCheck::Unchanged;
    }
    return CheckCurrentConfig();
}

void AppState::Activate() {
    if (m_settingsFile.NewVersion()) {
        m_settingsFile.ClearNewVersion();
        MigrateVersion();
    }
    m_startedCorrectly = true;
    m_treeReactionsOn = true;
    if (!ProtectData()) {
        WritePresence();
    }
    WatchPosts();
    m_writeTimer.ResetCounter();
}

// The tables have their mode for the run by now: a later reopening is read-only and posts nothing.
void AppState::WatchPosts() {
    for (shell::ManagedTable* managed : {&m_deviceTable, &m_otherTable}) {
        if (managed->IsOpen()) {
            managed->table->SetPostObserver([this] {
                if (!m_writingMarker) {
                    NotePost();
                }
            });
        }
    }
}

void AppState::MigrateVersion() {
    const std::string text =
        core::Text(1003, "Новая версия программы \r\nПодождите, пожалуйста...") + "\r\nv " + shell::kProgramVersion;
    m_dialog.Inform(platform::MessageKind::Information, text);
    m_log.LogEvent(text);
    if (ProtectData()) {
        m_flags.sboiFlag = true;
        ProtectData();
        m_dialog.Inform(platform::MessageKind::Error, core::Text(1002, "Ошибка смены версии !"));
        return;
    }
    long long done = 0;
    platform::DbfTable& device = *m_deviceTable.table;
    const std::string oldJournal = core::Utf8ToCp1251("Журнал изменений");
    const std::size_t deviceGroup = device.FieldIndex("GROUP");
    device.Walk([&](const platform::DbfRecord& record) {
        if (record.values[deviceGroup] == oldJournal) {
            device.SetField(record.number, "GROUP", "_Config_log_");
        }
        m_progress.SetCounters(done += 10, 0);
    });
    platform::DbfTable& other = *m_otherTable.table;
    const std::size_t otherName = other.FieldIndex("NAME");
    other.Walk([&](const platform::DbfRecord& record) {
        for (const auto& [from, to] : RenamedFields()) {
            if (record.values[otherName] == from && from != to) {
                other.SetField(record.number, "NAME", to);
            }
        }
        m_progress.SetCounters(done += 5, 0);
    });
    m_settingsFile.ReadIni(0);
    m_dialog.Inform(
        platform::MessageKind::Warning,
        core::Text(3057, "Для вступления в действие новых настроек\r\nпожалуйста, перезапустите программу."));
}

bool AppState::SaveAll() {
    const bool saved = !m_treeStorage || m_treeStorage->SetupTreeNode(structure::TreeStorage::kSave);
    if (saved) {
        m_statusText = core::Text(1072, "Данные сохранены ") + core::DateFormats().LongTime(m_clock.Now());
    }
    RefreshMultiUserStatus();
    NotePost();
    return saved;
}

AppState::ExclusiveHold::ExclusiveHold(AppState& state) : m_state(state) {
    m_state.SetExclusive(true);
}

AppState::ExclusiveHold::~ExclusiveHold() {
    try {
        m_state.SetExclusive(false);
    } catch (const core::Error&) {
        // The close clears this instance's presence record, and the marker with it.
    }
}

void AppState::NodeViewsShown() {
    if (m_autoSave && m_treeStorage && m_treeStorage->TreeModified()) {
        m_log.LogEvent(core::Utf8ToCp1251(InfoOf(Command::AutoSaveBox).caption) + " On");
        SaveAll();
    }
}

void AppState::SaveMooving() {
    if (ProtectData()) {
        if (m_flags.readOnlyStart) {
            m_dialog.Inform(platform::MessageKind::Warning, core::Text(1047, "Включена защита данных"));
        }
        return;
    }
    if (m_flags.multiUserAccess && !m_autoSave &&
        m_dialog.Ask(platform::MessageKind::Confirmation,
                     core::Text(252, "Многопользовательский доступ") + " !\r\n" +
                         core::Text(4501, "Сохранить изменения в ") + "\r\n" +
                         core::Text(3007, "cтруктуре предприятия") + " ?",
                     platform::Buttons::YesNo) == platform::Answer::Yes) {
        SaveAll();
    }
}

std::string AppState::SelectedComputerText() const {
    const structure::TreeNode* selected = SelectedNode();
    return selected != nullptr && selected->Icon() == structure::kIconComputer ? selected->Text() : std::string();
}

void AppState::AddToLog(const std::string& macAddress, const std::string& text) {
    archive::AddToLog(*m_deviceTable.table, m_log, m_clock, macAddress, text, SelectedComputerText());
}

void AppState::LogJournalEntry(const std::string& macAddress, const std::string& text) {
    archive::LogJournalEntry(m_log, macAddress, text, SelectedComputerText());
}

void AppState::CloseRequest() {
    if (m_closing) {
        return;
    }
    m_closing = true;
    // Each duty runs whatever became of the one before: a tree that failed to save must not leave this
    // instance's presence behind, nor the log open.
    const auto duty = [this](const std::function<void()>& run) {
        try {
            run();
        } catch (const std::exception& error) {
            m_log.LogEvent(std::string("ERROR! ") + error.what());
        }
    };
    duty([this] { CheckCurrentConfig(); });
    m_log.LogEvent(core::Text(1057, "закончил работу"));
    if (m_startedCorrectly) {
        duty([this] {
            const bool saveUnchanged = !m_flags.multiUserAccess && !m_options.singleCommand;
            if (m_treeStorage && (saveUnchanged || m_treeStorage->TreeModified())) {
                m_treeStorage->SetupTreeNode(structure::TreeStorage::kSave);
            } else if (m_treeStorage && m_flags.multiUserAccess) {
                m_log.LogEvent(core::Text(252, "Многопользовательский доступ") + " - no changes,no save");
            }
        });
        duty([this] {
            if (m_otherTable.IsOpen()) {
                m_multiUser.MultiUserWrite(*m_otherTable.table, "", "");
            }
        });
        duty([this] {
            if (!ProtectData() && !m_flags.multiUserAccess && !m_options.singleCommand) {
                TidyTablesAtExit();
            }
        });
    } else {
        m_log.LogEvent("WARNING: Program has started incorrectly - the data are not saved !");
    }
    m_deviceTable.Close();
    m_otherTable.Close();
    m_log.LogClose();
}

void AppState::TidyTablesAtExit() {
    try {
        platform::DbfTable& other = *m_otherTable.table;
        const std::size_t text = other.FieldIndex("TEXT");
        other.Walk([&](const platform::DbfRecord& record) {
            if (record.values[text].empty()) {
                other.Delete(record.number);
            }
        });
        m_statusText = "Good Bye !";
        shell::TableCare(m_log, m_dialog, m_clock, m_flags).Pack(m_otherTable);
        for (const platform::DbfRecord& record : other.Find(structure::kMultiUserUno)) {
            other.Delete(record.number);
        }
    } catch (const platform::TableLocked& error) {
        // An instance started after ours holds the table: the data are shared, not damaged, and its presence
        // record stays.
        m_log.LogEvent(core::Text(252, "Многопользовательский доступ") + " - no pack: " + error.what());
    } catch (const core::Error&) {
        m_flags.sboiFlag = true;
        ProtectData();
        m_log.LogEvent(core::Text(1058, "Ошибка упаковки ") + m_otherTable.path);
    }
}

} // namespace pelgo::session
