// Reading and writing "pelgo.ini".
#include "shell/settings_file.h"

#include <dirent.h>

#include "core/cp1251.h"
#include "core/errors.h"
#include "core/file.h"
#include "core/text.h"
#include "core/translator.h"
#include "shell/version.h"

namespace pelgo::shell {
namespace {

constexpr const char* kUnknownUser = "Unknown User";

bool HasDbfFile(const std::string& directory) {
    DIR* dir = ::opendir(core::NativeFileName(directory).c_str());
    if (dir == nullptr) {
        return false;
    }
    bool found = false;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = core::Utf8ToCp1251(entry->d_name);
        if (core::SameText(core::ExtractFileExt(name), ".dbf") && core::FileExists(directory + name)) {
            found = true;
            break;
        }
    }
    ::closedir(dir);
    return found;
}

std::string BuiltInTableName(Key key) {
    return key == Key::DeviceTable ? "device.dbf" : "other.dbf";
}

} // namespace

SettingsFile::SettingsFile(std::string iniPath, Settings& settings, ProtectionFlags& flags, SettingsContext context)
    : m_iniPath(std::move(iniPath)), m_file(m_iniPath), m_settings(settings), m_flags(flags),
      m_context(std::move(context)) {
}

bool SettingsFile::IsProtected() const {
    return m_protectData ? m_protectData() : m_flags.AnyFlagProtects();
}

void SettingsFile::Log(const std::string& text) {
    if (!m_context.readOnly) {
        m_context.log.LogEvent(text);
    }
}

bool SettingsFile::ReadIni(int mode) {
    m_writeFailed = false;
    if (mode == 1) {
        Read();
    } else {
        Write();
    }
    IsProtected();
    return !m_writeFailed;
}

// The settings are not worth the tree, the tables or a clean close: whoever writes them goes on.
bool SettingsFile::Guarded(const std::function<void()>& access) {
    try {
        access();
        return true;
    } catch (const core::FileError& e) {
        m_writeFailed = true;
        // The same failure again (the failure flag is retried at every evaluation of the protection) is not
        // worth another message; it is noted before the message, which may let the window evaluate again.
        if (m_lastReportedFailure != e.what()) {
            m_lastReportedFailure = e.what();
            Log(e.what());
            m_context.dialog.Inform(platform::MessageKind::Error, e.what());
        }
        return false;
    }
}

std::string SettingsFile::DynamicDefaultOf(const KeyInfo& info) {
    switch (info.dynamicDefault) {
    case DynamicDefault::ProgramVersion:
        return info.key == Key::MainProgram ? std::string(" ") + kProgramVersion : kProgramVersion;
    case DynamicDefault::BaseDirectory:
        return m_settings.Paths().ToStored(m_settings.BaseDirectory());
    case DynamicDefault::FailureFlag:
        return m_flags.sboiFlag ? "1" : "0";
    case DynamicDefault::TodayPlusStep:
        return std::to_string(core::DayNumber(m_context.clock.Now()) + m_settings.Int(Key::VersionStep));
    case DynamicDefault::None:
        break;
    }
    return core::Utf8ToCp1251(info.defaultValue);
}

void SettingsFile::ReadKey(const KeyInfo& info) {
    const std::string defaultValue = DynamicDefaultOf(info);
    std::string value = m_file.ReadString(info.section, info.name, defaultValue);
    if ((info.type == KeyType::Integer || info.type == KeyType::Boolean) && !core::ParseInt(value)) {
        value = defaultValue;
    }
    if (info.key == Key::NCNedit && value.starts_with('^')) {
        value.erase(0, 1); // the caret only protects a leading blank from trimming
    }
    m_settings.SetText(info.key, value);
}

void SettingsFile::WriteKey(const KeyInfo& info) {
    const std::string& value = m_settings.Text(info.key);
    m_file.WriteString(info.section, info.name, info.key == Key::NCNedit ? "^" + value : value);
}

