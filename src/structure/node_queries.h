// Small questions about a node that reports, the work log and the archive ask: its path, the path of its
// parent as a list, its owning department or employee, and whether it is a computer with an adapter.
#pragma once

#include <string>

#include "structure/tree_model.h"

namespace pelgo::structure {

// "\" followed by "\" + text for each node from the top-level ancestor down: C under B under A gives
// "\\A\B\C"; no node gives "\".
std::string GetPath(const TreeNode* node);
// The parent's path as a list: "A;B" for C under B under A, empty for a top-level node.
std::string ParentPathList(const TreeNode* node);
// The text of the nearest department or employee, the node itself included; empty when there is none.
std::string NodeOwnerText(const TreeNode* node);
// A computer whose next node in pre-order is its adapter address.
bool IsNetComputer(const TreeModel& tree, const TreeNode* node);
// The networked computer a computer node or its address node stands for; null for any other node.
TreeNode* ComputerOf(const TreeModel& tree, TreeNode* node);
// A networked computer's adapter address: the text of its address node.
const std::string& ComputerAddress(const TreeModel& tree, const TreeNode& computer);

} // namespace pelgo::structure
