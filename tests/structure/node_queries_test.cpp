// Paths, parent lists, owners and networked computers.
#include "structure/node_queries.h"

#include <gtest/gtest.h>

#include "structure/node_types.h"

namespace pelgo::structure {
namespace {

TEST(NodeQueriesTest, AnswersForEachKindOfNode) {
    TreeModel tree;
    TreeNode& a = tree.AddChild(nullptr, -1, "A", kIconDepartment);
    TreeNode& b = tree.AddChild(&a, -1, "B", kIconEmployee);
    TreeNode& pc1 = tree.AddChild(&b, -1, "PC1", kIconComputer);
    TreeNode& mac1 = tree.AddChild(&pc1, -1, "00A0C9123456", kIconMacAddress);
    TreeNode& d = tree.AddChild(nullptr, -1, "D", kIconNote);
    TreeNode& x = tree.AddChild(&d, -1, "X", 5);
    TreeNode& pc2 = tree.AddChild(&d, -1, "PC2", kIconComputer); // the last node: nothing follows it

    struct Case {
        const TreeNode* node;
        const char* path;
        const char* parentList;
        const char* owner;
        bool netComputer;
    };
    const Case cases[] = {
        {&a, "\\\\A", "", "A", false},
        {&b, "\\\\A\\B", "A", "B", false},
        {&pc1, "\\\\A\\B\\PC1", "A;B", "B", true},
        {&mac1, "\\\\A\\B\\PC1\\00A0C9123456", "A;B;PC1", "B", false},
        {&x, "\\\\D\\X", "D", "", false},
        {&pc2, "\\\\D\\PC2", "D", "", false},
        {nullptr, "\\", "", "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(GetPath(c.node), c.path);
        EXPECT_EQ(ParentPathList(c.node), c.parentList);
        EXPECT_EQ(NodeOwnerText(c.node), c.owner);
        EXPECT_EQ(IsNetComputer(tree, c.node), c.netComputer);
    }
    tree.Move(x, &pc2, -1);
    EXPECT_FALSE(IsNetComputer(tree, &pc2)) << "a computer followed by a monitor has no adapter";
}

} // namespace
} // namespace pelgo::structure
