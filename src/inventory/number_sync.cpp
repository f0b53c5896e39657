// Synchronising the two places of an inventory number and checking the tree for numbers used twice.
#include "inventory/number_sync.h"

#include <unordered_map>

#include "core/cp1251.h"
#include "core/text.h"
#include "core/translator.h"
#include "structure/additional_fields.h"
#include "structure/node_queries.h"

namespace pelgo::inventory {
namespace {

constexpr char kNumberSign = '\xB9'; // "№" in cp1251
constexpr std::size_t kMaxTreeNumber = 255;
constexpr std::size_t kMaxKeyLength = 200;

// Departments and employees carry no inventory number: they are neither synchronised nor checked.
bool IsEquipment(const structure::TreeNode& node) {
    return node.Icon() > structure::kIconEmployee;
}

const char* InventoryName() {
    return structure::AdditionalFields()[structure::kInventoryField].storedName;
}

std::string ExportLine(const std::string& uno, const std::string& number, const std::string& caption) {
    return uno + "\t" + number + "\t" + caption;
}

bool IsNumberRecord(const structure::NodeRecord& record) {
    return record.group == structure::kMainGroup && record.name == InventoryName();
}

// The stored number of every key, read in one pass over the table: a lookup per node would read the table's
// records of every node one by one.
std::unordered_map<std::string, std::string> StoredNumbers(structure::NodeRecordsTable& records) {
    std::unordered_map<std::string, std::string> numbers;
    records.Walk([&](const structure::NodeRecord& record) {
        if (IsNumberRecord(record)) {
            numbers.try_emplace(record.uno, core::Trim(record.text));
        }
    });
    return numbers;
}

// The caption without its number: the text before the first "№", trimmed; a caption without "№" as it is.
std::string WithoutNumber(const std::string& caption) {
    const std::size_t sign = caption.find(kNumberSign);
    return sign == std::string::npos ? caption : std::string(core::Trim(std::string_view(caption).substr(0, sign)));
}

class Synchronizer {
public:
    Synchronizer(const structure::TreeModel& tree, structure::NodeIdentity& identity,
                 structure::NodeRecordsTable& records, const ConflictQuestion& ask,
                 const std::function<void(structure::TreeNode&, std::string)>& rename, SyncOutcome& outcome)
        : m_tree(tree), m_identity(identity), m_stored(StoredNumbers(records)), m_ask(ask), m_rename(rename),
          m_outcome(outcome) {}

    void Node(structure::TreeNode& node) {
        if (node.Record() == nullptr) {
            m_identity.NewAddData(node);
            m_outcome.unosGiven = true;
        }
        const std::string uno = node.Record()->uno;
        // Two nodes with one UNO share their additional data: either's number would overwrite the other's.
        if (m_tree.NodesWithUno(uno) > 1) {
            m_outcome.sharedUnoPaths.push_back(structure::GetPath(&node));
            return;
        }
        std::string tree = TreeNumber(node.Text());
        const auto known = m_stored.find(uno);
        std::string stored = known != m_stored.end() ? known->second : std::string();
        if (tree != stored) {
            NumberRecordChange change{uno, false, {}};
            if (!tree.empty() && !stored.empty()) {
                ++m_outcome.conflicts;
                switch (m_ask(node, tree, stored)) {
                case NumberChoice::Tree:
                    change.deleteStored = true;
                    stored.clear();
                    break;
                case NumberChoice::Stored:
                    tree.clear();
                    break;
                case NumberChoice::Skip:
                    break;
                }
            }
            // A caption whose "№" has nothing after it gets the number there, not a second "№".
            if (tree.empty()) {
                Rename(node, WithoutNumber(node.Text()) + " " + kNumberSign + stored);
            }
            if (stored.empty()) {
                stored = tree;
                change.append = tree;
            }
            if (change.deleteStored || !change.append.empty()) {
                m_outcome.recordChanges.push_back(std::move(change));
            }
        }
        if (!stored.empty()) {
            m_outcome.exportLines.push_back(ExportLine(uno, stored, node.Text()));
        }
    }

private:
    void Rename(structure::TreeNode& node, std::string caption) {
        if (caption != node.Text()) {
            m_rename(node, std::move(caption));
            m_outcome.captionsChanged = true;
        }
    }