// The version, the base directory and the tables are read first, in their own steps.
void SettingsFile::ReadTableKeys(std::string_view section) {
    for (const KeyInfo& info : kKeyTable) {
        const bool readEarlier = info.key == Key::MainProgram || info.key == Key::Path ||
                                 info.key == Key::DeviceTable || info.key == Key::OtherTable;
        if (info.section == section && !readEarlier) {
            ReadKey(info);
        }
    }
}

// The failure flag is persisted only by LockSboi; a write merely re-reads it.
void SettingsFile::WriteTableKeys(std::string_view section) {
    for (const KeyInfo& info : kKeyTable) {
        if (info.section == section && info.key != Key::ProtectData_SBOI) {
            WriteKey(info);
        }
    }
}

void SettingsFile::ReadBaseDirectory() {
    ReadKey(InfoOf(Key::Path));
    PathRules& paths = m_settings.Paths();
    paths.SetBaseDirectory(paths.ToNative(m_settings.Text(Key::Path)));
    if (HasDbfFile(paths.BaseDirectory())) {
        return;
    }
    Log(core::Text(1042, "ВНИМАНИЕ ! Не найдена база данных ") + paths.BaseDirectory());
    m_context.dialog.Inform(
        platform::MessageKind::Warning,
        core::Text(1043, "Не могу найти dbf-файлы с данными !\r\nУкажите путь к базам данных программы"));
    platform::FileChoice choice;
    choice.initialPath = paths.BaseDirectory();
    choice.filter = "dBase (*.dbf)|*.dbf";
    if (const auto chosen = m_context.dialog.ChooseFile(choice)) {
        const std::string directory = core::DirectoryOf(*chosen) + "/";
        paths.SetBaseDirectory(directory);
        m_settings.SetText(Key::Path, paths.ToStored(paths.BaseDirectory()));
        Log("Patch to bases changed to " + paths.BaseDirectory());
        if (!m_context.readOnly) {
            Guarded([this] { WriteKey(InfoOf(Key::Path)); });
        }
    }
}

void SettingsFile::ReadTableFile(Key key) {
    const KeyInfo& info = InfoOf(key);
    const std::string builtIn = BuiltInTableName(key);
    const std::string stored = m_file.ReadString(info.section, info.name, builtIn);
    const std::string path = m_settings.Paths().CheckPath(stored);
    if (core::FileExists(path)) {
        m_settings.SetText(key, stored);
        return;
    }
    const std::string defaultPath = m_settings.Paths().CheckPath(builtIn);
    m_settings.SetText(key, builtIn);
    if (core::FileExists(defaultPath)) {
        return;
    }
    Log(core::Text(1042, "ВНИМАНИЕ ! Не найдена база данных ") + path);
    m_context.dialog.Inform(platform::MessageKind::Error,
                            core::Text(1042, "ВНИМАНИЕ ! Проблема :\r\nНе найдена база данных ") + "\r\n" + path);
    if (!m_context.readOnly) {
        Guarded([&] { m_file.DeleteKey(info.section, info.name); });
    }
    m_flags.sboiFlag = true;
}

std::vector<std::string> SettingsFile::ReadNumberedList(const std::string& section) {
    std::vector<std::string> values;
    for (const auto& entry : ReadEntries(section)) {
        values.push_back(entry.second);
    }
    return values;
}

void SettingsFile::WriteNumberedList(const std::string& section, const std::vector<std::string>& values) {
    m_file.EraseSection(section);
    for (std::size_t i = 0; i < values.size(); ++i) {
        m_file.WriteString(section, std::to_string(i), values[i]);
    }
}

Entries SettingsFile::ReadEntries(const std::string& section) {
    core::StringList lines;
    m_file.ReadSectionValues(section, lines);
    Entries entries;
    for (const std::string& line : lines) {
        const std::size_t eq = line.find('=');
        entries.emplace_back(line.substr(0, eq), eq == std::string::npos ? std::string() : line.substr(eq + 1));
    }
    return entries;
}

