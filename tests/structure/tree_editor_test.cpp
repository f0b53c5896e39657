// Editing the tree by hand: series and inventory numbers, deleting with its refusals and records, renames
// with their journal entries, the move selection with its lists and bookmarks, dragging, shifting,
// comments, and protected data refusing every write.
#include "structure/tree_editor.h"

#include <gtest/gtest.h>
#include <functional>
#include <tuple>

#include "archive/computer_journal.h"
#include "core/cp1251.h"
#include "core/text.h"
#include "platform/dbf_table.h"
#include "structure/node_queries.h"
#include "structure/node_records_table.h"
#include "support/scripted_dialog.h"
#include "support/temp_dir.h"

namespace pelgo::structure {
namespace {

using platform::Answer;

std::string Cp(const char* utf8) {
    return core::Utf8ToCp1251(utf8);
}

// The application state's part, over real tables.
class TableHost : public EditorHost {
public:
    TableHost(platform::DbfTable& device, platform::DbfTable& other, core::WorkLog& log, const core::Clock& clock)
        : m_device(device), m_other(other), m_log(log), m_clock(clock) {}

    bool ProtectData() override { return isProtected; }
    void SetTreeModified() override { ++modified; }
    void TakeExclusive() override { ++exclusiveTaken; }
    bool MultiUserWarningOk() override {
        ++warnings;
        return goOnAfterWarning;
    }
    void CheckCurrentConfig() override {
        if (onCheck) {
            onCheck();
        }
    }
    void AddToLog(const std::string& mac, const std::string& text) override {
        archive::AddToLog(m_device, m_log, m_clock, mac, text, "");
    }
    void DeleteNodeRecords(const std::string& uno) override { NodeRecordsTable(m_other).DeleteNodeRecords(uno); }
    void AppendNodeRecord(const std::string& uno, const std::string& group, const std::string& name,
                          const std::string& text) override {
        NodeRecordsTable(m_other).Append(uno, group, name, text);
    }
    void AfterMove() override { ++afterMoves; }

    bool isProtected = false;
    int modified = 0;
    int exclusiveTaken = 0;
    int afterMoves = 0;
    int warnings = 0;
    bool goOnAfterWarning = true;
    std::function<void()> onCheck;

private:
    platform::DbfTable& m_device;
    platform::DbfTable& m_other;
    core::WorkLog& m_log;
    const core::Clock& m_clock;
};

platform::DbfTable CreateTable(const std::string& path, std::span<const platform::DbfFieldSpec> fields,
                               const char* tag, const core::Clock& clock) {
    platform::DbfTable::Create(path, fields, clock);
    platform::DbfTable table = platform::DbfTable::Open(path, platform::DbfOpenMode::Shared, clock);
    table.SetIndex(tag);
    return table;
}

class TreeEditorTest : public ::testing::Test {
protected:
    TreeEditorTest() {
        clock.Set({2026, 12, 10, 9, 30, 0});
        log.SetIdentity("IVANOV", "WS-01");
        const std::pair<int, std::pair<int, const char*>> nodes[] = {
            {0, {1, "Неоприходованная техника"}}, {0, {1, "Завод"}}, {1, {1, "Отдел"}},     {2, {2, "Иванов"}},
            {3, {3, "PC-1"}},                     {4, {4, "00AABBCCDDEE"}}, {1, {1, "Склад"}},
        };
        std::vector<TreeNode*> parents;
        for (const auto& [level, node] : nodes) {
            parents.resize(static_cast<std::size_t>(level));
            parents.push_back(&tree.AddChild(level > 0 ? parents[static_cast<std::size_t>(level - 1)] : nullptr, -1,
                                             Cp(node.second), node.first));
        }
    }

