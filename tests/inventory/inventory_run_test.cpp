// The inventory-number run: the duplicate check of the tree, the run over a directory list with its protocol,
// its messages and the selection it leaves, and a run that meets a held file or ends early.
#include "inventory/inventory_run.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <stdexcept>

#include "core/cp1251.h"
#include "core/file.h"
#include "support/scripted_dialog.h"
#include "support/temp_dir.h"

namespace pelgo::inventory {
namespace {

std::string C(const std::string& utf8) {
    return core::Utf8ToCp1251(utf8);
}

std::string Collector(const std::string& address) {
    return "[Info]\r\nMAC_Addr=" + address + "\r\nComputer_Name=WS\r\n\r\n";
}

TEST(InventoryKeyTest, TheNumberFromItsSignOrTheWholeCaption) {
    const std::string longNumber(250, '7');
    const struct {
        std::string caption; // UTF-8
        std::string key;
    } cases[] = {
        {"  Системный блок №12 ", "№12"},
        {"Сервер №12 корп. 2 №5", "№12 корп. 2 №5"}, // from the first sign on
        {" Рабочая станция ", "Рабочая станция"},
        {"ПК №" + longNumber, "№" + longNumber.substr(0, 199)}, // 200 characters, the sign counted
    };
    for (const auto& c : cases) {
        EXPECT_EQ(core::Cp1251ToUtf8(InventoryKey(C(c.caption))), c.key) << c.caption;
    }
}

TEST(DuplicateNumbersTest, LaterComputersWithAKeySeenBeforeAreReportedUnderTheirParent) {
    structure::TreeModel tree{1};
    structure::TreeNode& accounts = tree.AddChild(nullptr, -1, C("Бухгалтерия"), 1);
    structure::TreeNode& stock = tree.AddChild(nullptr, -1, C("Склад"), 1);
    const struct {
        structure::TreeNode* parent;
        const char* caption;
        int icon;
    } nodes[] = {
        {&accounts, "Системный блок №12", 3},
        {&accounts, "Монитор №12", 5}, // only computers take part
        {&stock, "Ноутбук №12", 3},    // the same number under another parent
        {&accounts, "Рабочая станция", 3},
        {nullptr, "рабочая СТАНЦИЯ", 3}, // no number: the whole caption, letter case ignored; no parent
        {&accounts, "ПК №а7q", 3},
        {&stock, "ПК №А7Q", 3},
        {&stock, "ПК №А8Q", 3},
        {&stock, "Ноутбук №12", 3}, // a third occurrence is reported too
    };
    for (const auto& n : nodes) {
        tree.AddChild(n.parent, -1, C(n.caption), n.icon);
    }
    std::vector<std::string> reported;
    for (const std::string& line : DuplicateNumbers(tree)) {
        reported.push_back(core::Cp1251ToUtf8(line));
    }
    // Pre-order: the department's children come before the next top-level node's.
    EXPECT_EQ(reported, (std::vector<std::string>{"Склад №12", "Склад №А7Q", "Склад №12", "рабочая СТАНЦИЯ"}));
}

// Asks to stop once the first file is done when `stopAfterFirst`.
struct StoppingProgress : testing::RecordingProgress {
    bool StopRequested() const override { return stopAfterFirst && pumped > 0; }
    bool stopAfterFirst = false;
};

// Бухгалтерия > Иванова > "Системный блок №101" (...01); Бухгалтерия > "Ноутбук Lenovo №102" (...02);
// Склад > "Сервер №101" (...01 again); Склад > the address ...03 with no computer above it.
struct RunFixture : ::testing::Test {
    RunFixture() {
        structure::TreeNode& accounts = tree.AddChild(nullptr, -1, C("Бухгалтерия"), 1);
        structure::TreeNode& employee = tree.AddChild(&accounts, -1, C("Иванова"), 2);
        structure::TreeNode& desktop = tree.AddChild(&employee, -1, C("Системный блок №101"), 3);
        first = &tree.AddChild(&desktop, -1, "0050BA000001", 4);
        structure::TreeNode& laptop = tree.AddChild(&accounts, -1, C("Ноутбук Lenovo №102"), 3);
        second = &tree.AddChild(&laptop, -1, "0050BA000002", 4);
        structure::TreeNode& stock = tree.AddChild(nullptr, -1, C("Склад"), 1);
        structure::TreeNode& server = tree.AddChild(&stock, -1, C("Сервер №101"), 3);
        tree.AddChild(&server, -1, "0050BA000001", 4);
        loose = &tree.AddChild(&stock, -1, "0050BA000003", 4);
        clock.Set({2026, 3, 5, 7, 8, 9});

        core::CreateDirectories(files / "empty");
        core::CreateDirectories(files / "files/sub");
        testing::WriteBytes(files / "files/a.ini", Collector("0050BA000002"));
        testing::WriteBytes(files / "files/b.ini", Collector("0050BA000001"));
        testing::WriteBytes(files / "files/c.ini", Collector("00FF00000009"));
        testing::WriteBytes(files / "files/d.ini", Collector("0"));
        testing::WriteBytes(files / "files/e.ini", Collector("0050BA000003"));
        testing::WriteBytes(files / "files/.f.ini", Collector("0050BA000002"));
        testing::WriteBytes(files / "files/notes.txt", "no sections here\r\n");
    }

