// Node records in other.dbf: lookup by UNO in append order, and deleting one node's records only.
#include "structure/node_records_table.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace pelgo::structure {
namespace {

TEST(NodeRecordsTableTest, DeletingANodesRecordsLeavesEveryOtherKeyAlone) {
    testing::TempDir dir;
    core::Clock clock;
    platform::DbfTable::Create(dir / "other.dbf", platform::kOtherTableFields, clock);
    auto table = platform::DbfTable::Open(dir / "other.dbf", platform::DbfOpenMode::Shared, clock);
    table.SetIndex("UNO");
    NodeRecordsTable records(table);
    records.Append("_Multi_User_", "Exclusive", "IVANOVWS-01_____", "IVANOV");
    records.Append("KKU_isOAAAAA", "Main", "aModel", "P4");
    records.Append("_SNX_ALARM_", "CPU", "SENTINOX", "changed");
    records.Append("KKU_isOAAAAB", "Main", "aModel", "Celeron");
    records.Append("KKU_isOAAAAA", "35", "1", "repair");
    records.Append("", "", "", "blank key");

    const std::vector<NodeRecord> found = records.Find("KKU_isOAAAAA");
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].name + "=" + found[0].text, "aModel=P4");
    EXPECT_EQ(found[1].group + "|" + found[1].text, "35|repair");

    EXPECT_EQ(records.DeleteNodeRecords("KKU_isOAAAAA"), 2u);
    EXPECT_EQ(records.DeleteNodeRecords(""), 0u);
    EXPECT_TRUE(records.Find("KKU_isOAAAAA").empty());
    for (const char* kept : {"_Multi_User_", "_SNX_ALARM_", "KKU_isOAAAAB", ""}) {
        EXPECT_EQ(records.Find(kept).size(), 1u) << kept;
    }
}

TEST(NodeRecordsTableTest, UnoLookupOpensTheTableAtTheFirstQuestion) {
    testing::TempDir dir;
    core::Clock clock;
    const UnoInTable madeBeforeTheTable = UnoLookupIn(dir / "other.dbf", clock);
    platform::DbfTable::Create(dir / "other.dbf", platform::kOtherTableFields, clock);
    {
        auto table = platform::DbfTable::Open(dir / "other.dbf", platform::DbfOpenMode::Shared, clock);
        table.Append({"KKU_isOAAAAA", "Main", "aModel", "P4"});
    }
    const UnoInTable lookup = UnoLookupIn(dir / "other.dbf", clock);
    EXPECT_TRUE(lookup("KKU_isOAAAAA"));
    EXPECT_FALSE(lookup("KKU_isOAAAAB"));
    EXPECT_TRUE(madeBeforeTheTable("KKU_isOAAAAA")) << "opened at the first question, not when made";
    EXPECT_TRUE(UnoLookupIn(dir / "other.dbf", clock)("KKU_isOAAAAA"));
    EXPECT_FALSE(UnoLookupIn(dir / "missing.dbf", clock)("KKU_isOAAAAA"));
}

} // namespace
} // namespace pelgo::structure