    TreeNode& Node(int index) { return *tree.NodeAt(index); }
    std::vector<std::string> Texts(const TreeNode* parent) {
        std::vector<std::string> texts;
        const int count = parent != nullptr ? parent->ChildCount() : tree.TopLevelCount();
        for (int row = 0; row < count; ++row) {
            texts.push_back(core::Cp1251ToUtf8((parent != nullptr ? parent->Child(row) : tree.TopLevel(row))->Text()));
        }
        return texts;
    }
    // (address, text) of every journal record, UTF-8.
    std::vector<std::pair<std::string, std::string>> Journal() {
        std::vector<std::pair<std::string, std::string>> entries;
        device.Walk([&](const platform::DbfRecord& record) {
            EXPECT_EQ(record.values[1], archive::kJournalGroup);
            EXPECT_EQ(record.values[2], "10.12.2026 09:30:00");
            entries.emplace_back(record.values[0], core::Cp1251ToUtf8(record.values[3]));
        });
        return entries;
    }
    std::string LogText() { return core::Cp1251ToUtf8(testing::ReadBytes(dir / "pelgo.log")); }

    testing::TempDir dir;
    core::Clock clock;
    core::WorkLog log{dir / "pelgo.log", clock};
    shell::Settings settings{dir.Path()};
    NodeTypes nodeTypes{{}};
    TreeModel tree{1};
    NodeIdentity identity{tree, clock};
    Bookmarks bookmarks{tree};
    platform::DbfTable device = CreateTable(dir / "device.dbf", platform::kDeviceTableFields, "MAC_ADR", clock);
    platform::DbfTable other = CreateTable(dir / "other.dbf", platform::kOtherTableFields, "UNO", clock);
    TableHost host{device, other, log, clock};
    testing::ScriptedDialog dialog;
    TreeEditor editor{tree, identity, nodeTypes, settings, log, dialog, bookmarks, host, "IVANOV"};
};

TEST(InventoryNumberTest, CountersArePaddedToOneDigitLessThanTheLastNumberNeeds) {
    struct Case {
        int start;
        int repeatCount;
        int a;
        const char* number;
    };
    const Case cases[] = {
        {1, 5, 1, "INV1"},     {1, 5, 5, "INV5"},       {1, 150, 1, "INV01"}, {1, 150, 99, "INV99"},
        {1, 150, 100, "INV100"}, {1, 150, 150, "INV150"}, {7, 1, 1, "INV7"},    {5, 100, 1, "INV05"},
    };
    for (const Case& c : cases) {
        AddRequest request;
        request.withInventory = true;
        request.inventoryPrefix = "INV";
        request.autoIncrement = true;
        request.incrementStart = c.start;
        request.repeatCount = c.repeatCount;
        EXPECT_EQ(InventoryNumber(request, c.a), c.number) << c.start << " " << c.repeatCount << " " << c.a;
    }
    AddRequest plain;
    plain.withInventory = true;
    plain.inventoryPrefix = "INV-7";
    EXPECT_EQ(InventoryNumber(plain, 3), "INV-7") << "without auto-increment the prefix alone";
    plain.withInventory = false;
    EXPECT_EQ(InventoryNumber(plain, 3), "");
}

TEST_F(TreeEditorTest, ASeriesGoesInOrderAtTheSelectedNodesLevelWithNumberedTexts) {
    AddRequest request;
    request.icon = 5;
    request.text = Cp("\t  Экран\r\nLG");
    request.asChild = false;
    request.repeat = true;
    request.repeatCount = 150;
    request.withInventory = true;
    request.inventoryPrefix = "M-";
    request.autoIncrement = true;
    request.incrementStart = 1;
    const std::vector<TreeNode*> added = editor.Add(&Node(2), request); // beside "Отдел"
    ASSERT_EQ(added.size(), 150u);
    const std::vector<std::string> texts = Texts(&Node(1));
    ASSERT_EQ(texts.size(), 152u);
    EXPECT_EQ(texts[0], "Отдел");
    EXPECT_EQ(texts[1], "Склад");
    EXPECT_EQ(texts[2], "Экран  LG №M-01");
    EXPECT_EQ(texts[100], "Экран  LG №M-99");
    EXPECT_EQ(texts[101], "Экран  LG №M-100");
    EXPECT_EQ(texts[151], "Экран  LG №M-150");
    for (const TreeNode* node : added) {
        ASSERT_NE(node->Record(), nullptr) << "every new node has its UNO";
        EXPECT_EQ(node->Icon(), 5);
    }
    EXPECT_EQ(host.exclusiveTaken, 1);
    EXPECT_GE(host.modified, 1);
    EXPECT_NE(LogText().find("IVANOV Монитор \\\\Завод\\Экран  LG №M-150 добавлен"), std::string::npos) << LogText();

    // With "Подуровень" one child, whatever the repeat count says; five numbered from 1 need no padding.
    request.asChild = true;
    request.repeatCount = 5;
    request.text = Cp("Принтер");
    request.icon = 6;
    ASSERT_EQ(editor.Add(&Node(3), request).size(), 1u);
    EXPECT_EQ(Texts(&Node(3)), (std::vector<std::string>{"PC-1", "Принтер №M-1"}));

    // A line break in the prefix would make levels and nodes of the tree file: it becomes a blank too.
    request.inventoryPrefix = "X\tY\r\nZ";
    request.autoIncrement = false;
    EXPECT_EQ(editor.Add(&Node(3), request).front()->Text(), Cp("Принтер №X Y  Z"));
}

TEST_F(TreeEditorTest, AdditionalGridValuesAreStoredForTheFieldsTheTypeKeeps) {
    AddRequest request;
    request.icon = 2; // an employee keeps no equipment fields
    request.text = Cp("Петров");
    request.withInventory = true;
    request.inventoryPrefix = "E1";
    request.withAdditional = true;
    request.additional[0] = Cp("Модель X");
    request.additional[10] = Cp("  215 ");
    request.additional[14] = "   ";
    TreeNode& employee = *editor.Add(&Node(2), request).front();
    std::vector<std::pair<std::string, std::string>> stored;
    for (const NodeRecord& record : NodeRecordsTable(other).Find(employee.Record()->uno)) {
        EXPECT_EQ(record.group, kMainGroup);
        stored.emplace_back(record.name, record.text);
    }
    EXPECT_EQ(stored, (std::vector<std::pair<std::string, std::string>>{{"aRoom", "215"}}));

    request.icon = 3;
    request.text = Cp("PC-2");
    TreeNode& computer = *editor.Add(&employee, request).front();
    const AdditionalValues values = MainValues(NodeRecordsTable(other).Find(computer.Record()->uno));
    EXPECT_EQ(values[0], Cp("Модель X"));
    EXPECT_EQ(values[kInventoryField], "E1") << "the inventory number goes into its field";
    EXPECT_EQ(values[10], "215");
}

TEST_F(TreeEditorTest, DeletingIsRefusedForTheFirstNodeAndForChildrenAndRemovesRecordsAndBookmark) {
    dialog.ExpectMessage("удалить нельзя");
    EXPECT_EQ(editor.Delete(Node(0)), nullptr);
    dialog.ExpectQuestion("Удалить запись \"Отдел\"", Answer::Yes);
    dialog.ExpectMessage("Эта запись имеет вложенные ветви.\r\nВначале удалите их.");
    EXPECT_EQ(editor.Delete(Node(2)), nullptr);
    dialog.ExpectQuestion("Удалить запись \"Склад\"", Answer::No);
    EXPECT_EQ(editor.Delete(Node(6)), nullptr);
    EXPECT_EQ(tree.Count(), 7);
    EXPECT_EQ(host.modified, 0);

    TreeNode& store = Node(6);
    const std::string uno = identity.NodeUno(&store);
    NodeRecordsTable records(other);
    records.Append(uno, kMainGroup, "aRoom", "1");
    records.Append(uno, "0;N1", "Edit1", "x");
    records.Append("_Multi_User_", "", "IVANOVWS-01", "here");
    records.Append("_SNX_ALARM_", "A", "SENTINOX", "alarm");
    bookmarks.AddBookmark(Node(1));
    bookmarks.AddBookmark(store);
    dialog.ExpectQuestion("Удалить запись \"Склад\"", Answer::Yes);
    EXPECT_EQ(editor.Delete(store), &Node(5)) << "the predecessor in pre-order is selected";
    EXPECT_EQ(tree.Count(), 6);
    EXPECT_TRUE(records.Find(uno).empty());
    EXPECT_EQ(records.Find("_Multi_User_").size(), 1u);
    EXPECT_EQ(records.Find("_SNX_ALARM_").size(), 1u);
    EXPECT_EQ(bookmarks.UsedCount(), 1);
    EXPECT_GE(host.modified, 1);
    EXPECT_NE(LogText().find("Отдел \\\\Завод\\Склад Удалено !"), std::string::npos) << LogText();

    // Two nodes with one UNO (a damaged image file): the records stay with the node that remains.
    TreeNode& twin = tree.AddChild(&Node(1), -1, "twin", 1);
    const std::string shared = identity.NodeUno(&Node(1));
    tree.SetRecord(twin, std::make_unique<TKelRec>(TKelRec{shared, std::nullopt}));
    records.Append(shared, kMainGroup, "aRoom", "7");
    dialog.ExpectQuestion("Удалить запись \"twin\"", Answer::Yes);
    ASSERT_NE(editor.Delete(twin), nullptr);
    EXPECT_EQ(records.Find(shared).size(), 1u);
}

TEST_F(TreeEditorTest, RenamesCleanTheTextAndWriteTheJournalsOfComputersAndAddresses) {
    EXPECT_FALSE(editor.Rename(Node(3), Cp("Иванов"))) << "an unchanged text is no edit";
    EXPECT_TRUE(editor.Rename(Node(4), Cp("  PC-1\tнов")));
    EXPECT_EQ(Node(4).Text(), Cp("PC-1 нов"));
    EXPECT_TRUE(editor.Rename(Node(5), "00AABBCCDD99"));
    EXPECT_TRUE(editor.Rename(Node(3), Cp("Петров")));
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"00AABBCCDDEE", "Изменено IVANOV с PC-1 на PC-1 нов"},
        {"00AABBCCDDEE", "MAC-адр.изменен IVANOV с 00AABBCCDDEE на 00AABBCCDD99"},
        {"00AABBCCDD99", "PC-1 нов MAC-адр.изменен IVANOV с 00AABBCCDDEE на 00AABBCCDD99"},
    };
    EXPECT_EQ(Journal(), expected) << "an employee has no journal";
    const std::string logText = LogText();
    for (const char* line : {"IVANOV Компьютер PC-1 Изменено  на PC-1 нов",
                             "IVANOV MAC=00AABBCCDDEE Изменено IVANOV с PC-1 на PC-1 нов",
                             "IVANOV MAC-adr 00AABBCCDDEE MAC-адр.изменен  на 00AABBCCDD99",
                             "IVANOV Сотрудник Иванов Изменено  на Петров"}) {
        EXPECT_NE(logText.find(line), std::string::npos) << line << "\n" << logText;
    }
    EXPECT_EQ(host.modified, 3);

