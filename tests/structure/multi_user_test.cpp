// Presence records, the Exclusive marker, the status and the warning, seen from two instances.
#include "structure/multi_user.h"

#include <gtest/gtest.h>

#include "core/cp1251.h"
#include "support/scripted_dialog.h"
#include "support/temp_dir.h"

namespace pelgo::structure {
namespace {

class MultiUserTest : public ::testing::Test {
protected:
    MultiUserTest() : log(dir / "pelgo.log", clock) {
        platform::DbfTable::Create(dir / "other.dbf", platform::kOtherTableFields, clock);
    }
    platform::DbfTable Open(platform::DbfOpenMode mode = platform::DbfOpenMode::Shared) {
        auto table = platform::DbfTable::Open(dir / "other.dbf", mode, clock);
        table.SetIndex("UNO");
        return table;
    }

    testing::TempDir dir;
    core::Clock clock;
    core::WorkLog log;
    testing::ScriptedDialog dialog;
};

TEST_F(MultiUserTest, InstanceIdIsSixteenCharacters) {
    EXPECT_EQ(MultiUser::MakeInstanceId("IVANOV", "WS-01"), "IVANOVWS-01_____");
    EXPECT_EQ(MultiUser::MakeInstanceId("ALEXANDROVSKIY", "WORKSTATION"), "ALEXANDROVSKIYWO");
    EXPECT_EQ(MultiUser::MakeInstanceId("", ""), std::string(14, '_'));
}

TEST_F(MultiUserTest, PresenceRecordIsWrittenUpdatedAndClearedOnce) {
    auto table = Open();
    MultiUser me("IVANOV", "WS-01");
    me.MultiUserWrite(table, "", "");
    EXPECT_FALSE(me.MultiUserFind(table)) << "an empty text creates nothing";
    me.MultiUserWrite(table, "", me.PresenceText("10.03.2026 15:00:00"));
    me.MultiUserWrite(table, "", me.PresenceText("10.03.2026 16:00:00"));
    const auto records = table.Find(kMultiUserUno);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].values[2], "IVANOVWS-01_____");
    EXPECT_EQ(core::Cp1251ToUtf8(records[0].values[3]), "IVANOV Компьютер WS-01 [ 10.03.2026 16:00:00 ]");

    auto readOnly = Open(platform::DbfOpenMode::ReadOnly);
    MultiUser other("PETROV", "WS-02");
    other.MultiUserWrite(readOnly, "", "PETROV");
    EXPECT_EQ(table.Find(kMultiUserUno).size(), 1u) << "a read-only table takes no presence record";
}

TEST_F(MultiUserTest, MarkerHeldByOneIsSeenByTheOther) {
    auto mine = Open();
    auto theirs = Open();
    MultiUser me("IVANOV", "WS-01");
    MultiUser other("PETROV", "WS-02");
    me.MultiUserWrite(mine, "", me.PresenceText("t1"));
    other.MultiUserWrite(theirs, "", other.PresenceText("t2"));
    me.GetMultiUserStatus(mine, false);
    EXPECT_EQ(me.Status(), 0);
    EXPECT_EQ(me.Entries().size(), 2u);

    me.MultiUserExclusive(mine, true, me.PresenceText("t1"));
    EXPECT_EQ(me.Status(), 2);
    other.GetMultiUserStatus(theirs, false);
    EXPECT_EQ(other.Status(), 1);
    EXPECT_TRUE(me.MultiUserWarningOk(dialog, log)) << "the holder is never warned";

    dialog.ExpectQuestion("В данный момент выполняется обновление", platform::Answer::No);
    EXPECT_FALSE(other.MultiUserWarningOk(dialog, log));
    dialog.ExpectQuestion("Вы настаиваете на запуске ?", platform::Answer::Yes);
    EXPECT_TRUE(other.MultiUserWarningOk(dialog, log));
    EXPECT_NE(testing::ReadBytes(log.Path()).find("MultiUser Exclusive Warning is ignored !"), std::string::npos);

    other.MultiUserExclusive(theirs, false, "");
    me.GetMultiUserStatus(mine, false);
    EXPECT_EQ(me.Status(), 2) << "only the holder releases";
    me.MultiUserExclusive(mine, false, "");
    other.GetMultiUserStatus(theirs, false);
    EXPECT_EQ(other.Status(), 0);
}

TEST_F(MultiUserTest, TakingWithoutARecordCreatesOne) {
    auto table = Open();
    MultiUser me("IVANOV", "WS-01");
    me.MultiUserExclusive(table, true, me.PresenceText("now"));
    const auto records = table.Find(kMultiUserUno);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].values[1], kExclusiveGroup);
    EXPECT_EQ(me.Status(), 2);
}

TEST_F(MultiUserTest, StatusKeepsItsValueWhenNobodyIsPresentAndHintsAtSharedAccess) {
    auto table = Open();
    MultiUser me("IVANOV", "WS-01");
    me.MultiUserExclusive(table, true, me.PresenceText("now"));
    me.MultiUserWrite(table, "Exclusive", "");
    me.GetMultiUserStatus(table, true);
    EXPECT_EQ(me.Status(), 2) << "no record with a text leaves the status as it was";
    EXPECT_EQ(core::Cp1251ToUtf8(me.Hint()), "IVANOV Компьютер WS-01");
}

} // namespace
} // namespace pelgo::structure
