// UNOs and records made on demand.
#include "structure/uno.h"

#include <gtest/gtest.h>
#include <set>

namespace pelgo::structure {
namespace {

TEST(UnoTest, DigitPairsMapByTheirTextAndPosition) {
    struct Case {
        int icon;
        int handle;
        core::DateTime time;
        const char* uno;
    };
    const Case cases[] = {
        // "1" "010203040506" "7" "0000000000": pairs 10 10 20 30 40 50 67 00 00 00 00 00; "67" at position 7
        // is chr(7 + 5 + 67).
        {1, 7, {2003, 2, 1, 4, 5, 6}, "KKU_isOAAAAA"},
        // Icon 6 on the 5th: "60" maps to "}"; on the 15th: "61" at position 1 maps to chr(1 + 5 + 61) = "C".
        {6, 1, {2024, 1, 5, 0, 0, 0}, "}sMiAABAAAAA"},
        {6, 1, {2024, 1, 15, 0, 0, 0}, "CsMiAABAAAAA"},
        // A two-digit icon and a long handle: the text is cut after 24 digits.
        {13, 99999999, {1999, 12, 31, 23, 59, 59}, "N`MlX||pqrsA"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CreateUNO(c.icon, c.handle, c.time), c.uno) << c.icon << " " << c.handle;
    }
}

TEST(UnoTest, UnosStayInTheirAlphabetAndNodesMadeInOneSecondDiffer) {
    TreeModel tree(1); // handles 1 and 10, 11 and 110, ... pad to the same digits
    core::Clock clock;
    clock.Set({2026, 3, 10, 15, 0, 0});
    NodeIdentity identity(tree, clock);
    std::set<std::string> unos;
    for (int i = 0; i < 300; ++i) {
        TreeNode& node = tree.AddChild(nullptr, -1, "N", i % 14);
        const std::string uno = identity.NodeUno(&node);
        ASSERT_EQ(uno.size(), 12u);
        for (const char c : uno) {
            ASSERT_GE(c, 'A') << uno;
            ASSERT_LE(c, '}') << uno;
        }
        EXPECT_TRUE(unos.insert(uno).second) << "handle " << node.Handle() << " repeats " << uno;
    }
    ASSERT_EQ(CreateUNO(3, 1, clock.Now()), CreateUNO(3, 10, clock.Now()));
}

TEST(UnoTest, UnoTakenInTheTreeOrTheTableIsSteppedPast) {
    TreeModel tree(1);
    core::Clock clock;
    clock.Set({2026, 3, 10, 15, 0, 0});
    std::set<std::string> inTable;
    NodeIdentity identity(tree, clock, [&](const std::string& uno) { return inTable.contains(uno); });
    TreeNode& node = tree.AddChild(nullptr, -1, "N", 3);
    const std::string base = CreateUNO(3, node.Handle(), clock.Now());
    inTable = {base, NextUno(base)};
    EXPECT_EQ(identity.NodeUno(&node), NextUno(NextUno(base)));

    EXPECT_EQ(NextUno("AAAAAAAAAAA}"), "AAAAAAAAAABA");
    EXPECT_EQ(NextUno("A}}}}}}}}}}}"), "BAAAAAAAAAAA");
}

TEST(UnoTest, TwoInstancesAddingInTheSameSecondMakeDifferentUnos) {
    core::Clock clock;
    clock.Set({2026, 3, 10, 15, 0, 0});
    TreeModel first;
    TreeModel second;
    NodeIdentity firstIdentity(first, clock);
    NodeIdentity secondIdentity(second, clock);
    for (TreeModel* tree : {&first, &second}) {
        tree->Reset([&] { tree->AddChild(nullptr, -1, "bucket", 1); });
    }
    EXPECT_NE(firstIdentity.NodeUno(&first.AddChild(first.First(), -1, "PC", 3)),
              secondIdentity.NodeUno(&second.AddChild(second.First(), -1, "PC", 3)));
}

TEST(UnoTest, RecordIsMadeOnceAndFreedOnRequest) {
    TreeModel tree;
    core::Clock clock;
    clock.Set({2026, 3, 10, 15, 0, 0});
    NodeIdentity identity(tree, clock);
    TreeNode& node = tree.AddChild(nullptr, -1, "N", 3);
    EXPECT_EQ(node.Record(), nullptr);
    TKelRec& record = identity.NewAddData(node);
    record.comments = std::vector<std::string>{"line"};
    clock.Advance(5);
    EXPECT_EQ(&identity.NewAddData(node), &record) << "an existing record is kept";
    EXPECT_EQ(identity.NodeUno(&node), record.uno);
    EXPECT_EQ(identity.NodeUno(nullptr), "Error_Node");
    EXPECT_TRUE(tree.HasUno(record.uno));

    const std::string uno = record.uno;
    identity.DelAdditional(node);
    EXPECT_EQ(node.Record(), nullptr);
    EXPECT_FALSE(tree.HasUno(uno));
    const std::string renewed = identity.NodeUno(&node);
    EXPECT_NE(renewed, CreateUNO(3, node.Handle(), {2026, 3, 10, 15, 0, 0})) << "a new time, a new UNO";
    tree.Remove(node);
    EXPECT_FALSE(tree.HasUno(renewed)) << "a removed node's UNO is free again";
}

TEST(UnoTest, DuplicatesArePairedWithTheirFirstHolder) {
    TreeModel tree;
    for (const char* uno : {"AAAAAAAAAAAA", "BBBBBBBBBBBB", "AAAAAAAAAAAA", "AAAAAAAAAAAA"}) {
        tree.SetRecord(tree.AddChild(nullptr, -1, uno, 1), std::make_unique<TKelRec>(TKelRec{uno, {}}));
    }
    const auto pairs = DuplicateUnos(tree);
    ASSERT_EQ(pairs.size(), 2u);
    EXPECT_EQ(pairs[0], std::make_pair(tree.NodeAt(0), tree.NodeAt(2)));
    EXPECT_EQ(pairs[1], std::make_pair(tree.NodeAt(0), tree.NodeAt(3)));
}

} // namespace
} // namespace pelgo::structure