    // An address too short to name a computer gets no journal entry.
    EXPECT_TRUE(editor.Rename(Node(5), "0"));
    EXPECT_EQ(Journal().size(), 4u);
    EXPECT_EQ(Journal().back().first, "00AABBCCDD99");
}

TEST_F(TreeEditorTest, MarkedNodesMoveIntoTheTargetWithListsJournalAndTheirOwnBookmarksOnly) {
    settings.SetBool(shell::Key::TP_Create, true);
    settings.SetBool(shell::Key::MakeBookmarks, true);
    TreeNode& computer = Node(4);
    TreeNode& employee = Node(3);
    TreeNode& store = Node(6);
    bookmarks.AddBookmark(Node(1)); // the user's own
    editor.MarkForMove(computer);
    editor.MarkForMove(computer);
    EXPECT_EQ(editor.Marked().size(), 1u) << "a node is marked once";
    dialog.ExpectQuestion("Добавить Иванов\r\nв выборку для перемещения ?", Answer::Yes);
    editor.MarkForMove(employee);
    EXPECT_EQ(bookmarks.UsedCount(), 3);

    EXPECT_FALSE(editor.CompleteMove(computer)) << "a marked node is no target";
    dialog.ExpectQuestion("Переместить :\r\n- PC-1\r\n- Иванов\r\nв Склад", Answer::Yes);
    EXPECT_TRUE(editor.CompleteMove(store));
    EXPECT_FALSE(editor.Marking());
    EXPECT_EQ(Texts(&store), (std::vector<std::string>{"PC-1", "Иванов"}));
    EXPECT_EQ(Texts(&computer), (std::vector<std::string>{"00AABBCCDDEE"})) << "the address goes with its computer";
    EXPECT_EQ(bookmarks.UsedCount(), 1);
    EXPECT_EQ(bookmarks.Node(1), &Node(1));
    EXPECT_EQ(host.afterMoves, 1);

    const MoveLists& lists = editor.Lists();
    ASSERT_EQ(lists.moved.size(), 2u);
    EXPECT_EQ(lists.moved[0], identity.NodeUno(&computer) + "PC-1");
    EXPECT_EQ(lists.sources[0], identity.NodeUno(&employee) + Cp("\\\\Завод\\Отдел\\Иванов"));
    EXPECT_EQ(lists.sources[1], identity.NodeUno(&Node(2)) + Cp("\\\\Завод\\Отдел"));
    EXPECT_EQ(lists.destinations,
              std::vector<std::string>(2, identity.NodeUno(&store) + Cp("\\\\Завод\\Склад")));
    EXPECT_EQ(Journal(), (std::vector<std::pair<std::string, std::string>>{
                             {"00AABBCCDDEE", "Перемещено IVANOV в Склад из \\\\Завод\\Отдел\\Иванов"}}));
    EXPECT_NE(LogText().find("Компьютер PC-1 перемещен из \\\\Завод\\Отдел\\Иванов в \\\\Завод\\Склад"),
              std::string::npos)
        << LogText();
}

