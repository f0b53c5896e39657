// Node identity: the UNO, a node's 12-character key in other.dbf, and the node record that holds it. A
// node gets its record (and with it its UNO) the first time either is needed and keeps it for good.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/date_time.h"
#include "structure/tree_model.h"

namespace pelgo::structure {

// What stands for the UNO when there is no node.
inline constexpr const char* kNoNodeUno = "Error_Node";

// The UNO made from an icon index, a node handle and a time: 12 characters between "A" and "}", so never a
// blank or ";". Different handles can give the same UNO (1 and 10, say); NodeIdentity steps past those.
std::string CreateUNO(int icon, int handle, const core::DateTime& time);
// The UNO after `uno` in the order of its characters, within the same alphabet.
std::string NextUno(std::string uno);

// Whether a UNO has records in the node-record table; empty while the table is not open.
using UnoInTable = std::function<bool(const std::string& uno)>;

// Makes node records whose UNOs no node of the tree and no record of the node-record table has yet.
class NodeIdentity {
public:
    NodeIdentity(TreeModel& tree, const core::Clock& clock, UnoInTable inTable = {});

    // A free UNO for the node.
    std::string CreateUNO(const TreeNode& node) const;
    // The node's record, made with a new UNO when the node has none.
    TKelRec& NewAddData(TreeNode& node);
    // Frees the node's record, comments included.
    void DelAdditional(TreeNode& node);
    // The node's UNO (making its record when missing); kNoNodeUno for no node.
    std::string NodeUno(TreeNode* node);

private:
    TreeModel& m_tree;
    const core::Clock& m_clock;
    UnoInTable m_inTable;
};

// Pairs of nodes sharing a UNO, each later node paired with the first that has it, in pre-order.
std::vector<std::pair<TreeNode*, TreeNode*>> DuplicateUnos(const TreeModel& tree);

} // namespace pelgo::structure
