// Tree edits on a started application state: the journal line names the selected computer, adding raises
// the Exclusive marker, the question after a move in shared data, and the automatic save.
#include <gtest/gtest.h>

#include "core/cp1251.h"
#include "core/file.h"
#include "platform/dbf_table.h"
#include "session/app_state.h"
#include "support/installation.h"
#include "support/scripted_dialog.h"
#include "support/temp_dir.h"

namespace pelgo::session {
namespace {

using platform::Answer;

class TreeEditingSessionTest : public ::testing::Test {
protected:
    TreeEditingSessionTest() {
        clock.Set({2026, 12, 10, 9, 30, 0});
        testing::MakeInstallation(dir, clock, "Неоприходованная техника\r\nОтдел\r\n\tPC-1\r\n\t\t00AABBCCDDEE\r\n",
                                  "1 ; AAAAAAAAAAAA ;\r\n1 ; BBBBBBBBBBBB ;\r\n3 ; CCCCCCCCCCCC ;\r\n"
                                  "4 ; DDDDDDDDDDDD ;\r\n");
        state.Clock().Set(clock.Now());
        EXPECT_EQ(state.Start([](std::string_view) {}), AppState::StartResult::Running);
        state.Activate();
    }
    ~TreeEditingSessionTest() override { state.CloseRequest(); }

    structure::TreeNode& Node(int index) { return *state.Tree().NodeAt(index); }
    std::string LogUtf8() const { return core::Cp1251ToUtf8(testing::ReadBytes(dir / "pelgo.log")); }
    std::vector<std::vector<std::string>> Records(const char* table) {
        auto dbf = platform::DbfTable::Open(dir / table, platform::DbfOpenMode::ReadOnly, clock);
        std::vector<std::vector<std::string>> records;
        dbf.Walk([&](const platform::DbfRecord& r) { records.push_back(r.values); });
        return records;
    }

    testing::TempDir dir;
    core::Clock clock;
    testing::ScriptedDialog dialog;
    testing::RecordingProgress progress;
    AppState state{StartOptions{dir.Path(), dir / "pelgo", {}, "IVANOV", "WS-01"}, dialog, progress};
};

TEST_F(TreeEditingSessionTest, TheJournalLineNamesTheSelectedComputer) {
    structure::TreeEditor& editor = *state.Editor();
    state.SetSelectedIndex(2);
    ASSERT_TRUE(editor.Rename(Node(2), "PC-2"));
    state.SetSelectedIndex(1);
    dialog.ExpectQuestion("перед", Answer::Yes);
    ASSERT_TRUE(editor.DragMove(Node(2), Node(1)));

    const auto journal = Records("BASE/device.dbf");
    ASSERT_EQ(journal.size(), 2u);
    EXPECT_EQ(journal[0], (std::vector<std::string>{"00AABBCCDDEE", "_Config_log_", "10.12.2026 09:30:00",
                                                    core::Utf8ToCp1251("Изменено IVANOV с PC-1 на PC-2")}));
    const std::string log = LogUtf8();
    EXPECT_NE(log.find("IVANOV PC-2 MAC=00AABBCCDDEE Изменено IVANOV с PC-1 на PC-2"), std::string::npos) << log;
    EXPECT_NE(log.find("IVANOV MAC=00AABBCCDDEE Перемещено IVANOV в \\ из \\\\Отдел"), std::string::npos)
        << "a department selected: no name in front\n"
        << log;
}

TEST_F(TreeEditingSessionTest, AddingRaisesTheExclusiveMarker) {
    structure::AddRequest request;
    request.icon = 5;
    request.text = "LCD";
    ASSERT_EQ(state.Editor()->Add(&Node(1), request).size(), 1u);
    EXPECT_EQ(state.MultiUser().Status(), 2);
    bool exclusive = false;
    for (const auto& record : Records("BASE/other.dbf")) {
        exclusive = exclusive || (record[0] == "_Multi_User_" && record[1] == "Exclusive");
    }
    EXPECT_TRUE(exclusive);
    EXPECT_TRUE(state.TreeStorage()->TreeModified());
}

TEST_F(TreeEditingSessionTest, AMoveInSharedDataAsksToSaveUnlessSavingIsAutomatic) {
    state.Flags().multiUserAccess = true;
    structure::TreeEditor& editor = *state.Editor();
    const std::string before = testing::ReadBytes(dir / "BASE/struct");

    dialog.ExpectQuestion("перед", Answer::Yes);
    dialog.ExpectQuestion("Многопользовательский доступ !\r\nСохранить изменения в \r\ncтруктуре предприятия ?",
                          Answer::No);
    ASSERT_TRUE(editor.DragMove(Node(2), Node(1)));
    EXPECT_EQ(testing::ReadBytes(dir / "BASE/struct"), before);

    dialog.ExpectQuestion("перед", Answer::Yes);
    dialog.ExpectQuestion("Многопользовательский доступ", Answer::Yes);
    ASSERT_TRUE(editor.DragMove(Node(3), Node(1)));
    EXPECT_FALSE(state.TreeStorage()->TreeModified());
    EXPECT_EQ(core::Cp1251ToUtf8(testing::ReadBytes(dir / "BASE/struct")),
              "Неоприходованная техника\r\nОтдел\r\nPC-1\r\n\t00AABBCCDDEE\r\n");

    // With automatic saving the next selection saves; no question.
    state.SetAutoSave(true);
    dialog.ExpectQuestion("перед", Answer::Yes);
    ASSERT_TRUE(editor.DragMove(Node(3), Node(1)));
    EXPECT_TRUE(state.TreeStorage()->TreeModified());
    state.NodeViewsShown();
    EXPECT_FALSE(state.TreeStorage()->TreeModified());
    EXPECT_NE(LogUtf8().find("АвтоЗапись >> On"), std::string::npos);
}

TEST_F(TreeEditingSessionTest, TheTreeIsNotLoadedAgainWhileAModalDialogIsOpen) {
    bool modalOpen = true;
    state.SetModalDialogQuery([&] { return modalOpen; });
    // Another instance's save: a new tree text file.
    core::RemoveFile(dir / "BASE/struct");
    testing::WriteBytes(dir / "BASE/struct", core::Utf8ToCp1251("Неоприходованная техника\r\nОтдел\r\n\tPC-1\r\n"
                                                                 "\t\t00AABBCCDDEE\r\nСклад\r\n"));
    state.Clock().Advance(60);
    EXPECT_EQ(state.CheckCurrentConfig(), AppState::TreeCheck::Unchanged);
    EXPECT_EQ(state.Tree().Count(), 4);

    modalOpen = false; // the check was due all along
    dialog.ExpectQuestion("Данные о структуре предприятия обновились", Answer::Yes);
    EXPECT_EQ(state.CheckCurrentConfig(), AppState::TreeCheck::Reloaded);
    EXPECT_EQ(state.Tree().Count(), 5);
    state.SetModalDialogQuery({}); // the close request outlives `modalOpen`
}

} // namespace
} // namespace pelgo::session