void SettingsFile::WriteEntries(const std::string& section, const Entries& entries) {
    m_file.EraseSection(section);
    for (const auto& [key, value] : entries) {
        m_file.WriteString(section, key, value);
    }
}

void SettingsFile::ReadUsers() {
    m_settings.users = ReadEntries("Users");
    int rights = m_settings.Int(Key::DefUserAccess);
    for (const auto& [user, value] : m_settings.users) {
        if (core::SameText(user, m_context.currentUser)) {
            if (!value.empty() && value[0] >= '0' && value[0] <= '9') {
                rights = value[0] - '0';
            }
            break;
        }
    }
    m_flags.userRights = rights > 2 ? 2 : rights;
}

bool SettingsFile::WriteUsers() {
    const int defaultRights = m_settings.Int(Key::DefUserAccess);
    const auto codeOf = [&](const std::string& value) {
        return !value.empty() && value[0] >= '0' && value[0] <= '9' ? value[0] - '0' : defaultRights;
    };
    // The list's row, not the rights this run started with: an administrator may have changed their own. A user
    // taken off the list has the rights of everyone unlisted.
    int ownRights = defaultRights;
    for (const auto& [user, value] : m_settings.users) {
        if (core::SameText(user, m_context.currentUser)) {
            ownRights = codeOf(value);
            break;
        }
    }
    m_file.EraseSection("Users");
    const core::DateTime now = m_context.clock.Now();
    m_file.WriteString("Users", m_context.currentUser,
                       std::to_string(ownRights) + " Write " + m_context.formats.ShortDate(now) + " " +
                           m_context.formats.LongTime(now));
    long long product = defaultRights;
    for (const auto& [user, value] : m_settings.users) {
        const int code = codeOf(value);
        product *= code;
        // The user's own row would overwrite the stamp just written, leaving no trace of who wrote last.
        if (!core::SameText(user, m_context.currentUser)) {
            m_file.WriteString("Users", user, std::to_string(code));
        }
    }
    return product == 0;
}

void SettingsFile::ReadJournalTypes() {
    m_settings.journalTypes.clear();
    int k = 0;
    for (const auto& [name, code] : ReadEntries("RepairTree")) {
        JournalType type{name, code.empty() ? "0" : code, {}, {}};
        for (int i = 0; i < 4; ++i) {
            const std::string key = std::to_string(4 * k + i);
            type.captions[static_cast<std::size_t>(i)] = m_file.ReadString("RepairTreeEdit", key, "Error_7");
            type.defaults[static_cast<std::size_t>(i)] = m_file.ReadString("RepairTreeEditDefault", key, "");
        }
        m_settings.journalTypes.push_back(std::move(type));
        ++k;
    }
}

void SettingsFile::WriteJournalTypes() {
    for (const char* section : {"RepairTree", "RepairTreeEdit", "RepairTreeEditDefault"}) {
        m_file.EraseSection(section);
    }
    for (std::size_t k = 0; k < m_settings.journalTypes.size(); ++k) {
        const JournalType& type = m_settings.journalTypes[k];
        m_file.WriteString("RepairTree", type.name, type.code);
        for (std::size_t i = 0; i < 4; ++i) {
            const std::string key = std::to_string(4 * k + i);
            m_file.WriteString("RepairTreeEdit", key, type.captions[i]);
            m_file.WriteString("RepairTreeEditDefault", key, type.defaults[i]);
        }
    }
}

void SettingsFile::ReadUserNodeTypes() {
    m_settings.userNodeTypes.clear();
    const int count = m_file.ReadInteger("Add_Icons", "Count", 0);
    for (int n = 1; n <= count; ++n) {
        UserNodeType type{m_file.ReadString("Add_Icons", std::to_string(n) + "Path", ""),
                          m_file.ReadString("Add_Icons", std::to_string(n) + "Name", "Device")};
        const std::string native = m_settings.Paths().ToNative(type.iconPath);
        if (!core::FileExists(native)) {
            const std::string notFound = core::Text(1044, "Файл не найден ") + ":" + native;
            const std::string replaced = core::Text(1045, "Иконка будет заменена на стандартную");
            Log(notFound + "," + replaced);
            m_context.dialog.Inform(platform::MessageKind::Warning, notFound + "\r\n" + replaced);
            if (!IsProtected()) {
                m_flags.sboiFlag = true;
            }
        }
        m_settings.userNodeTypes.push_back(std::move(type));
    }
}

