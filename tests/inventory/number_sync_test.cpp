// Synchronising the caption's and the stored inventory numbers (filling either side, the three answers to a
// conflict, the export) and checking the tree for numbers used twice within a node type.
#include "inventory/number_sync.h"

#include <gtest/gtest.h>
#include <map>
#include <optional>

#include "core/cp1251.h"
#include "core/text.h"
#include "structure/node_queries.h"
#include "support/temp_dir.h"

namespace pelgo::inventory {
namespace {

std::string C(const std::string& utf8) {
    return core::Utf8ToCp1251(utf8);
}

std::string U(const std::string& cp1251) {
    return core::Cp1251ToUtf8(cp1251);
}

TEST(TreeNumberTest, TheTrimmedTextAfterTheFirstSign) {
    const std::string longNumber(300, '7');
    const struct {
        std::string caption; // UTF-8
        std::string number;
    } cases[] = {
        {"Принтер HP № 123 ", "123"},
        {"Сервер №12 корп. №5", "12 корп. №5"},
        {"Монитор", ""},
        {"Ксерокс №", ""},
        {"ПК №" + longNumber, longNumber.substr(0, 255)},
        {"ПК № " + longNumber, longNumber.substr(0, 254)}, // 255 characters taken before the trim
    };
    for (const auto& c : cases) {
        EXPECT_EQ(U(TreeNumber(C(c.caption))), c.number) << c.caption;
    }
}

class NumberSyncTest : public ::testing::Test {
protected:
    NumberSyncTest() { table.SetIndex("UNO"); }

    static platform::DbfTable MakeTable(const testing::TempDir& dir, const core::Clock& clock) {
        platform::DbfTable::Create(dir / "other.dbf", platform::kOtherTableFields, clock);
        return platform::DbfTable::Open(dir / "other.dbf", platform::DbfOpenMode::Shared, clock);
    }

    // The node's "Main"/"aInumber" texts, trimmed.
    std::vector<std::string> StoredTexts(const structure::TreeNode& node) {
        std::vector<std::string> texts;
        for (const structure::NodeRecord& record : records.Find(node.Record()->uno)) {
            if (record.group == "Main" && record.name == "aInumber") {
                texts.push_back(U(std::string(core::Trim(record.text))));
            }
        }
        return texts;
    }

    // The run, then its record changes written as the session writes them once the tree is saved.
    SyncOutcome Synchronize(const ConflictQuestion& ask) {
        SyncOutcome outcome = SynchronizeNumbers(
            tree, identity, records, ask,
            [this](structure::TreeNode& node, std::string caption) { tree.SetText(node, std::move(caption)); },
            [this] { ++steps; });
        recordsBeforeApply = table.RecordCount();
        ApplyRecordChanges(records, outcome.recordChanges);
        return outcome;
    }

