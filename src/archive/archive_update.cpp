// The archive update's run, its loading of collector files and its protocol.
#include "archive/archive_update.h"

#include <algorithm>
#include <array>

#include "archive/computer_journal.h"
#include "archive/signature.h"
#include "core/cp1251.h"
#include "core/errors.h"
#include "core/file.h"
#include "core/text.h"
#include "core/translator.h"
#include "structure/node_queries.h"
#include "structure/node_types.h"

namespace pelgo::archive {
namespace {

constexpr std::array<const char*, 3> kLoadedFirst{"Info", "Computer", "S.M.A.R.T."};
// A section whose upper-cased, trimmed name occurs in this text is loaded first or not at all.
constexpr std::string_view kLoadedApart = "INFO,COMPUTER,INVENTORYDATAS.M.A.R.T.";

std::string Upper(std::string_view text) {
    return core::UpperLatin(text);
}

std::string Joined(const std::string& directory, const std::string& name) {
    return directory + "/" + name;
}

} // namespace

core::StringList LoadedSections(const core::StringList& fileSections, bool configChanges) {
    core::StringList loaded(kLoadedFirst.begin(), kLoadedFirst.end());
    for (const std::string& section : fileSections) {
        const bool apart = kLoadedApart.find(Upper(core::Trim(section))) != std::string_view::npos;
        if (!apart && (configChanges || Upper(section).find("CONFIG_CHANGES") == std::string::npos)) {
            loaded.push_back(section);
        }
    }
    return loaded;
}

ArchiveUpdate::ArchiveUpdate(UpdateContext context) : m_context(std::move(context)) {
}

void ArchiveUpdate::Protocol(const std::string& line) {
    m_protocol += line + "\r\n";
    m_context.progress.Protocol(line);
}

void ArchiveUpdate::Report() {
    m_context.progress.SetCounters(m_counters.files, 0);
    m_context.progress.ProcessEvents();
}

void ArchiveUpdate::Append(std::string_view address, std::string_view group, std::string_view name,
                           std::string_view text) {
    std::vector<std::string> values(m_context.device.Fields().size());
    values[m_context.device.FieldIndex("MAC_ADR")] = address;
    values[m_context.device.FieldIndex("GROUP")] = group;
    // A stray control byte would end the value early for other readers of the table.
    values[m_context.device.FieldIndex("NAME")] = core::ControlsAsBlanks(name);
    values[m_context.device.FieldIndex("TEXT")] = core::ControlsAsBlanks(text);
    m_pending.push_back(std::move(values));
}

void ArchiveUpdate::AppendPending() {
    m_context.device.AppendRecords(m_pending);
    m_pending.clear();
}

std::set<std::string> ArchiveUpdate::TreeAddresses() const {
    std::set<std::string> addresses;
    for (structure::TreeNode* node = m_context.tree.First(); node != nullptr; node = m_context.tree.Next(*node)) {
        if (node->Icon() == structure::kIconMacAddress) {
            addresses.insert(ArchiveKey(node->Text()));
        }
    }
    return addresses;
}

UpdateCounters ArchiveUpdate::StartUpdate(const std::vector<std::string>& directories, const UpdateOptions& chosen,
                                          structure::TreeNode* selected, const std::string& protocolPath) {
    UpdateOptions options = chosen;
    // Copies into a folder of the list would replace, and afterwards delete, that folder's own files.
    options.copyToWorkDir = chosen.copyToWorkDir && std::none_of(directories.begin(), directories.end(),
                                                                 [&chosen](const std::string& directory) {
                                                                     return core::SameDirectory(chosen.workDir, directory);
                                                                 });
    m_context.exclusive(true);
    // The marker goes also when a table error ends the run.
    struct Release {
        const std::function<void(bool)>& exclusive;
        ~Release() { exclusive(false); }
    } release{m_context.exclusive};
    m_protocol.clear();
    m_counters = {};
    Protocol(core::Utf8ToCp1251("Ход обновления данных :"));
    Protocol(core::Text(4303, "Проверка текущих баз данных..."));
    CheckCurrent(options);
    structure::TreeNode* target = options.toSelectedNode && selected != nullptr ? selected : m_context.tree.First();
    for (const std::string& directory : directories) {
        ++m_counters.directories;
        Protocol(core::Text(4304, "Поиск файлов в ") + directory);
        const std::vector<std::string> names = core::FilesIn(directory);
        if (names.empty()) {
            Protocol(core::Text(4153, "Неверный каталог ") + directory);
        } else if (target != nullptr) {
            MoveToTempDir(directory, names, options);
            Protocol(core::Text(4309, "Добавление новых данных..."));
            AddNew(directory, names, options, *target);
            Protocol(core::Text(5154, "Обработано файлов конфигураций : ") + std::to_string(names.size()));
            RemoveCopies();
        }
        if (m_context.progress.StopRequested()) {
            break;
        }
    }
    Protocol(core::Text(4310, "Упаковка базы данных.."));
    try {
        m_context.pack();
    } catch (const core::Error&) {
        m_context.log.LogEvent(core::Text(1058, "Ошибка упаковки ") + m_context.devicePath);
    }
    if (options.placeNewComputers && target != nullptr && target == m_context.tree.First()) {
        m_counters.placed = MoveData(m_context.tree, m_context.device, m_context.placement, m_context.dialog,
                                     m_context.progress, m_context.treeModified);
        Report();
    }
    Protocol("====<< END >>====");
    try {
        core::WriteFileAtomically(protocolPath, m_protocol);
        Protocol(core::Text(4311, "Протокол сохранен в ") + protocolPath);
    } catch (const core::Error& error) {
        m_context.log.LogEvent(error.what());
        m_context.dialog.Inform(platform::MessageKind::Error, error.what());
    }
    return m_counters;
}

void ArchiveUpdate::CheckCurrent(const UpdateOptions& options) {
    std::set<std::string> addresses;
    for (structure::TreeNode* node = m_context.tree.First(); node != nullptr; node = m_context.tree.Next(*node)) {
        if (node->Icon() == structure::kIconMacAddress && !addresses.insert(ArchiveKey(node->Text())).second) {
            Protocol(core::Text(4312, "!!! Дублируется MAC-адрес :"));
            Protocol(structure::GetPath(node).substr(1));
        }
    }
    if (!options.cleanArchive ||
        m_context.dialog.Ask(platform::MessageKind::Confirmation,
                             core::Text(4313, "Вы действительно хотите очистить\r\nбазу конфигураций компьютеров\r\n"
                                              "от неиспользуемых MAC-адресов ?"),
                             platform::Buttons::YesNo) != platform::Answer::Yes) {
        return;
    }
    m_context.log.LogEvent(core::Text(4314, "Чистка базы ") + m_context.devicePath);
    Protocol(core::Text(4315, "Начали ") + core::Utf8ToCp1251("Чистить базу конфигураций"));
    const std::size_t mac = m_context.device.FieldIndex("MAC_ADR");
    std::string reported;
    std::vector<platform::RecordNumber> unused;
    m_context.device.Walk([&](const platform::DbfRecord& record) {
        const std::string& address = record.values[mac];
        if (addresses.contains(ArchiveKey(address))) {
            return;
        }
        unused.push_back(record.number);
        if (address != reported) {
            reported = address;
            const std::string line = core::Text(4316, "- удаляем записи для MAC-адреса ") + address;
            Protocol(line);
            m_context.log.LogEvent(line);
        }
    });
    m_context.device.DeleteRecords(unused);
}

void ArchiveUpdate::MoveToTempDir(const std::string& directory, const std::vector<std::string>& names,
                                  const UpdateOptions& options) {
    RemoveCopies();
    // A working directory that is the directory itself would have its files deleted as old copies.
    if (!options.copyToWorkDir || core::SameDirectory(options.workDir, directory)) {
        return;
    }
    Protocol(core::Text(4305, "Перенос данных во временный каталог"));
    m_workDir = options.workDir;
    for (const std::string& name : names) {
        if (m_context.progress.StopRequested()) {
            break;
        }
        const std::string copy = Joined(options.workDir, name);
        if (core::FileExists(copy) && !core::RemoveFile(copy)) {
            const std::string line =
                core::Text(4306, "Ошибка удаления файла ") + name + core::Text(4307, " во временном каталоге");
            Protocol(line);
            m_context.log.LogEvent(line);
            continue;
        }
        if (core::CopyFileKeepingTime(Joined(directory, name), copy)) {
            m_copies.insert(name);
        } else {
            m_context.log.LogEvent(core::Text(4308, "Ошибка копирования файла ") + name +
                                   core::Utf8ToCp1251(" во временный каталог"));
        }
    }
}

void ArchiveUpdate::RemoveCopies() {
    for (const std::string& name : m_copies) {
        core::RemoveFile(Joined(m_workDir, name));
    }
    m_copies.clear();
}

void ArchiveUpdate::AddNew(const std::string& directory, const std::vector<std::string>& names,
                           const UpdateOptions& options, structure::TreeNode& target) {
    m_context.exclusive(true);
    std::set<std::string> treeAddresses = TreeAddresses();
    Protocol(core::Text(4317, "Уже учтено сетевых компьютеров : ") + std::to_string(treeAddresses.size()));
    const int targetHandle = target.Handle();
    int added = 0;
    for (const std::string& name : names) {
        if (m_context.progress.StopRequested()) {
            break;
        }
        ++m_counters.files;
        Report();
        // Only a copy made for this directory is read: an older one that could not be replaced is stale.
        const std::string shared = Joined(directory, name);
        const std::string path = CheckIniFormat(m_copies.contains(name) ? Joined(m_workDir, name) : shared,
                                                m_context.recognition, m_context.conversion, m_context.log);
        std::optional<core::TKelIniFile> file;
        std::string address = "?";
        try {
            file.emplace(path, true);
            // The archive's key: one spelling per computer, and no longer than its field holds, or a cut key
            // would name another computer.
            address = ArchiveKey(file->ReadString("Info", "MAC_Addr", "?"));
        } catch (const core::Error&) {
            m_context.log.LogEvent("Error open " + path);
        }
        const auto keyWidth = static_cast<std::size_t>(
            m_context.device.Fields()[m_context.device.FieldIndex("MAC_ADR")].length);
        if (!file || address.size() <= 2 || address.size() > keyWidth) {
            Protocol(core::Text(4321, "Ошибочный MAC-адрес") + " : \"" + address + "\", ->" + name);
            continue;
        }
        ++m_counters.configurations;
        const std::vector<platform::DbfRecord> archived = m_context.device.Find(address);
        // A load leaves one File_Name record. None: an interrupted load left the records; two: a run died
        // between appending the new load and deleting the old. Either is replaced even when only new files
        // are loaded.
        const std::size_t group = m_context.device.FieldIndex("GROUP");
        const auto loads = std::count_if(archived.begin(), archived.end(),
                                         [group](const auto& record) { return record.values[group] == "File_Name"; });
        if (archived.empty()) {
            Protocol(core::Text(4318, "Новый МАС-адрес ") + address);
            m_context.log.LogEvent(core::Text(4319, "Новый файл конфигурации ") + shared);
            ++m_counters.newConfigurations;
            LoadComputer(*file, address, name, directory, {}, options, {});
        } else if (!options.onlyNew || loads != 1) {
            const std::size_t key = m_context.device.FieldIndex("NAME");
            const std::size_t text = m_context.device.FieldIndex("TEXT");
            std::vector<std::pair<std::string, std::string>> journal;
            std::set<std::pair<std::string, std::string>> seen; // two loads hold the older entries twice
            std::vector<platform::RecordNumber> numbers;
            for (const platform::DbfRecord& record : archived) {
                if (record.values[group].find(kJournalGroup) != std::string::npos &&
                    (loads < 2 || seen.emplace(record.values[key], record.values[text]).second)) {
                    journal.emplace_back(record.values[key], record.values[text]);
                }
                numbers.push_back(record.number);
            }
            LoadComputer(*file, address, name, directory, std::move(journal), options, numbers);
        }
        if (!treeAddresses.contains(address)) {
            structure::TreeNode* parent = m_context.tree.NodeByHandle(targetHandle);
            if (parent == nullptr) {
                continue; // the target went with a reload of the tree: the next update adds the node
            }
            structure::TreeNode& computer = m_context.tree.AddChild(
                parent, -1,
                GetNewName(m_context.naming,
                           [&file](std::string_view section, std::string_view key) {
                               return file->ReadString(std::string(section), std::string(key), "");
                           }),
                structure::kIconComputer);
            m_context.identity.NewAddData(computer);
            m_context.identity.NewAddData(m_context.tree.AddChild(&computer, -1, address, structure::kIconMacAddress));
            treeAddresses.insert(address);
            ++added;
            m_context.treeModified();
        }
    }
    if (added > 0) {
        const structure::TreeNode* first = m_context.tree.First();
        Protocol(core::Text(4322, "Добавлено в") + " \"" + (first != nullptr ? first->Text() : std::string()) + "\" " +
                 core::Text(4323, "новых компьютеров : ") + std::to_string(added));
    }
}

void ArchiveUpdate::LoadComputer(core::TKelIniFile& file, const std::string& address, const std::string& fileName,
                                 const std::string& directory, std::vector<std::pair<std::string, std::string>> journal,
                                 const UpdateOptions& options, const std::vector<platform::RecordNumber>& replaced) {
    core::StringList sections;
    file.ReadSections(sections);
    const core::StringList loaded = LoadedSections(sections, options.configChanges);
    const auto rest = loaded.begin() + kLoadedFirst.size();
    for (auto section = loaded.begin(); section != rest; ++section) {
        ReadIniSection(file, *section, address);
    }
    Append(address, "File_Name", "", fileName);
    for (auto section = rest; section != loaded.end(); ++section) {
        ReadIniSection(file, *section, address);
    }
    if (options.trimJournal && journal.size() > static_cast<std::size_t>(std::max(0, options.keepJournal))) {
        journal.erase(journal.begin(), journal.end() - std::max(0, options.keepJournal));
    }
    for (const auto& [name, text] : journal) {
        Append(address, kJournalGroup, name, text.substr(0, 255));
    }
    // The load entry is one of the load's records, so that no load lies in the archive without it.
    const std::string loadEntry =
        core::Text(1069, "Загружено ") + m_context.currentUser + core::Text(4320, " из ") + directory;
    Append(address, kJournalGroup, m_context.journalStamp(), loadEntry);
    // The new load goes in before the old one goes out: a run killed in between leaves two loads and the
    // journal twice, which the next full run mends, rather than a computer without its journal.
    AppendPending();
    m_context.device.DeleteRecords(replaced);
    m_context.logJournalEntry(address, loadEntry);
}

void ArchiveUpdate::ReadIniSection(core::TKelIniFile& file, const std::string& section, const std::string& address) {
    const std::string group = section == "Signature" ? section + (SignatureIsValid(file) ? "_Ok" : "_BAD") : section;
    bool netListed = false;
    std::size_t keys = 0;
    file.ForEachKeyValue(section, [&](std::string_view key, std::string_view value) {
        ++keys;
        if (value.empty()) {
            return;
        }
        Append(address, group, key, value);
        netListed = netListed || value.find("Net ") != std::string_view::npos;
        if (section == "Computer" && key == "BIOS") {
            if (const std::string board = m_context.motherboards.Motherboard(value); !board.empty()) {
                Append(address, "Computer", "MotherBoard", board);
            }
        } else if (section == "Info" && Upper(key).starts_with("MAC_ADDR")) {
            if (const std::string hint = m_context.addresses.HintFor(value); !hint.empty()) {
                Append(address, "Info", "MAC_Hint" + std::string(key.substr(std::min<std::size_t>(8, key.size()), 2)),
                       hint);
            }
        }
    });
    if (section == "Current_Config" && !netListed) {
        if (const std::string vendor = m_context.addresses.VendorOf(address); !vendor.empty()) {
            Append(address, "Current_Config", "Device_" + std::to_string(keys), "Net Unknown " + vendor);
        }
    }
}

} // namespace pelgo::archive
