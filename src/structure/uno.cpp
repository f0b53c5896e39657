// UNO arithmetic and records made on demand.
#include "structure/uno.h"

#include <unordered_map>

namespace pelgo::structure {
namespace {

constexpr char kFirstUnoChar = 'A';
constexpr char kLastUnoChar = '}';

} // namespace

std::string CreateUNO(int icon, int handle, const core::DateTime& time) {
    const std::string digits =
        (std::to_string(icon) + core::FormatDateTime(time, "ddMMyyHHmmss") + std::to_string(handle) + "0000000000")
            .substr(0, 24);
    std::string uno(12, ' ');
    for (int i = 1; i <= 12; ++i) {
        const std::string_view pair = std::string_view(digits).substr(static_cast<std::size_t>(2 * i - 2), 2);
        const int value = (pair[0] - '0') * 10 + (pair[1] - '0');
        // Pairs above "60" shift by the position, which keeps every character within "A".."}".
        uno[static_cast<std::size_t>(i - 1)] = static_cast<char>(pair <= "60" ? 65 + value : i + 5 + value);
    }
    return uno;
}

std::string NextUno(std::string uno) {
    for (auto c = uno.rbegin(); c != uno.rend(); ++c) {
        if (*c < kLastUnoChar) {
            ++*c;
            return uno;
        }
        *c = kFirstUnoChar;
    }
    return uno;
}

NodeIdentity::NodeIdentity(TreeModel& tree, const core::Clock& clock, UnoInTable inTable)
    : m_tree(tree), m_clock(clock), m_inTable(std::move(inTable)) {
}

std::string NodeIdentity::CreateUNO(const TreeNode& node) const {
    std::string uno = structure::CreateUNO(node.Icon(), node.Handle(), m_clock.Now());
    while (m_tree.HasUno(uno) || (m_inTable && m_inTable(uno))) {
        uno = NextUno(std::move(uno));
    }
    return uno;
}

TKelRec& NodeIdentity::NewAddData(TreeNode& node) {
    if (node.Record() == nullptr) {
        m_tree.SetRecord(node, std::make_unique<TKelRec>(TKelRec{CreateUNO(node), std::nullopt}));
    }
    return *node.Record();
}

void NodeIdentity::DelAdditional(TreeNode& node) {
    m_tree.SetRecord(node, nullptr);
}

std::string NodeIdentity::NodeUno(TreeNode* node) {
    return node != nullptr ? NewAddData(*node).uno : kNoNodeUno;
}

std::vector<std::pair<TreeNode*, TreeNode*>> DuplicateUnos(const TreeModel& tree) {
    std::vector<std::pair<TreeNode*, TreeNode*>> pairs;
    if (!tree.HasDuplicateUnos()) {
        return pairs;
    }
    std::unordered_map<std::string_view, TreeNode*> first;
    for (TreeNode* node = tree.First(); node != nullptr; node = tree.Next(*node)) {
        if (node->Record() == nullptr) {
            continue;
        }
        const auto [found, inserted] = first.try_emplace(node->Record()->uno, node);
        if (!inserted) {
            pairs.emplace_back(found->second, node);
        }
    }
    return pairs;
}

} // namespace pelgo::structure
