// Paths, owners and networked computers.
#include "structure/node_queries.h"

#include <vector>

#include "core/text.h"
#include "structure/node_types.h"

namespace pelgo::structure {

std::string GetPath(const TreeNode* node) {
    std::vector<const TreeNode*> chain;
    for (; node != nullptr; node = node->Parent()) {
        chain.push_back(node);
    }
    std::string path = "\\";
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        path += "\\" + (*it)->Text();
    }
    return path;
}

std::string ParentPathList(const TreeNode* node) {
    std::string path = GetPath(node != nullptr ? node->Parent() : nullptr);
    if (path == "\\") {
        return {};
    }
    if (path.starts_with("\\\\")) {
        path.erase(0, 2);
    }
    return core::ReplaceAll(path, "\\", ";");
}

std::string NodeOwnerText(const TreeNode* node) {
    for (; node != nullptr; node = node->Parent()) {
        if (node->Icon() == kIconDepartment || node->Icon() == kIconEmployee) {
            return node->Text();
        }
    }
    return {};
}

bool IsNetComputer(const TreeModel& tree, const TreeNode* node) {
    if (node == nullptr || node->Icon() != kIconComputer) {
        return false;
    }
    const TreeNode* next = tree.Next(*node);
    return next != nullptr && next->Icon() == kIconMacAddress;
}

TreeNode* ComputerOf(const TreeModel& tree, TreeNode* node) {
    if (node != nullptr && node->Icon() == kIconMacAddress) {
        node = node->Parent();
    }
    return IsNetComputer(tree, node) ? node : nullptr;
}

const std::string& ComputerAddress(const TreeModel& tree, const TreeNode& computer) {
    return tree.Next(computer)->Text();
}

} // namespace pelgo::structure
