// Nodes on the command line: shown as the lines of `pelgo-cli tree` (a TAB per level, icon index, blank, UNO,
// blank, text) and named by their UNO.
#pragma once

#include <string>

#include "structure/tree_model.h"
#include "structure/uno.h"

namespace pelgo::cli {

// The node's line, cp1251.
std::string NodeLine(structure::TreeNode& node, structure::NodeIdentity& identity);
void PrintTree(structure::TreeModel& tree, structure::NodeIdentity& identity);
// The node whose record has this UNO; throws core::Error when no node has it.
structure::TreeNode& NodeByUno(const structure::TreeModel& tree, const std::string& uno);

} // namespace pelgo::cli
