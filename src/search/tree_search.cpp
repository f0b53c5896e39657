// The tree search and the searches of device.dbf and other.dbf, each locating its hit's node in the tree.
#include "search/tree_search.h"

#include "core/text.h"
#include "structure/node_types.h"

namespace pelgo::search {
namespace {

// The computer a device.dbf record belongs to: the node just before the first MAC-address node captioned with
// the record's address.
const structure::TreeNode* ComputerOfMac(const structure::TreeModel& tree, std::string_view mac) {
    for (const structure::TreeNode* node = tree.First(); node != nullptr; node = tree.Next(*node)) {
        if (node->Icon() == structure::kIconMacAddress && core::Trim(node->Text()) == mac) {
            return tree.Previous(*node);
        }
    }
    return nullptr;
}

const structure::TreeNode* NodeOfUno(const structure::TreeModel& tree, const std::string& uno) {
    // Records of no node ("_Multi_User_", orphans) are common; the model's UNO index spares them the walk.
    if (!tree.HasUno(uno)) {
        return nullptr;
    }
    for (const structure::TreeNode* node = tree.First(); node != nullptr; node = tree.Next(*node)) {
        if (node->Record() != nullptr && node->Record()->uno == uno) {
            return node;
        }
    }
    return nullptr;
}

} // namespace

const structure::TreeNode* FindInTree(const structure::TreeModel& tree, const TextMatcher& matcher,
                                      const structure::TreeNode* selected, bool continued) {
    const structure::TreeNode* node = continued && selected != nullptr ? tree.Next(*selected) : tree.First();
    for (; node != nullptr; node = tree.Next(*node)) {
        if (matcher.ContainsOrContained(node->Text())) {
            return node;
        }
    }
    return nullptr;
}

std::optional<TableHit> TableSearch::Find(platform::DbfTable& table, const structure::TreeModel& tree,
                                          const TextMatcher& matcher, bool continued) {
    const bool archive = m_target == TableTarget::Archive;
    const std::size_t keyField = table.FieldIndex(archive ? "MAC_ADR" : "UNO");
    const std::size_t groupField = table.FieldIndex("GROUP");
    const std::size_t nameField = table.FieldIndex("NAME");
    const std::size_t textField = table.FieldIndex("TEXT");
    const std::size_t start = continued && m_position ? *m_position + 1 : 0;

    std::optional<TableHit> hit;
    std::size_t position = 0;
    // The walk cannot stop early; once the hit is taken the remaining records are merely counted past.
    table.WalkByIndex([&](const platform::DbfRecord& record) {
        const std::size_t place = position++;
        if (hit || place < start || !matcher.Contains(record.values[textField])) {
            return;
        }
        const std::string key(core::TrimRight(record.values[keyField]));
        const structure::TreeNode* node =
            archive ? ComputerOfMac(tree, core::Trim(record.values[keyField])) : NodeOfUno(tree, key);
        if (node == nullptr) {
            return;
        }
        hit = TableHit{node,
                       record.number,
                       key,
                       std::string(core::TrimRight(record.values[groupField])),
                       std::string(core::TrimRight(record.values[nameField])),
                       std::string(core::TrimRight(record.values[textField]))};
        m_position = place;
    });
    if (!hit) {
        // As a table cursor left at the end: "Дальше..." finds only records added meanwhile.
        m_position = position;
    }
    return hit;
}

} // namespace pelgo::search