TEST_F(TreeEditorTest, CancellingDropsTheNewestListEntriesAndAllStopsTheQuestions) {
    TreeNode& store = Node(6);
    TreeNode& pc = Node(4);
    settings.SetBool(shell::Key::TP_Create, true);
    settings.SetBool(shell::Key::MakeBookmarks, false);
    editor.MarkForMove(Node(6));
    dialog.ExpectQuestion("PC-1", Answer::Yes);
    editor.MarkForMove(Node(4));
    dialog.ExpectQuestion("Склад", Answer::Yes);
    EXPECT_TRUE(editor.CompleteMove(Node(1)));
    ASSERT_EQ(editor.Lists().moved.size(), 2u);

    editor.MarkForMove(Node(3));
    dialog.ExpectQuestion("Неоприходованная", Answer::No);
    editor.MarkForMove(Node(0));
    dialog.ExpectQuestion("Отдел", Answer::All);
    editor.MarkForMove(Node(2));
    editor.MarkForMove(Node(1)); // asks no more
    EXPECT_EQ(editor.Marked().size(), 3u);
    dialog.ExpectQuestion("Переместить", Answer::Cancel);
    EXPECT_FALSE(editor.CompleteMove(Node(0)));
    EXPECT_FALSE(editor.Marking());
    EXPECT_EQ(editor.Lists().moved,
              (std::vector<std::string>{identity.NodeUno(&store) + Cp("Склад"), identity.NodeUno(&pc) + "PC-1"}))
        << "the two moved nodes stay, the three cancelled go";
    EXPECT_EQ(editor.Lists().sources.size(), 2u);
    EXPECT_EQ(editor.Lists().destinations.size(), 2u);
}