void SettingsFile::WriteUserNodeTypes() {
    m_file.WriteInteger("Add_Icons", "Count", static_cast<int>(m_settings.userNodeTypes.size()));
    for (std::size_t n = 1; n <= m_settings.userNodeTypes.size(); ++n) {
        const UserNodeType& type = m_settings.userNodeTypes[n - 1];
        m_file.WriteString("Add_Icons", std::to_string(n) + "Path", type.iconPath);
        m_file.WriteString("Add_Icons", std::to_string(n) + "Name", type.name);
    }
}

void SettingsFile::Read() {
    // A start's first log lines come from this reading: the log is switched off before any of them. It is
    // switched on by whoever owns the log, which may keep it quiet for a while.
    ReadKey(InfoOf(Key::LogOfMovingSize));
    if (m_settings.Int(Key::LogOfMovingSize) <= 0) {
        m_context.log.SetMovingSize(0);
    }
    const KeyInfo& program = InfoOf(Key::MainProgram);
    ReadKey(program);
    if (m_settings.Text(Key::MainProgram).find(std::string(" ") + kProgramVersion) == std::string::npos) {
        m_newVersion = true;
        Log(core::Text(1003, "Новая версия программы ") + kProgramVersion);
    }
    ReadBaseDirectory();
    ReadTableFile(Key::DeviceTable);
    ReadTableFile(Key::OtherTable);
    ReadTableKeys("Setup");
    m_flags.sboiFlag = m_settings.Bool(Key::ProtectData_SBOI);

    m_settings.reportRows = ReadNumberedList("Reports_" + m_context.currentUser);
    ReadTableKeys("Other");
    m_settings.updPatches = ReadNumberedList("UpdPatches");
    m_settings.scanletPatches = ReadNumberedList("ScanletPatches");
    m_settings.scanletPatchesFallback = m_settings.scanletPatches.size() > 100;
    if (m_settings.scanletPatchesFallback) {
        m_settings.scanletPatches.clear();
    }
    if (m_settings.scanletPatches.empty()) {
        m_settings.scanletPatches = m_settings.updPatches;
    }
    m_settings.replacements = ReadEntries("Replace_" + m_context.currentUser);
    for (const char* section : {"BookMarks", "NewCompDistrib", "C_Performance"}) {
        ReadTableKeys(section);
    }
    if (m_flags.userRights == 0) {
        m_settings.ipService.clear();
        for (int n = 0; n <= 10; ++n) {
            const std::string suffix = std::to_string(n);
            IpServiceItem item{m_file.ReadString("IP_Service", "Soft" + suffix, ""),
                               m_file.ReadString("IP_Service", "Name" + suffix, ""),
                               m_file.ReadString("IP_Service", "Param" + suffix, "")};
            if (item.soft.empty()) {
                break;
            }
            m_settings.ipService.push_back(std::move(item));
        }
    }
    ReadJournalTypes();
    ReadUserNodeTypes();
    m_settings.spravki = ReadEntries("Spravki");
    m_settings.reports = ReadEntries("Reports");
    ReadUsers();
    ReadTableKeys("Version_info");
    m_settings.sentinox = ReadEntries("Sentinox");
    ReadTableKeys("Language");
    Log(core::Text(1046, "Чтение ") + m_iniPath);
}

void SettingsFile::SaveReportsSetup() {
    Guarded([this] {
        core::ProfileFile::Batch batch(m_file);
        WriteReportsSetup();
        batch.Commit();
    });
}