    InventoryOutcome Assign(const std::vector<std::string>& directories) {
        const InventoryRun run{tree,   dialog, progress, clock, "IVANOV", DefaultCaption(), files / "inventory.log",
                               select, nullptr};
        return AssignInventoryNumbers(run, directories);
    }

    std::vector<std::string> Protocol() const {
        std::vector<std::string> lines;
        for (const std::string& line : progress.lines) {
            lines.push_back(core::Cp1251ToUtf8(line));
        }
        return lines;
    }

    structure::TreeModel tree{1};
    const structure::TreeNode* first = nullptr;
    const structure::TreeNode* second = nullptr;
    const structure::TreeNode* loose = nullptr;
    core::Clock clock;
    testing::TempDir files;
    testing::ScriptedDialog dialog;
    StoppingProgress progress;
    std::vector<const structure::TreeNode*> selected;
    std::function<void(const structure::TreeNode&)> select = [this](const structure::TreeNode& address) {
        selected.push_back(&address);
    };
};

TEST_F(RunFixture, WritesTheComputersFoundAndKeepsTheProtocol) {
    const std::string folder = files / "files";
    const std::string empty = files / "empty";
    dialog.ExpectMessage("Обнаружены дублирующиеся инвентарные номера (см.протокол)!");
    dialog.ExpectMessage("Неверный каталог " + core::Cp1251ToUtf8(empty));
    dialog.ExpectMessage("Обработано файлов - 12\r\nпротокол инвентаризации сохранен в\r\n" + files / "inventory.log");
    const std::string unknownBefore = testing::ReadBytes(files / "files/c.ini");

    // The folder twice: written twice; the hidden file and the sub-folder are no files of the run.
    const InventoryOutcome outcome = Assign({folder, folder, empty});

    EXPECT_TRUE(outcome.ran);
    EXPECT_EQ(outcome.filesProcessed, 12);
    // A file that is no collector file is named with the reason it was left alone.
    const std::string notes =
        "notes.txt : Файл " + folder + "/notes.txt не является файлом конфигурации; он оставлен без изменений";
    const std::vector<std::string> expected = {
        "ВНИМАНИЕ ! Дублируются инвентарные номера :",
        "Склад №101",
        "Простановка инвентарных номеров 05.03.2026 07:08:09",
        folder,
        "Ноутбук Lenovo №102 \tБухгалтерия",
        "Системный блок №101 \tИванова",
        notes,
        folder,
        "Ноутбук Lenovo №102 \tБухгалтерия",
        "Системный блок №101 \tИванова",
        notes,
        "Неверный каталог " + empty,
    };
    EXPECT_EQ(Protocol(), expected);
    std::string log;
    for (const std::string& line : expected) {
        log += C(line) + "\r\n";
    }
    EXPECT_EQ(testing::ReadBytes(files / "inventory.log"), log);
    EXPECT_EQ(outcome.protocol, progress.lines);

    // The whole caption; the address under two computers is the first one's.
    EXPECT_EQ(core::Cp1251ToUtf8(testing::ReadBytes(files / "files/a.ini")),
              "[Info]\r\nMAC_Addr=0050BA000002\r\nComputer_Name=WS\r\nInventoryNumber=Ноутбук Lenovo №102\r\n\r\n"
              "[InventoryData]\r\nInventoryNumber=Ноутбук Lenovo №102\r\nOvner=Бухгалтерия\r\n"
              "Location=Бухгалтерия\r\nInventoryDate=05.03.2026 07:08:09 (IVANOV)\r\n\r\n");
    EXPECT_NE(core::Cp1251ToUtf8(testing::ReadBytes(files / "files/b.ini"))
                  .find("[InventoryData]\r\nInventoryNumber=Системный блок №101\r\nOvner=Иванова\r\n"
                        "Location=Бухгалтерия;Иванова\r\n"),
              std::string::npos);
    // An unknown address, a one-character one, an address without a computer above it and a file that is no
    // collector file stay as they were.
    EXPECT_EQ(testing::ReadBytes(files / "files/c.ini"), unknownBefore);
    EXPECT_EQ(testing::ReadBytes(files / "files/d.ini"), Collector("0"));
    EXPECT_EQ(testing::ReadBytes(files / "files/e.ini"), Collector("0050BA000003"));
    EXPECT_EQ(testing::ReadBytes(files / "files/notes.txt"), "no sections here\r\n");
    EXPECT_EQ(testing::ReadBytes(files / "files/.f.ini"), Collector("0050BA000002"));

    // Every address found is selected in turn, the one without a computer too; the last one stays.
    const std::vector<const structure::TreeNode*> pass = {second, first, loose};
    std::vector<const structure::TreeNode*> both = pass;
    both.insert(both.end(), pass.begin(), pass.end());
    EXPECT_EQ(selected, both);
}

TEST_F(RunFixture, AHeldFileIsRecordedAndTheRunGoesOn) {
    const std::string folder = files / "files";
    // The agent writing a.ini holds it as every writer of collector files does.
    std::optional<core::LockedFile> agent = core::LockedFile::OpenLocked(
        folder + "/a.ini", core::LockedFile::Access::ReadWrite, core::LockedFile::LockKind::Exclusive);
    ASSERT_TRUE(agent.has_value());
    dialog.ExpectMessage("Обнаружены дублирующиеся");
    dialog.ExpectMessage("Обработано файлов - 6");

    const InventoryOutcome outcome = Assign({folder});

    EXPECT_EQ(outcome.filesProcessed, 6);
    const std::vector<std::string> protocol = Protocol();
    ASSERT_EQ(protocol.size(), 7u);
    EXPECT_EQ(protocol[4], "a.ini : Cannot open file " + folder + "/a.ini");
    EXPECT_EQ(protocol[5], "Системный блок №101 \tИванова");
    EXPECT_EQ(protocol[6].substr(0, 12), "notes.txt : ");
    EXPECT_EQ(testing::ReadBytes(folder + "/a.ini"), Collector("0050BA000002"));
    EXPECT_NE(testing::ReadBytes(files / "inventory.log").find("\r\na.ini : Cannot open file " + folder + "/a.ini\r\n"),
              std::string::npos);
}

TEST_F(RunFixture, AStopEndsTheRunBeforeTheNextFile) {
    dialog.ExpectMessage("Обнаружены дублирующиеся");
    dialog.ExpectMessage("Обработано файлов - 1");
    progress.stopAfterFirst = true;
    const InventoryOutcome outcome = Assign({files / "files", files / "files"});
    EXPECT_EQ(outcome.filesProcessed, 1);
    EXPECT_EQ(Protocol().back(), "Ноутбук Lenovo №102 \tБухгалтерия");
    EXPECT_EQ(testing::ReadBytes(files / "files/b.ini"), Collector("0050BA000001"));
    const std::string log = testing::ReadBytes(files / "inventory.log");
    EXPECT_TRUE(log.ends_with(C("\r\nНоутбук Lenovo №102 \tБухгалтерия\r\n"))) << core::Cp1251ToUtf8(log);
}

TEST_F(RunFixture, AnEmptyListIsRefusedAndNothingIsWritten) {
    dialog.ExpectMessage("Для заполнения перечня каталогов нажмите на кнопку \"Добавить\"");
    const InventoryOutcome outcome = Assign({});
    EXPECT_FALSE(outcome.ran);
    EXPECT_TRUE(progress.lines.empty());
    EXPECT_FALSE(core::FileExists(files / "inventory.log"));
}

TEST_F(RunFixture, ARunEndedByAnErrorStillKeepsItsProtocol) {
    dialog.ExpectMessage("Обнаружены дублирующиеся");
    select = [](const structure::TreeNode&) { throw std::runtime_error("the window went away"); };
    EXPECT_THROW(Assign({files / "files"}), std::runtime_error);
    const std::string log = core::Cp1251ToUtf8(testing::ReadBytes(files / "inventory.log"));
    EXPECT_NE(log.find("Простановка инвентарных номеров 05.03.2026 07:08:09\r\n" + files / "files" + "\r\n"),
              std::string::npos)
        << log;
    EXPECT_EQ(testing::ReadBytes(files / "files/a.ini"), Collector("0050BA000002"));
}

} // namespace
} // namespace pelgo::inventory