TEST_F(TreeEditorTest, AMoveIntoTheNodesOwnSubtreeIsRefusedAndChangesNothing) {
    editor.MarkForMove(Node(1));
    dialog.ExpectMessage("собственную ветвь");
    EXPECT_FALSE(editor.CompleteMove(Node(3)));
    EXPECT_TRUE(editor.Marking()) << "the user may still choose another target";
    dialog.ExpectMessage("собственную ветвь");
    EXPECT_FALSE(editor.DragMove(Node(2), Node(4)));
    EXPECT_EQ(Texts(&Node(2)), std::vector<std::string>{"Иванов"});
    EXPECT_EQ(host.modified, 0);
    EXPECT_TRUE(Journal().empty());
}

TEST_F(TreeEditorTest, DraggingInsertsBeforeTheTargetAndShiftingKeepsItsRules) {
    dialog.ExpectQuestion("Переместить :\r\nPC-1\r\nперед Склад", Answer::Yes);
    EXPECT_TRUE(editor.DragMove(Node(4), Node(6)));
    EXPECT_EQ(Texts(&Node(1)), (std::vector<std::string>{"Отдел", "PC-1", "Склад"}));
    EXPECT_EQ(Journal(), (std::vector<std::pair<std::string, std::string>>{
                             {"00AABBCCDDEE", "Перемещено IVANOV в \\\\Завод из \\\\Завод\\Отдел\\Иванов"}}));

    TreeNode& pc = *Node(1).Child(1);
    EXPECT_TRUE(editor.ShiftUp(pc));
    EXPECT_EQ(Texts(&Node(1)), (std::vector<std::string>{"PC-1", "Отдел", "Склад"}));
    EXPECT_FALSE(editor.ShiftUp(pc)) << "no previous sibling";
    EXPECT_TRUE(editor.ShiftDown(pc));
    EXPECT_TRUE(editor.ShiftDown(pc));
    EXPECT_EQ(Texts(&Node(1)), (std::vector<std::string>{"Отдел", "Склад", "PC-1"}));
    EXPECT_FALSE(editor.ShiftDown(pc)) << "no next sibling";
    EXPECT_FALSE(editor.ShiftDown(Node(0))) << "the first node of the tree stays";
    EXPECT_TRUE(editor.ShiftUp(Node(1)));
    EXPECT_EQ(Node(0).Text(), Cp("Завод")) << "a top-level node may become the first";
}