    testing::TempDir dir;
    core::Clock clock;
    platform::DbfTable table = MakeTable(dir, clock);
    structure::NodeRecordsTable records{table};
    structure::TreeModel tree{1};
    structure::NodeIdentity identity{tree, clock, [this](const std::string& uno) { return !table.Find(uno).empty(); }};
    int steps = 0;
    std::size_t recordsBeforeApply = 0;
};

TEST_F(NumberSyncTest, FillsTheMissingSideAndSettlesConflictsAsAnswered) {
    struct Case {
        const char* caption;                // UTF-8
        std::optional<std::string> stored;  // the record before the run
        std::optional<NumberChoice> answer; // set: the node is asked about
        std::string captionAfter;           // UTF-8
        std::vector<std::string> storedAfter;
    };
    const Case cases[] = {
        {"Принтер HP № 123 ", std::nullopt, std::nullopt, "Принтер HP № 123 ", {"123"}},
        {"Монитор", "45", std::nullopt, "Монитор №45", {"45"}},
        {"Монитор №", "46", std::nullopt, "Монитор №46", {"46"}}, // no second "№"
        {"ПК №12", "13", NumberChoice::Stored, "ПК №13", {"13"}},
        {"ПК  Celeron №12 корп. 2", "13", NumberChoice::Stored, "ПК  Celeron №13", {"13"}},
        {"ПК №12", "13", NumberChoice::Tree, "ПК №12", {"12"}},
        {"ПК №12", "13", NumberChoice::Skip, "ПК №12", {"13"}},
        {"Сканер №7", " 7 ", std::nullopt, "Сканер №7", {"7"}}, // the stored text is compared trimmed
        {"Модем", std::nullopt, std::nullopt, "Модем", {}},
    };
    structure::TreeNode& workshop = tree.AddChild(nullptr, -1, C("Цех №3"), structure::kIconDepartment);
    structure::TreeNode& employee = tree.AddChild(&workshop, -1, C("Иванов №9"), structure::kIconEmployee);
    std::map<int, NumberChoice> answers;
    std::vector<structure::TreeNode*> nodes;
    for (const Case& c : cases) {
        structure::TreeNode& node = tree.AddChild(&employee, -1, C(c.caption), 6);
        if (c.stored) {
            identity.NewAddData(node);
            records.Append(node.Record()->uno, "Main", "aInumber", *c.stored);
        }
        if (c.answer) {
            answers[node.Handle()] = *c.answer;
        }
        nodes.push_back(&node);
    }
    std::vector<std::string> asked;
    const SyncOutcome outcome = Synchronize(
        [&](const structure::TreeNode& node, const std::string& treeNumber, const std::string& storedNumber) {
            asked.push_back(U(node.Text()) + ": " + U(treeNumber) + "/" + U(storedNumber));
            const auto answer = answers.find(node.Handle());
            EXPECT_NE(answer, answers.end()) << U(node.Text());
            return answer == answers.end() ? NumberChoice::Skip : answer->second;
        });

    EXPECT_EQ(asked, (std::vector<std::string>{"ПК №12: 12/13", "ПК  Celeron №12 корп. 2: 12 корп. 2/13",
                                               "ПК №12: 12/13", "ПК №12: 12/13"}));
    EXPECT_EQ(outcome.conflicts, 4);
    std::vector<std::string> expectedExport{U(outcome.exportLines.front())};
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].caption);
        EXPECT_EQ(U(nodes[i]->Text()), cases[i].captionAfter);
        ASSERT_NE(nodes[i]->Record(), nullptr) << "every piece of equipment has its UNO after the run";
        EXPECT_EQ(StoredTexts(*nodes[i]), cases[i].storedAfter);
        if (!cases[i].storedAfter.empty()) {
            expectedExport.push_back(nodes[i]->Record()->uno + "\t" + cases[i].storedAfter.front() + "\t" +
                                     cases[i].captionAfter);
        }
    }
    EXPECT_EQ(expectedExport.front(), "Index\tИнвентарный\tRemark");
    std::vector<std::string> exported;
    for (const std::string& line : outcome.exportLines) {
        exported.push_back(U(line));
    }
    EXPECT_EQ(exported, expectedExport);
    EXPECT_TRUE(outcome.captionsChanged);
    EXPECT_TRUE(outcome.unosGiven);
    EXPECT_EQ(recordsBeforeApply, 7u) << "the run itself only reads the table";
    EXPECT_EQ(steps, tree.Count());

    // A department or an employee with "№" in its caption carries no number: no UNO, no record, no line.
    EXPECT_EQ(U(workshop.Text()), "Цех №3");
    EXPECT_EQ(workshop.Record(), nullptr);
    EXPECT_EQ(employee.Record(), nullptr);
}

TEST_F(NumberSyncTest, ASecondRunFindsNothingToDo) {
    structure::TreeNode& printer = tree.AddChild(nullptr, -1, C("Принтер №5"), 6);
    const auto never = [](const structure::TreeNode&, const std::string&, const std::string&) {
        ADD_FAILURE() << "no conflict expected";
        return NumberChoice::Skip;
    };
    Synchronize(never);
    ASSERT_NE(printer.Record(), nullptr);
    const SyncOutcome again = Synchronize(never);
    EXPECT_FALSE(again.captionsChanged);
    EXPECT_FALSE(again.unosGiven);
    EXPECT_TRUE(again.recordChanges.empty());
    EXPECT_EQ(StoredTexts(printer), std::vector<std::string>{"5"}) << "no second record";
    EXPECT_EQ(again.exportLines.size(), 2u);
}

// Two nodes with one UNO share their stored number: synchronising either would give it to the other.
TEST_F(NumberSyncTest, NodesSharingAUnoAreLeftAlone) {
    structure::TreeNode& first = tree.AddChild(nullptr, -1, C("Принтер A №5"), 6);
    structure::TreeNode& second = tree.AddChild(nullptr, -1, C("Принтер B"), 6);
    identity.NewAddData(first);
    tree.SetRecord(second, std::make_unique<structure::TKelRec>(structure::TKelRec{first.Record()->uno, std::nullopt}));
    const SyncOutcome outcome = Synchronize([](const structure::TreeNode&, const std::string&, const std::string&) {
        ADD_FAILURE() << "no conflict expected";
        return NumberChoice::Skip;
    });
    EXPECT_EQ(U(second.Text()), "Принтер B");
    EXPECT_TRUE(StoredTexts(first).empty());
    EXPECT_TRUE(outcome.recordChanges.empty());
    EXPECT_EQ(outcome.exportLines.size(), 1u);
    ASSERT_EQ(outcome.sharedUnoPaths.size(), 2u);
    EXPECT_EQ(U(outcome.sharedUnoPaths[1]), "\\\\Принтер B");
}

