// Node identity: the UNO, a node's 12-character key in other.dbf, and the node record that holds it. A
// node gets its record (and with it its UNO) the first time either is needed and keeps it for good.
#pragma once

#include <string>

#include "core/date_time.h"
#include "structure/tree_model.h"

namespace pelgo::structure {

// What stands for the UNO when there is no node.
inline constexpr const char* kNoNodeUno = "Error_Node";

// The UNO made from an icon index, a node handle and a time: 12 characters between "A" and "}", so never a
// blank or ";". Unique for nodes made in the same second through their handles.
std::string CreateUNO(int icon, int handle, const core::DateTime& time);
std::string CreateUNO(const TreeNode& node, const core::Clock& clock);

// The node's record, made with a new UNO when the node has none.
TKelRec& NewAddData(TreeNode& node, const core::Clock& clock);
// Frees the node's record, comments included.
void DelAdditional(TreeNode& node);
// The node's UNO (making its record when missing); kNoNodeUno for no node.
std::string NodeUno(TreeNode* node, const core::Clock& clock);

} // namespace pelgo::structure