TEST_F(TreeEditorTest, TheTypeIsChosenAfterTheExclusiveWarningAndMarksTheTreeModified) {
    host.goOnAfterWarning = false;
    EXPECT_FALSE(editor.ChangeType(Node(6), [](int) -> std::optional<int> {
        ADD_FAILURE() << "the choice comes after the warning";
        return 5;
    }));
    host.goOnAfterWarning = true;
    int offered = 0;
    EXPECT_TRUE(editor.ChangeType(Node(6), [&](int current) {
        offered = current;
        return std::optional(12);
    }));
    EXPECT_EQ(offered, 1) << "the node's own type is preselected";
    EXPECT_EQ(Node(6).Icon(), 12);
    EXPECT_EQ(host.warnings, 2);
    EXPECT_EQ(host.modified, 1);
    EXPECT_FALSE(editor.ChangeType(Node(6), [](int) { return std::optional<int>(); })) << "cancelled";
    EXPECT_EQ(Node(6).Icon(), 12);
}

TEST_F(TreeEditorTest, CommentsAreAddedReplacedAndDeletedWithoutLosingTheUno) {
    TreeNode& node = Node(6);
    editor.AddComment(node);
    ASSERT_NE(node.Record(), nullptr);
    const std::string uno = node.Record()->uno;
    EXPECT_TRUE(node.Record()->comments && node.Record()->comments->empty());
    editor.SetComments(node, {"first", "second"});
    EXPECT_EQ(*node.Record()->comments, (std::vector<std::string>{"first", "second"}));
    dialog.ExpectQuestion("Удалить комментарий для Склад ?", Answer::Yes);
    editor.DeleteComment(node);
    ASSERT_NE(node.Record(), nullptr);
    EXPECT_FALSE(node.Record()->comments);
    EXPECT_EQ(node.Record()->uno, uno) << "the UNO keys the node's other data";
}

