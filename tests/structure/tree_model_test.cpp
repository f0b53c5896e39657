// The tree model: navigation, the pre-order table under edits, handles and the observer's notifications.
#include "structure/tree_model.h"

#include <gtest/gtest.h>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace pelgo::structure {
namespace {

// The pre-order as children lists give it, independent of the model's order table.
void CollectPreOrder(const TreeNode* node, std::vector<const TreeNode*>& out) {
    out.push_back(node);
    for (int row = 0; row < node->ChildCount(); ++row) {
        CollectPreOrder(node->Child(row), out);
    }
}

std::vector<const TreeNode*> PreOrder(const TreeModel& tree) {
    std::vector<const TreeNode*> out;
    for (int row = 0; row < tree.TopLevelCount(); ++row) {
        CollectPreOrder(tree.TopLevel(row), out);
    }
    return out;
}

void ExpectConsistent(const TreeModel& tree) {
    const std::vector<const TreeNode*> expected = PreOrder(tree);
    ASSERT_EQ(tree.Count(), static_cast<int>(expected.size()));
    const TreeNode* walked = tree.First();
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const TreeNode* node = expected[i];
        ASSERT_EQ(walked, node) << "Next() at " << i;
        walked = tree.Next(*walked);
        ASSERT_EQ(tree.AbsoluteIndex(*node), static_cast<int>(i));
        ASSERT_EQ(tree.NodeAt(static_cast<int>(i)), node);
        ASSERT_EQ(node->Level(), node->Parent() == nullptr ? 0 : node->Parent()->Level() + 1);
        const TreeNode* sibling = node->Parent() ? node->Parent()->Child(node->Row()) : tree.TopLevel(node->Row());
        ASSERT_EQ(sibling, node) << "Row() of " << node->Text();
        ASSERT_EQ(tree.NodeByHandle(node->Handle()), node);
    }
    EXPECT_EQ(walked, nullptr);
    EXPECT_EQ(tree.NodeAt(tree.Count()), nullptr);
    EXPECT_EQ(tree.NodeAt(-1), nullptr);
}

std::string Texts(const TreeModel& tree) {
    std::string out;
    for (const TreeNode* node = tree.First(); node != nullptr; node = tree.Next(*node)) {
        out += std::string(static_cast<std::size_t>(node->Level()), '.') + node->Text() + " ";
    }
    return out;
}

TEST(TreeModelTest, InsertsAtPositionsAndWalksInPreOrder) {
    TreeModel tree;
    TreeNode& a = tree.AddChild(nullptr, -1, "A", 1);
    TreeNode& c = tree.AddChild(&a, -1, "C", 2);
    tree.AddChild(&a, 0, "B", 2);
    tree.AddChild(&c, 5, "C1", 3);
    tree.AddChild(nullptr, 0, "Z", 1);
    tree.AddChild(nullptr, -1, "D", 1);
    EXPECT_EQ(Texts(tree), "Z A .B .C ..C1 D ");
    EXPECT_EQ(tree.First()->Text(), "Z");
    EXPECT_EQ(c.Row(), 1);
    EXPECT_EQ(c.Parent(), &a);
    EXPECT_EQ(a.Parent(), nullptr);
    EXPECT_EQ(a.Child(2), nullptr);
    ExpectConsistent(tree);
}

TEST(TreeModelTest, OrderTableFollowsEveryKindOfEdit) {
    TreeModel tree;
    std::mt19937 random(20260310);
    const auto pick = [&](int count) { return static_cast<int>(random() % static_cast<unsigned>(count)); };
    for (int step = 0; step < 600; ++step) {
        const int operation = tree.Count() < 5 ? 0 : pick(4);
        TreeNode* some = tree.Empty() ? nullptr : tree.NodeAt(pick(tree.Count()));
        switch (operation) {
        case 0:
        case 1: {
            TreeNode* parent = pick(5) == 0 ? nullptr : some;
            tree.AddChild(parent, pick(4) - 1, std::to_string(step), 1);
            break;
        }
        case 2:
            if (some->ChildCount() < 4) {
                tree.Remove(*some);
            }
            break;
        default: {
            TreeNode* destination = pick(5) == 0 ? nullptr : tree.NodeAt(pick(tree.Count()));
            tree.Move(*some, destination, pick(4) - 1);
        }
        }
        // Ask for an index after every edit, as a walk mixed with edits would.
        if (const TreeNode* last = tree.NodeAt(tree.Count() - 1)) {
            ASSERT_EQ(tree.AbsoluteIndex(*last), tree.Count() - 1);
        }
        if (step % 25 == 0) {
            ExpectConsistent(tree);
        }
    }
    ExpectConsistent(tree);
}

