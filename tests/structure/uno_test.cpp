// UNOs and records made on demand.
#include "structure/uno.h"

#include <gtest/gtest.h>

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
    TreeModel tree;
    core::Clock clock;
    clock.Set({2026, 3, 10, 15, 0, 0});
    for (int i = 0; i < 300; ++i) {
        const int icon = i % 14;
        TreeNode& node = tree.AddChild(nullptr, -1, "N", icon);
        TreeNode& sameSecond = tree.AddChild(nullptr, -1, "N", icon);
        const std::string uno = NodeUno(&node, clock);
        ASSERT_EQ(uno.size(), 12u);
        for (const char c : uno) {
            ASSERT_GE(c, 'A') << uno;
            ASSERT_LE(c, '}') << uno;
        }
        EXPECT_NE(NodeUno(&sameSecond, clock), uno) << "handles " << node.Handle() << ", " << sameSecond.Handle();
    }
}

TEST(UnoTest, RecordIsMadeOnceAndFreedOnRequest) {
    TreeModel tree;
    core::Clock clock;
    clock.Set({2026, 3, 10, 15, 0, 0});
    TreeNode& node = tree.AddChild(nullptr, -1, "N", 3);
    EXPECT_EQ(node.Record(), nullptr);
    TKelRec& record = NewAddData(node, clock);
    record.comments = std::vector<std::string>{"line"};
    clock.Advance(5);
    EXPECT_EQ(&NewAddData(node, clock), &record) << "an existing record is kept";
    EXPECT_EQ(NodeUno(&node, clock), record.uno);
    EXPECT_EQ(NodeUno(nullptr, clock), "Error_Node");

    DelAdditional(node);
    EXPECT_EQ(node.Record(), nullptr);
    EXPECT_NE(NodeUno(&node, clock), CreateUNO(3, node.Handle(), {2026, 3, 10, 15, 0, 0})) << "a new time, a new UNO";
}

} // namespace
} // namespace pelgo::structure