// Answers Yes once it has let `during` run: what a reload of the tree in the question's event loop does.
class ReloadingDialog : public testing::ScriptedDialog {
public:
    platform::Answer Ask(platform::MessageKind, std::string_view, platform::Buttons) override {
        during();
        return Answer::Yes;
    }
    std::function<void()> during;
};

TEST_F(TreeEditorTest, AQuestionAnsweredAfterTheTreeWasLoadedAgainChangesNothing) {
    ReloadingDialog reloading;
    TreeEditor asking{tree, identity, nodeTypes, settings, log, reloading, bookmarks, host, "IVANOV"};
    const auto reload = [&] {
        tree.Reset([&] {
            tree.AddChild(nullptr, -1, "A", 1);
            tree.AddChild(&tree.AddChild(nullptr, -1, "B", 1), -1, "C", 3);
        });
    };
    const std::vector<std::pair<const char*, std::function<bool()>>> edits = {
        {"delete", [&] { return asking.Delete(Node(6)) != nullptr; }},
        {"drag", [&] { return asking.DragMove(Node(4), Node(6)); }},
        {"complete", [&] {
             asking.MarkForMove(Node(6));
             return asking.CompleteMove(Node(2));
         }},
        {"mark", [&] {
             reloading.during = [] {};
             asking.MarkForMove(Node(6));
             reloading.during = reload;
             asking.MarkForMove(Node(4));
             return asking.Marking();
         }},
        {"delete comment", [&] {
             identity.NewAddData(Node(6)).comments = std::vector<std::string>{"x"};
             asking.DeleteComment(Node(6));
             return host.modified > 0;
         }},
    };
    for (const auto& [name, edit] : edits) {
        SCOPED_TRACE(name);
        tree.Reset([&] { // a fresh tree of the fixture's shape for each edit
            std::vector<TreeNode*> parents;
            for (const auto& [level, text, icon] : std::vector<std::tuple<int, const char*, int>>{
                     {0, "0", 1}, {0, "1", 1}, {1, "2", 1}, {2, "3", 2}, {3, "4", 3}, {4, "5", 4}, {1, "6", 1}}) {
                parents.resize(static_cast<std::size_t>(level));
                parents.push_back(
                    &tree.AddChild(level > 0 ? parents[static_cast<std::size_t>(level - 1)] : nullptr, -1, text, icon));
            }
        });
        host.modified = 0;
        reloading.during = reload;
        EXPECT_FALSE(edit());
        EXPECT_EQ(tree.Count(), 3) << "the reloaded tree stays as loaded";
        EXPECT_EQ(host.modified, 0);
        EXPECT_FALSE(asking.Marking());
    }
    EXPECT_TRUE(Journal().empty());
}