void SettingsFile::WriteReportsSetup() {
    WriteNumberedList("Reports_" + m_context.currentUser, m_settings.reportRows);
    WriteEntries("Replace_" + m_context.currentUser, m_settings.replacements);
}

void SettingsFile::LockSboi() {
    if (m_flags.sboiFlag != m_lastWrittenSboi && !m_context.readOnly &&
        Guarded([this] { m_file.WriteBool("Setup", "ProtectData_SBOI", m_flags.sboiFlag); })) {
        m_lastWrittenSboi = m_flags.sboiFlag;
    }
}

void SettingsFile::WriteBookmarks() {
    if (!m_context.readOnly && !IsProtected()) {
        Guarded([this] { WriteTableKeys("BookMarks"); });
    }
}

// Another instance may have raised the failure flag; only the clear-failure command lowers it.
void SettingsFile::RereadFailureFlag() {
    m_flags.sboiFlag = m_flags.sboiFlag || m_file.ReadBool("Setup", "ProtectData_SBOI", false);
}

void SettingsFile::Write() {
    if (m_context.readOnly) {
        throw core::Error("Settings opened only to look cannot be written: " + m_iniPath);
    }
    bool someoneHasFullAccess = true;
    const bool written = Guarded([&] {
        if (!m_settings.Bool(Key::ProtectStructTree)) {
            WriteKey(InfoOf(Key::ProtectStructTree));
        }
        if (IsProtected()) {
            return;
        }
        core::ProfileFile::Batch batch(m_file);
        Log(core::Text(1055, "Запись ") + m_iniPath);
        m_settings.SetText(Key::MainProgram, m_context.executablePath + " " + kProgramVersion);
        WriteKey(InfoOf(Key::MainProgram));
        if (!m_context.brandingPresent) {
            m_file.WriteString("Program", "Autor", kProgramCredit);
        }
        m_file.WriteString("Setup", "Help",
                           core::Utf8ToCp1251("При ошибках открытия файлов просто удалите секцию [SETUP]"));
        WriteTableKeys("Setup");
        RereadFailureFlag();
        WriteReportsSetup();
        WriteNumberedList("UpdPatches", m_settings.updPatches);
        WriteTableKeys("Other");
        if (!m_settings.scanletPatchesFallback) {
            WriteNumberedList("ScanletPatches", m_settings.scanletPatches);
        }
        // [BookMarks] goes with each commit of the tree (WriteBookmarks): its indexes hold for that tree only.
        WriteTableKeys("NewCompDistrib");
        WriteTableKeys("C_Performance");
        if (m_flags.userRights == 0) {
            m_file.EraseSection("IP_Service");
            for (std::size_t n = 0; n < m_settings.ipService.size(); ++n) {
                const std::string suffix = std::to_string(n);
                m_file.WriteString("IP_Service", "Soft" + suffix, m_settings.ipService[n].soft);
                m_file.WriteString("IP_Service", "Name" + suffix, m_settings.ipService[n].name);
                m_file.WriteString("IP_Service", "Param" + suffix, m_settings.ipService[n].param);
            }
        }
        someoneHasFullAccess = WriteUsers();
        WriteJournalTypes();
        WriteUserNodeTypes();
        WriteEntries("Spravki", m_settings.spravki);
        WriteEntries("Reports", m_settings.reports);
        WriteTableKeys("Version_info");
        WriteTableKeys("Language");
        WriteEntries("Sentinox", m_settings.sentinox);
        batch.Commit();
    });
    if (!written) {
        // A file this user may not write can still tell the flag.
        Guarded([this] { RereadFailureFlag(); });
        return;
    }
    // Shown only once the file is written and unlocked: other instances must not wait for the user.
    if (!someoneHasFullAccess) {
        m_context.dialog.Inform(platform::MessageKind::Warning,
                                core::Text(1101, "ПРЕДУПРЕЖДЕНИЕ : Никто из пользователей программы\r\nне будет "
                                                 "иметь к ней полного доступа."));
    }
}

} // namespace pelgo::shell
