// Opening the program's tables with the index rebuild, the missing-index repair and the reindex offer.
#include "shell/table_care.h"

#include <gtest/gtest.h>

#include "core/cp1251.h"
#include "core/file.h"
#include "support/scripted_dialog.h"
#include "support/temp_dir.h"

namespace pelgo::shell {
namespace {

using testing::ReadBytes;
using testing::WriteBytes;

class TableCareTest : public ::testing::Test {
protected:
    TableCareTest() : log(dir / "pelgo.log", clock), care(log, dialog, clock, flags) {
        clock.Set({2026, 3, 10, 15, 0, 0});
        platform::DbfTable::Create(Path(), platform::kOtherTableFields, clock);
        auto table = platform::DbfTable::Open(Path(), platform::DbfOpenMode::Shared, clock);
        table.Append({"UNO000000001", "", "aModel", "P4"});
        table.Append({"UNO000000002", "", "aModel", "P3"});
    }

    std::string Path() const { return dir / "other.dbf"; }
    ManagedTable Managed() const { return ManagedTable{Path(), "UNO", false, false, std::nullopt}; }
    std::string LogUtf8() const { return core::Cp1251ToUtf8(ReadBytes(log.Path())); }
    // Sets or clears the production-index byte of the header.
    void SetIndexByte(char value) {
        std::string bytes = ReadBytes(Path());
        bytes[28] = value;
        WriteBytes(Path(), bytes);
    }

    testing::TempDir dir;
    core::Clock clock;
    core::WorkLog log;
    testing::ScriptedDialog dialog;
    ProtectionFlags flags;
    TableCare care;
};

TEST_F(TableCareTest, OpensWithTheIndexAndNoticesOtherHolders) {
    for (const bool heldElsewhere : {false, true}) {
        std::optional<platform::DbfTable> other;
        if (heldElsewhere) {
            other = platform::DbfTable::Open(Path(), platform::DbfOpenMode::Shared, clock);
        }
        flags.multiUserAccess = false;
        ManagedTable table = Managed();
        ASSERT_TRUE(care.OpenTable(table));
        EXPECT_EQ(table.table->Find("UNO000000002").size(), 1u);
        EXPECT_EQ(flags.multiUserAccess, heldElsewhere);
        EXPECT_TRUE(care.OpenTable(table)) << "an open table stays open";
    }
}

TEST_F(TableCareTest, TableThatDoesNotOpenIsReportedAndMarkedReadOnly) {
    WriteBytes(Path(), "not a table at all, and much too short for a header");
    dialog.ExpectMessage("ВНИМАНИЕ! Ошибка открытия базы " + Path() + "\r\n\r\n");
    ManagedTable table = Managed();
    EXPECT_FALSE(care.OpenTable(table));
    EXPECT_FALSE(table.IsOpen());
    EXPECT_TRUE(table.readOnly);
}

TEST_F(TableCareTest, MissingIndexFileRepair) {
    struct Case {
        char indexByte;
        bool mdxPresent;
        bool repaired;
    };
    for (const Case c : {Case{1, false, true}, Case{1, true, false}, Case{0, false, false}}) {
        SetIndexByte(c.indexByte);
        core::RemoveFile(dir / "other.mdx");
        if (c.mdxPresent) {
            WriteBytes(dir / "other.mdx", "index");
        }
        ManagedTable table = Managed();
        EXPECT_EQ(care.RepairMissingIndex(table), c.repaired);
        EXPECT_EQ(ReadBytes(Path())[28], c.repaired ? 0 : c.indexByte);
    }
}

TEST_F(TableCareTest, ReindexDeclinedLeavesTheTableClosed) {
    dialog.ExpectQuestion("Переиндексировать базу данных " + Path() + " ?", platform::Answer::No);
    ManagedTable table = Managed();
    EXPECT_EQ(care.Reindex(table), TableCare::ReindexResult::NotOpened);
    EXPECT_FALSE(table.IsOpen());
}

TEST_F(TableCareTest, ReindexRepairsACrashedTableAndSaysSo) {
    // A crash after writing a record but before the header's count: one record more than counted, no end mark.
    std::string bytes = ReadBytes(Path());
    bytes.pop_back();
    WriteBytes(Path(), bytes + " UNO000000003" + std::string(32 + 32 + 254, ' '));
    dialog.ExpectQuestion("Переиндексировать базу данных", platform::Answer::Yes);
    ManagedTable table = Managed();
    ASSERT_EQ(care.Reindex(table), TableCare::ReindexResult::Opened);
    EXPECT_EQ(table.table->Find("UNO000000003").size(), 1u);
    const std::string log = LogUtf8();
    EXPECT_NE(log.find("Переиндексация базы данных " + Path()), std::string::npos);
    EXPECT_NE(log.find(Path() + ": "), std::string::npos) << "each repair is logged";
}

TEST_F(TableCareTest, ReindexThatCannotOpenNamesTheBackup) {
    WriteBytes(Path(), "garbage");
    dialog.ExpectQuestion("Переиндексировать базу данных", platform::Answer::Yes);
    dialog.ExpectMessage("ВНИМАНИЕ! Ошибка открытия базы");
    dialog.ExpectMessage("Ошибка открытия базы данных " + Path() + "\r\nВоспользуйтесь резервной копией " +
                         dir / "other.bak" + "\r\nРабота программы будет завершена !");
    ManagedTable table = Managed();
    EXPECT_EQ(care.Reindex(table), TableCare::ReindexResult::Fatal);
    EXPECT_NE(LogUtf8().find("Ошибка открытия базы данных " + Path()), std::string::npos);
}

} // namespace
} // namespace pelgo::shell