TEST_F(TreeEditorTest, ProtectedDataRefuseEveryWrite) {
    host.isProtected = true;
    const std::string before = LogText();
    AddRequest request;
    request.icon = 1;
    request.text = "x";
    const std::vector<std::pair<const char*, std::function<void()>>> writes = {
        {"add", [&] { EXPECT_TRUE(editor.Add(&Node(1), request).empty()); }},
        {"delete", [&] { EXPECT_EQ(editor.Delete(Node(6)), nullptr); }},
        {"rename", [&] { EXPECT_FALSE(editor.Rename(Node(4), "PC-9")); }},
        {"type", [&] {
             EXPECT_FALSE(editor.ChangeType(Node(4), [](int) -> std::optional<int> {
                 ADD_FAILURE() << "no choice is offered while protected";
                 return 5;
             }));
         }},
        {"mark", [&] { editor.MarkForMove(Node(6)); }},
        {"drag", [&] { EXPECT_FALSE(editor.DragMove(Node(6), Node(2))); }},
        {"shift up", [&] { EXPECT_FALSE(editor.ShiftUp(Node(6))); }},
        {"shift down", [&] { EXPECT_FALSE(editor.ShiftDown(Node(2))); }},
        {"add comment", [&] { editor.AddComment(Node(6)); }},
        {"delete comment", [&] { editor.DeleteComment(Node(6)); }},
    };
    for (std::size_t i = 0; i < writes.size(); ++i) {
        dialog.ExpectMessage("Включена защита данных");
        writes[i].second();
        EXPECT_EQ(dialog.shown.size(), i + 1) << writes[i].first << " told the user nothing";
    }
    editor.SetComments(Node(6), {"x"});
    EXPECT_FALSE(editor.Marking());

    // A marking made before the data became protected ends at the completion it cannot make.
    host.isProtected = false;
    editor.MarkForMove(Node(6));
    host.isProtected = true;
    dialog.ExpectMessage("Включена защита данных");
    EXPECT_FALSE(editor.CompleteMove(Node(2)));
    EXPECT_FALSE(editor.Marking());
    EXPECT_EQ(tree.Count(), 7);
    EXPECT_EQ(Node(4).Text(), "PC-1");
    EXPECT_EQ(Node(4).Icon(), 3);
    EXPECT_EQ(Node(6).Record(), nullptr);
    EXPECT_EQ(host.modified, 0);
    EXPECT_EQ(host.exclusiveTaken, 0);
    EXPECT_TRUE(Journal().empty());
    EXPECT_EQ(LogText(), before);
}

TEST(BookmarksTest, SlotsFillInOrderTheSixthDropsTheOldestAndARemovedSlotClosesTheGap) {
    TreeModel tree(1);
    std::vector<TreeNode*> nodes;
    for (int i = 0; i < 7; ++i) {
        nodes.push_back(&tree.AddChild(nullptr, -1, std::to_string(i), 1));
    }
    Bookmarks bookmarks(tree);
    int changes = 0;
    bookmarks.SetObserver([&] { ++changes; });
    const auto slots = [&] {
        std::vector<std::string> texts;
        for (int slot = 1; slot <= Bookmarks::kSlots; ++slot) {
            texts.push_back(bookmarks.Node(slot) != nullptr ? bookmarks.Node(slot)->Text() : "-");
        }
        return texts;
    };
    for (int i = 0; i < 4; ++i) {
        bookmarks.AddBookmark(*nodes[static_cast<std::size_t>(i)]);
    }
    bookmarks.AddBookmark(*nodes[1]);
    EXPECT_EQ(bookmarks.UsedCount(), 4) << "a node has one slot";
    EXPECT_TRUE(bookmarks.BarShown());
    bookmarks.DelBookmark(*nodes[1]); // bookmark 2 of 4
    EXPECT_EQ(slots(), (std::vector<std::string>{"0", "2", "3", "-", "-"}));
    EXPECT_EQ(bookmarks.NextSlot(), 4);
    for (int i = 4; i < 7; ++i) {
        bookmarks.AddBookmark(*nodes[static_cast<std::size_t>(i)]);
    }
    EXPECT_EQ(slots(), (std::vector<std::string>{"2", "3", "4", "5", "6"})) << "the sixth dropped slot 1";
    EXPECT_EQ(changes, 9) << "the bar follows every change";

    bookmarks.ToggleBar();
    EXPECT_FALSE(bookmarks.BarShown());
    bookmarks.ToggleBar();
    EXPECT_TRUE(bookmarks.BarShown());
    tree.Remove(*nodes[2]);
    EXPECT_EQ(bookmarks.Node(1), nullptr) << "a deleted node leaves no dangling slot";
    for (int slot = 1; slot <= Bookmarks::kSlots; ++slot) {
        bookmarks.DelThisBookmark(1);
    }
    EXPECT_EQ(bookmarks.UsedCount(), 0);
    EXPECT_FALSE(bookmarks.BarShown()) << "the bar shows only while slot 1 is used";
    bookmarks.ToggleBar();
    EXPECT_FALSE(bookmarks.BarShown());
}

} // namespace
} // namespace pelgo::structure