TEST(TreeModelTest, MoveKeepsSubtreesAndRefusesItsOwnSubtree) {
    TreeModel tree;
    TreeNode& a = tree.AddChild(nullptr, -1, "A", 1);
    TreeNode& b = tree.AddChild(&a, -1, "B", 1);
    TreeNode& c = tree.AddChild(&b, -1, "C", 1);
    TreeNode& d = tree.AddChild(nullptr, -1, "D", 1);

    EXPECT_FALSE(tree.Move(a, &c, -1));
    EXPECT_FALSE(tree.Move(b, &b, -1));
    EXPECT_EQ(Texts(tree), "A .B ..C D ");

    EXPECT_TRUE(tree.Move(b, &d, -1)); // last child of the target
    EXPECT_EQ(Texts(tree), "A D .B ..C ");
    EXPECT_EQ(c.Level(), 2);
    EXPECT_TRUE(tree.Move(b, nullptr, 0)); // before the first top-level node
    EXPECT_EQ(Texts(tree), "B .C A D ");
    EXPECT_EQ(c.Level(), 1);
    EXPECT_TRUE(tree.Move(b, nullptr, 3)); // down among its own siblings: the row counts before the move
    EXPECT_EQ(Texts(tree), "A D B .C ");
    ExpectConsistent(tree);
}

TEST(TreeModelTest, HandlesArePositiveAndNeverReused) {
    TreeModel tree;
    std::set<int> seen;
    TreeNode& a = tree.AddChild(nullptr, -1, "A", 1);
    TreeNode& b = tree.AddChild(&a, -1, "B", 1);
    const int removed = b.Handle();
    seen.insert(a.Handle());
    seen.insert(removed);
    tree.Remove(b);
    EXPECT_EQ(tree.NodeByHandle(removed), nullptr);
    EXPECT_EQ(tree.Count(), 1);
    tree.Reset([&] {
        for (int i = 0; i < 3; ++i) {
            const int handle = tree.AddChild(nullptr, -1, "N", 1).Handle();
            EXPECT_GT(handle, 0);
            EXPECT_TRUE(seen.insert(handle).second) << handle;
        }
    });
    EXPECT_EQ(tree.Count(), 3);
    EXPECT_EQ(tree.NodeByHandle(*seen.begin()), nullptr);
}

class RecordingObserver : public TreeObserver {
public:
    void AboutToInsert(const TreeNode* parent, int row) override { Add("insert", parent, row); }
    void Inserted() override { events.push_back("inserted"); }
    void AboutToRemove(const TreeNode* parent, int row) override { Add("remove", parent, row); }
    void Removed() override { events.push_back("removed"); }
    void AboutToMove(const TreeNode* parent, int row, const TreeNode* destination, int destinationRow) override {
        Add("move", parent, row);
        Add("to", destination, destinationRow);
    }
    void Moved() override { events.push_back("moved"); }
    void Changed(const TreeNode& node) override { events.push_back("changed " + node.Text()); }
    void AboutToReset() override { events.push_back("reset"); }
    void ResetDone() override { events.push_back("reset done"); }

    std::vector<std::string> events;

private:
    void Add(const char* what, const TreeNode* parent, int row) {
        events.push_back(std::string(what) + " " + (parent ? parent->Text() : "-") + " " + std::to_string(row));
    }
};

TEST(TreeModelTest, ObserverHearsEachEditInItemViewTerms) {
    TreeModel tree;
    RecordingObserver observer;
    tree.SetObserver(&observer);
    tree.Reset([&] {
        TreeNode& a = tree.AddChild(nullptr, -1, "A", 1);
        tree.AddChild(&a, -1, "B", 1);
        tree.SetIcon(a, 2);
    });
    TreeNode& a = *tree.First();
    TreeNode& c = tree.AddChild(&a, 0, "C", 1);
    tree.SetText(c, "C2");
    tree.Move(c, &a, 2);
    tree.Move(c, &a, 2); // already there: no notification
    tree.Remove(c);
    const std::vector<std::string> expected = {
        "reset",    "reset done", "insert A 0", "inserted",   "changed C2",
        "move A 0", "to A 2",     "moved",      "remove A 1", "removed",
    };
    EXPECT_EQ(observer.events, expected);
}

} // namespace
} // namespace pelgo::structure
