// Node lines and the lookup by UNO.
#include "cli/node_lines.h"

#include "cli/args.h"
#include "core/errors.h"

namespace pelgo::cli {

std::string NodeLine(structure::TreeNode& node, structure::NodeIdentity& identity) {
    return std::string(static_cast<std::size_t>(node.Level()), '\t') + std::to_string(node.Icon()) + " " +
           identity.NodeUno(&node) + " " + node.Text();
}

void PrintTree(structure::TreeModel& tree, structure::NodeIdentity& identity) {
    for (structure::TreeNode* node = tree.First(); node != nullptr; node = tree.Next(*node)) {
        PrintLine(NodeLine(*node, identity));
    }
}

structure::TreeNode& NodeByUno(const structure::TreeModel& tree, const std::string& uno) {
    for (structure::TreeNode* node = tree.First(); node != nullptr; node = tree.Next(*node)) {
        if (node->Record() != nullptr && node->Record()->uno == uno) {
            return *node;
        }
    }
    throw core::Error("no node of the structure tree has the UNO \"" + uno + "\"");
}

} // namespace pelgo::cli