TEST(ExportFileBytesTest, Cp1251LinesEndedByCrLf) {
    EXPECT_EQ(ExportFileBytes({C("Index\tИнвентарный\tRemark"), "KKU_isOAAAAA\t5\tPC"}),
              C("Index\tИнвентарный\tRemark\r\nKKU_isOAAAAA\t5\tPC\r\n"));
    EXPECT_EQ(ExportFileBytes({}), "");
}

class NumberCheckTest : public ::testing::Test {
protected:
    // Adds the nodes under one department "Отдел" (icon 1).
    CheckOutcome Check(const std::vector<std::pair<const char*, int>>& nodes) {
        structure::TreeNode& department = tree.AddChild(nullptr, -1, C("Отдел"), structure::kIconDepartment);
        for (const auto& [caption, icon] : nodes) {
            tree.AddChild(&department, -1, C(caption), icon);
        }
        return CheckNumbers(tree, types, [] {});
    }
    static std::vector<std::string> Paths(const CheckOutcome& outcome) {
        std::vector<std::string> paths;
        for (const Duplicate& duplicate : outcome.duplicates) {
            paths.push_back(U(duplicate.path) + " <- " + U(duplicate.firstPath));
        }
        return paths;
    }

    structure::TreeModel tree{1};
    structure::NodeTypes types{{}};
};

TEST_F(NumberCheckTest, CheckKeysNameTheTypeAndTheNumberFromItsSign) {
    structure::TreeNode& department = tree.AddChild(nullptr, -1, C("Цех №3"), structure::kIconDepartment);
    const struct {
        const char* caption;
        int icon;
        std::string key; // UTF-8
    } cases[] = {
        {"  Принтер HP №7 ", 6, U(types.NodeTypeName(6)) + " №7"},
        {"ПК №7", 3, U(types.NodeTypeName(3)) + " №7"},
        {"Монитор", 5, ""},
        {"Иванов №7", structure::kIconEmployee, ""},
        {"Цех №3", structure::kIconDepartment, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(U(CheckKey(types, tree.AddChild(&department, -1, C(c.caption), c.icon))), c.key) << c.caption;
    }
    const std::string longNumber(300, '1');
    const std::string key = CheckKey(types, tree.AddChild(&department, -1, C("ПК №") + longNumber, 3));
    EXPECT_EQ(key, types.NodeTypeName(3) + " " + C("№") + longNumber.substr(0, 199));
}

TEST_F(NumberCheckTest, TwoPrintersWithOneNumberAreADuplicateAComputerWithItIsNot) {
    const CheckOutcome outcome = Check({{"Принтер №7", 6}, {"ПК №7", 3}, {"Принтер  №7 ", 6}, {"Принтер №а7", 6}});
    EXPECT_EQ(Paths(outcome), std::vector<std::string>{"\\\\Отдел\\Принтер  №7  <- \\\\Отдел\\Принтер №7"});
    EXPECT_EQ(outcome.nodes, 5);
    EXPECT_EQ(outcome.numbered, 3); // letter case counts: "№а7" is a number of its own
}

TEST_F(NumberCheckTest, EveryLaterNodeIsComparedWithTheFirst) {
    const CheckOutcome outcome = Check({{"Принтер A №5", 6}, {"Принтер B №5", 6}, {"Принтер C №5", 6}});
    EXPECT_EQ(Paths(outcome), (std::vector<std::string>{"\\\\Отдел\\Принтер B №5 <- \\\\Отдел\\Принтер A №5",
                                                        "\\\\Отдел\\Принтер C №5 <- \\\\Отдел\\Принтер A №5"}));
    EXPECT_EQ(outcome.numbered, 1);
    EXPECT_EQ(U(CheckLogBytes(outcome, "11.12.2026 09:30:00")),
              "Результаты проверки инвентарных номеров\r\n11.12.2026 09:30:00\r\n"
              "\r\n1.Инв.№ \\\\Отдел\\Принтер B №5 дублируется с :\r\n- \\\\Отдел\\Принтер A №5\r\n"
              "\r\n2.Инв.№ \\\\Отдел\\Принтер C №5 дублируется с :\r\n- \\\\Отдел\\Принтер A №5\r\n");
}

TEST_F(NumberCheckTest, WithoutNumberedEquipmentTheMessageCountsNone) {
    int steps = 0;
    tree.AddChild(nullptr, -1, C("Цех №3"), structure::kIconDepartment);
    const CheckOutcome outcome = Check({{"Монитор", 5}, {"Иванов №4", structure::kIconEmployee}});
    EXPECT_TRUE(outcome.duplicates.empty());
    CheckNumbers(tree, types, [&] { ++steps; });
    EXPECT_EQ(steps, 4);
    EXPECT_EQ(U(CheckPassedMessage(outcome)),
              "Проверено 4 записей.\r\nиз них содержат инвентарные номера - 0\r\n\r\nОшибок не обнаружено.");
}

} // namespace
} // namespace pelgo::inventory