    const structure::TreeModel& m_tree;
    structure::NodeIdentity& m_identity;
    std::unordered_map<std::string, std::string> m_stored; // by UNO
    const ConflictQuestion& m_ask;
    const std::function<void(structure::TreeNode&, std::string)>& m_rename;
    SyncOutcome& m_outcome;
};

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string bytes;
    for (const std::string& line : lines) {
        bytes += line;
        bytes += "\r\n";
    }
    return bytes;
}

} // namespace

std::string TreeNumber(std::string_view caption) {
    const std::size_t sign = caption.find(kNumberSign);
    if (sign == std::string_view::npos) {
        return {};
    }
    return std::string(core::Trim(caption.substr(sign + 1, kMaxTreeNumber)));
}

std::string StoredNumber(structure::NodeRecordsTable& records, std::string_view uno) {
    for (const structure::NodeRecord& record : records.Find(uno)) {
        if (IsNumberRecord(record)) {
            return std::string(core::Trim(record.text));
        }
    }
    return {};
}

SyncOutcome SynchronizeNumbers(structure::TreeModel& tree, structure::NodeIdentity& identity,
                               structure::NodeRecordsTable& records, const ConflictQuestion& ask,
                               const std::function<void(structure::TreeNode&, std::string)>& rename,
                               const std::function<void()>& step) {
    SyncOutcome outcome;
    outcome.exportLines.push_back("Index\t" + core::Utf8ToCp1251("Инвентарный") + "\tRemark");
    Synchronizer synchronizer(tree, identity, records, ask, rename, outcome);
    for (structure::TreeNode* node = tree.First(); node != nullptr; node = tree.Next(*node)) {
        if (IsEquipment(*node)) {
            synchronizer.Node(*node);
        }
        step();
    }
    return outcome;
}

void ApplyRecordChanges(structure::NodeRecordsTable& records, const std::vector<NumberRecordChange>& changes) {
    for (const NumberRecordChange& change : changes) {
        if (change.deleteStored) {
            records.DeleteNamed(change.uno, structure::kMainGroup, InventoryName());
        }
        if (!change.append.empty()) {
            records.Append(change.uno, structure::kMainGroup, InventoryName(), change.append);
        }
    }
}

std::string ExportFileBytes(const std::vector<std::string>& lines) {
    return JoinLines(lines);
}

std::string CheckKey(const structure::NodeTypes& types, const structure::TreeNode& node) {
    if (!IsEquipment(node)) {
        return {};
    }
    const std::string_view caption = core::Trim(node.Text());
    const std::size_t sign = caption.find(kNumberSign);
    if (sign == std::string_view::npos) {
        return {};
    }
    return types.NodeTypeName(node.Icon()) + " " + std::string(caption.substr(sign, kMaxKeyLength));
}

CheckOutcome CheckNumbers(const structure::TreeModel& tree, const structure::NodeTypes& types,
                          const std::function<void()>& step) {
    CheckOutcome outcome;
    // A duplicate's key is not kept: every later node is compared with the first node of its number.
    std::unordered_map<std::string, std::string> firstPaths;
    for (const structure::TreeNode* node = tree.First(); node != nullptr; node = tree.Next(*node)) {
        ++outcome.nodes;
        const std::string key = CheckKey(types, *node);
        if (!key.empty()) {
            const auto [first, isNew] = firstPaths.try_emplace(key, structure::GetPath(node));
            if (!isNew) {
                outcome.duplicates.push_back({structure::GetPath(node), first->second});
            }
        }
        step();
    }
    outcome.numbered = static_cast<int>(firstPaths.size());
    return outcome;
}

std::string CheckLogBytes(const CheckOutcome& outcome, std::string_view dateAndTime) {
    std::vector<std::string> lines{core::Text(4201, "Результаты проверки инвентарных номеров"),
                                   std::string(dateAndTime)};
    int n = 0;
    for (const Duplicate& duplicate : outcome.duplicates) {
        lines.emplace_back();
        lines.push_back(std::to_string(++n) + core::Text(4202, ".Инв.№ ") + duplicate.path +
                        core::Text(4203, " дублируется с :"));
        lines.push_back("- " + duplicate.firstPath);
    }
    return JoinLines(lines);
}

std::string CheckPassedMessage(const CheckOutcome& outcome) {
    return core::Text(4205, "Проверено ") + std::to_string(outcome.nodes) +
           core::Text(4206, " записей.\r\nиз них содержат инвентарные номера - ") + std::to_string(outcome.numbered) +
           "\r\n\r\n" + core::Text(4207, "Ошибок не обнаружено.");
}

} // namespace pelgo::inventory
