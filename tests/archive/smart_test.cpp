// The SMART attribute table and the decoding of the archived S.M.A.R.T. lines: channels, attribute names
// from the table or its unknown text, missing tags, and the view without a table.
#include "archive/smart.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace pelgo::archive {
namespace {

class SmartTest : public ::testing::Test {
protected:
    SmartTest() {
        // ParamName picks the section: [ENG] must not be read.
        testing::WriteBytes(m_dir / "smart", "[Main]\r\nParamName=test\r\n"
                                             "[ENG]\r\n194=English\r\nunknown=English unknown\r\n"
                                             "[TEST]\r\n<V>=\"Value: \"\r\n<W>=\"Worst: \"\r\n<T>=Thr=\r\n"
                                             "unknown=No name\r\n5=Reallocated\r\n194=Temperature\r\n");
        m_table = SmartTable::Load(m_dir / "smart");
    }

    testing::TempDir m_dir;
    std::optional<SmartTable> m_table;
};

TEST_F(SmartTest, TableNamesAndCaptions) {
    ASSERT_TRUE(m_table.has_value());
    EXPECT_EQ(m_table->DisplayName(194), "[194] Temperature :");
    EXPECT_EQ(m_table->DisplayName(5), "[5] Reallocated :");
    EXPECT_EQ(m_table->DisplayName(0), "[0] No name :");
    EXPECT_EQ(m_table->DisplayName(256), "[256] No name :");
    EXPECT_EQ(m_table->DisplayName(257), "[257] No name :");
    // A caption the table lacks is the tag itself.
    EXPECT_EQ(m_table->Captions(), (std::array<std::string, 4>{"Value: ", "Worst: ", "Thr=", "<R>"}));

    testing::WriteBytes(m_dir / "bare", "[Main]\r\n");
    EXPECT_EQ(SmartTable::Load(m_dir / "bare")->DisplayName(9), "[9] unknown :");
    EXPECT_FALSE(SmartTable::Load(m_dir / "missing").has_value());
}

TEST_F(SmartTest, ShippedTableNamesTheCommonAttributes) {
    const std::optional<SmartTable> shipped = SmartTable::Load(PELGO_REFERENCE_DATA "/smart");
    ASSERT_TRUE(shipped.has_value());
    EXPECT_EQ(shipped->DisplayName(194), "[194] Temperature :");
    EXPECT_EQ(shipped->Captions()[0], "Value: ");
}

TEST_F(SmartTest, ChannelNames) {
    EXPECT_EQ(SmartChannelName(0), "IDE Primary Master");
    EXPECT_EQ(SmartChannelName(1), "IDE Primary Slave");
    EXPECT_EQ(SmartChannelName(2), "IDE Secondary Master");
    EXPECT_EQ(SmartChannelName(3), "IDE Secondary Slave");
}

TEST_F(SmartTest, DisksWithTheirAttributes) {
    const std::vector<std::string> lines = {
        "HDD0_194=<V>40 <W>55 <T>0 <R>40",
        "HDD0_Info=ST380011A",
        "HDD0_5=<V>100 <T>36 <R>0",        // no worst value
        "HDD1_194=<V>30 <W>30 <T>0 <R>30", // its channel has no _Info line
        "HDD3_Info=Maxtor 6Y080",
        "HDD3_9=<R>1200 <V>99",
        "HDD0_194=<V>1 <W>1 <T>1 <R>1", // a second line of one key is not shown
        "HDD3_300=<V>1",
    };
    ViewTree tree;
    const int section = tree.Add(ViewTree::kTop, "S.M.A.R.T.", 6);
    ShowSMART(lines, &*m_table, tree, section);
    EXPECT_EQ(tree.Print(), "6 S.M.A.R.T.\n"
                            "\t6 IDE Primary Master: ST380011A\n"
                            "\t\t19 [5] Reallocated :\n"
                            "\t\t\t0 Value: 100\n"
                            "\t\t\t0 Thr=36\n"
                            "\t\t\t0 <R>0\n"
                            "\t\t19 [194] Temperature :\n"
                            "\t\t\t0 Value: 40\n"
                            "\t\t\t0 Worst: 55\n"
                            "\t\t\t0 Thr=0\n"
                            "\t\t\t0 <R>40\n"
                            "\t6 IDE Secondary Slave: Maxtor 6Y080\n"
                            "\t\t19 [9] No name :\n"
                            "\t\t\t0 Value: 99\n"
                            "\t\t\t0 <R>1200\n");
}

TEST_F(SmartTest, WithoutTableOnlyTheDisks) {
    ViewTree tree;
    const int section = tree.Add(ViewTree::kTop, "S.M.A.R.T.", 6);
    ShowSMART({"HDD2_Info=WDC", "HDD2_194=<V>40"}, nullptr, tree, section);
    EXPECT_EQ(tree.Print(), "6 S.M.A.R.T.\n\t6 IDE Secondary Master: WDC\n");
}

TEST_F(SmartTest, DecodingOneLine) {
    ViewTree tree;
    EXPECT_EQ(DecodeSMART("HDD0_x=<W>7", &*m_table, tree, ViewTree::kTop), "<W>7");
    EXPECT_EQ(DecodeSMART("HDD0_5=<V>100 ", nullptr, tree, ViewTree::kTop), "<V>100 ");
    // A number that is not one names attribute 0.
    EXPECT_EQ(tree.Print(), "19 [0] No name :\n\t0 Worst: 7\n");
}

} // namespace
} // namespace pelgo::archive
