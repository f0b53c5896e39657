// The assignment run over the collector directories and the duplicate check before it.
#include "inventory/inventory_run.h"

#include <set>
#include <unordered_map>

#include "archive/current_config.h"
#include "core/cp1251.h"
#include "core/errors.h"
#include "core/file.h"
#include "core/kel_ini_file.h"
#include "core/text.h"
#include "core/translator.h"
#include "inventory/inventory_data.h"

namespace pelgo::inventory {
namespace {

constexpr char kNumberSign = '\xB9'; // "№" in cp1251
constexpr std::size_t kMaxKeyLength = 200;

std::string Folded(std::string_view text) {
    std::string folded(text);
    for (char& c : folded) {
        c = core::FoldCase(c);
    }
    return folded;
}

std::string JoinPath(const std::string& directory, const std::string& name) {
    return !directory.empty() && directory.back() == '/' ? directory + name : directory + "/" + name;
}

// The first address node of each caption in pre-order: a file names the computer it belongs to by it.
std::unordered_map<std::string, const structure::TreeNode*> AddressNodes(const structure::TreeModel& tree) {
    std::unordered_map<std::string, const structure::TreeNode*> nodes;
    for (const structure::TreeNode* node = tree.First(); node != nullptr; node = tree.Next(*node)) {
        if (node->Icon() == 4) {
            nodes.emplace(node->Text(), node);
        }
    }
    return nodes;
}

std::string ComputerLine(const structure::TreeNode& computer) {
    const structure::TreeNode* parent = computer.Parent();
    return parent != nullptr ? computer.Text() + " \t" + parent->Text() : computer.Text();
}

class Run {
public:
    Run(const InventoryRun& run, const std::vector<std::string>& directories)
        : m_run(run), m_directories(directories), m_addresses(AddressNodes(run.tree)) {}

    InventoryOutcome Go() {
        CheckDuplicates();
        const core::DateTime now = m_run.clock.Now();
        const core::DateFormats formats;
        Add(m_run.caption + " " + formats.ShortDate(now) + " " + formats.LongTime(now));
        try {
            const int total = static_cast<int>(m_directories.size());
            for (int done = 0; done < total && !m_run.progress.StopRequested(); ++done) {
                Directory(m_directories[static_cast<std::size_t>(done)]);
                DirectoriesDone(done + 1, total);
            }
        } catch (...) {
            // What was written so far is on record however the run ends.
            try {
                SaveProtocol();
            } catch (const core::Error&) {
            }
            throw;
        }
        SaveProtocol();
        if (m_outcome.filesProcessed > 0) {
            m_run.dialog.Inform(platform::MessageKind::Information,
                                core::Text(4154, "Обработано файлов - ") + std::to_string(m_outcome.filesProcessed) +
                                    "\r\n" + core::Text(4155, "протокол инвентаризации сохранен в") + "\r\n" +
                                    m_run.protocolPath);
        }
        m_outcome.ran = true;
        return std::move(m_outcome);
    }

private:
    void Add(std::string line) {
        m_run.progress.Protocol(line);
        m_outcome.protocol.push_back(std::move(line));
    }

    void DirectoriesDone(int done, int total) {
        if (m_run.directoriesDone) {
            m_run.directoriesDone(done, total);
        }
    }

    void CheckDuplicates() {
        const std::vector<std::string> duplicates = DuplicateNumbers(m_run.tree);
        if (duplicates.empty()) {
            return;
        }
        m_run.dialog.Inform(platform::MessageKind::Warning,
                            core::Text(4151, "Обнаружены дублирующиеся инвентарные номера (см.протокол)!"));
        Add(core::Text(4152, "ВНИМАНИЕ ! Дублируются инвентарные номера :"));
        for (const std::string& line : duplicates) {
            Add(line);
        }
    }

    void Directory(const std::string& directory) {
        const std::vector<std::string> names = core::FilesIn(directory);
        if (names.empty()) {
            const std::string line = core::Text(4153, "Неверный каталог ") + directory;
            Add(line);
            m_run.dialog.Inform(platform::MessageKind::Warning, line);
            return;
        }
        Add(directory);
        const int total = static_cast<int>(names.size());
        for (int done = 0; done < total && !m_run.progress.StopRequested(); ++done) {
            File(JoinPath(directory, names[static_cast<std::size_t>(done)]));
            ++m_outcome.filesProcessed;
            m_run.progress.SetCounters(done + 1, total);
            if (m_directories.size() == 1) {
                DirectoriesDone(done + 1, total);
            }
            m_run.progress.ProcessEvents();
        }
    }

    void File(const std::string& path) {
        const structure::TreeNode* computer = nullptr;
        try {
            archive::EditCollectorFile(path, [&](core::TKelIniFile& file) {
                const std::string address = file.ReadString("Info", "MAC_Addr", "");
                if (address.size() <= 1) {
                    return;
                }
                const auto found = m_addresses.find(address);
                if (found == m_addresses.end()) {
                    return;
                }
                if (m_run.select) {
                    m_run.select(*found->second);
                }
                const structure::TreeNode* parent = found->second->Parent();
                if (parent != nullptr && parent->Icon() == 3) {
                    WriteInventoryData(file, *parent, m_run.clock.Now(), m_run.currentUser);
                    computer = parent;
                }
            });
        } catch (const core::Error& error) {
            // Held by the agent, not ours to write, or no collector file: the administrator finds it in the
            // protocol, left as it was.
            Add(core::ExtractFileName(path) + " : " + error.what());
            return;
        }
        if (computer != nullptr) {
            Add(ComputerLine(*computer));
        }
    }

    void SaveProtocol() const {
        std::string bytes;
        for (const std::string& line : m_outcome.protocol) {
            bytes.append(line).append("\r\n");
        }
        core::WriteFileAtomically(m_run.protocolPath, bytes);
    }

    const InventoryRun& m_run;
    const std::vector<std::string>& m_directories;
    const std::unordered_map<std::string, const structure::TreeNode*> m_addresses;
    InventoryOutcome m_outcome;
};

} // namespace

std::string InventoryKey(std::string_view caption) {
    const std::string_view trimmed = core::Trim(caption);
    const std::size_t sign = trimmed.find(kNumberSign);
    return std::string(sign == std::string_view::npos ? trimmed : trimmed.substr(sign, kMaxKeyLength));
}

std::vector<std::string> DuplicateNumbers(const structure::TreeModel& tree) {
    std::vector<std::string> duplicates;
    std::set<std::string> seen;
    for (const structure::TreeNode* node = tree.First(); node != nullptr; node = tree.Next(*node)) {
        if (node->Icon() != 3) {
            continue;
        }
        const std::string key = InventoryKey(node->Text());
        if (!seen.insert(Folded(key)).second) {
            const structure::TreeNode* parent = node->Parent();
            duplicates.push_back(parent != nullptr ? parent->Text() + " " + key : key);
        }
    }
    return duplicates;
}

std::string DefaultCaption() {
    return core::Utf8ToCp1251("Простановка инвентарных номеров");
}

InventoryOutcome AssignInventoryNumbers(const InventoryRun& run, const std::vector<std::string>& directories) {
    if (directories.empty()) {
        run.dialog.Inform(platform::MessageKind::Warning,
                          core::Text(4150, "Для заполнения перечня каталогов нажмите на кнопку \"Добавить\""));
        return {};
    }
    return Run(run, directories).Go();
}

} // namespace pelgo::inventory
