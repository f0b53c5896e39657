// The commands on a computer's collector file on a started application state: amnesty of a computer and of a
// department, inventorising and deletion, with their questions, messages and journal entries.
#include "session/computer_files.h"

#include <filesystem>
#include <gtest/gtest.h>

#include "core/cp1251.h"
#include "core/file.h"
#include "core/kel_ini_file.h"
#include "platform/dbf_table.h"
#include "support/installation.h"
#include "support/scripted_dialog.h"
#include "support/temp_dir.h"
#include "support/unprivileged.h"

namespace pelgo::session {
namespace {

using platform::Answer;
using testing::ReadBytes;
using testing::WriteBytes;

constexpr const char* kAddress = "0050BA1C2D3E";
const std::string kKept = "[Info]\r\nMAC_Addr=0050BA1C2D3E\r\n\r\n[Sharing]\r\nDocs=C:\\DOCS\r\n\r\n";
const std::string kWithChanges = "[Info]\r\nMAC_Addr=0050BA1C2D3E\r\n\r\n[Config_changes]\r\nChange_1=disk\r\n\r\n"
                                 "[Sharing]\r\nDocs=C:\\DOCS\r\n\r\n[Post_Accounts]\r\nMail_1=ivanov\r\n\r\n";

class ComputerFilesTest : public ::testing::Test {
protected:
    ComputerFilesTest() {
        clock.Set({2026, 12, 10, 9, 30, 0});
        testing::MakeInstallation(dir, clock,
                                  "Неоприходованная техника\r\nОтдел\r\n\tPC-1\r\n\t\t0050BA1C2D3E\r\n\tPC-2\r\n"
                                  "\t\t00AA00000002\r\nСклад\r\n",
                                  "1 ; AAAAAAAAAAAA ;\r\n1 ; BBBBBBBBBBBB ;\r\n3 ; CCCCCCCCCCCC ;\r\n"
                                  "4 ; DDDDDDDDDDDD ;\r\n3 ; EEEEEEEEEEEE ;\r\n4 ; FFFFFFFFFFFF ;\r\n"
                                  "1 ; GGGGGGGGGGGG ;\r\n");
        core::CreateDirectories(files);
        state.Clock().Set(clock.Now());
        EXPECT_EQ(state.Start([](std::string_view) {}), AppState::StartResult::Running);
        state.Activate();
    }
    ~ComputerFilesTest() override { state.CloseRequest(); }

    structure::TreeNode& Node(int index) { return *state.Tree().NodeAt(index); }
    platform::DbfTable& Device() { return *state.DeviceTable().table; }
    // The archive remembers `name` as the file the computer was loaded from; nothing else is archived.
    void Remember(const std::string& name) {
        std::vector<platform::RecordNumber> numbers;
        for (const platform::DbfRecord& record : Device().Find(kAddress)) {
            numbers.push_back(record.number);
        }
        Device().DeleteRecords(numbers);
        Device().Append({kAddress, "File_Name", "", name});
    }
    // "address|text" of every journal record, UTF-8.
    std::vector<std::string> Journal() {
        std::vector<std::string> entries;
        Device().Walk([&](const platform::DbfRecord& record) {
            if (record.values[1] == "_Config_log_") {
                EXPECT_EQ(record.values[2], "10.12.2026 09:30:00");
                entries.push_back(core::Cp1251ToUtf8(record.values[0] + "|" + record.values[3]));
            }
        });
        return entries;
    }

    testing::TempDir dir;
    const std::string files = dir / "files";
    core::Clock clock;
    testing::ScriptedDialog dialog;
    testing::RecordingProgress progress;
    AppState state{StartOptions{dir.Path(), dir / "pelgo", {}, "IVANOV", "WS-01"}, dialog, progress};
};

TEST_F(ComputerFilesTest, AmnestyErasesTheChangeSectionsOfTheComputersFileAndJournalsIt) {
    Remember(kAddress);
    const std::string path = files + "/050BA1C2.D3E"; // the remembered name's short form
    WriteBytes(path, kWithChanges);

    dialog.ExpectQuestion("Удалить секции [Config changes],[Post_Accounts] и [Remote Access] ?", Answer::No);
    EXPECT_FALSE(AmnestyComputer(state, Node(2), files, true));
    EXPECT_EQ(ReadBytes(path), kWithChanges);
    EXPECT_EQ(Journal(), std::vector<std::string>{});

    dialog.ExpectQuestion("Удалить секции", Answer::Yes);
    dialog.ExpectMessage("Готово!");
    EXPECT_TRUE(AmnestyComputer(state, Node(2), files, true));
    EXPECT_EQ(ReadBytes(path), kKept);
    EXPECT_EQ(Journal(), std::vector<std::string>{"0050BA1C2D3E|Section [Config changes],[Post_Accounts] & "
                                                  "[Remote Access] deleted by IVANOV"});

    dialog.ExpectQuestion("Удалить секции", Answer::Yes);
    dialog.ExpectMessage("PC-2 :\r\nНе найден файл конфигурации");
    EXPECT_FALSE(AmnestyComputer(state, Node(4), files, true));
}

TEST_F(ComputerFilesTest, AFileThatCannotBeWrittenIsToldAndLeftAsItWas) {
    Remember(kAddress);
    const std::string path = files + "/" + kAddress;
    WriteBytes(path, kWithChanges);
    testing::OpenToEveryone(dir.Path());
    std::filesystem::permissions(path, std::filesystem::perms::owner_read | std::filesystem::perms::group_read |
                                           std::filesystem::perms::others_read);
    EXPECT_TRUE(testing::PassesUnprivileged([&] {
        dialog.ExpectQuestion("Удалить секции", Answer::Yes);
        dialog.ExpectMessage("Cannot open file " + path);
        EXPECT_FALSE(AmnestyComputer(state, Node(2), files, true));
        EXPECT_EQ(dialog.shown.size(), 1u) << "no \"Готово!\" after the error";
    }));
    EXPECT_EQ(ReadBytes(path), kWithChanges);
    EXPECT_EQ(Journal(), std::vector<std::string>{});
}

TEST_F(ComputerFilesTest, ADepartmentsComputersAreAmnestiedAfterOneQuestion) {
    Remember(kAddress);
    WriteBytes(files + "/" + kAddress, kWithChanges);
    std::vector<std::string> selected;
    const auto select = [&selected](structure::TreeNode& computer) { selected.push_back(computer.Text()); };

    dialog.ExpectQuestion(
        "Удалить секции [Config changes],[Post_Accounts] и [Remote Access]  \r\nс Отдел\r\nпо Склад ?", Answer::Yes);
    dialog.ExpectMessage("PC-2 :\r\nНе найден файл конфигурации");
    dialog.ExpectMessage("Готово!");
    AmnestyDepartment(state, Node(1), files, select);
    EXPECT_EQ(selected, (std::vector<std::string>{"PC-1", "PC-2"}));
    EXPECT_EQ(core::Cp1251ToUtf8(dialog.shown.back()), "Готово!\r\nPC-1\r\nPC-2\r\n");
    EXPECT_EQ(ReadBytes(files + "/" + kAddress), kKept);
    EXPECT_EQ(Journal().size(), 1u);

    // The list of names stops at 300 characters with one "..." line; the last department runs to the end.
    structure::TreeNode& store = Node(6);
    std::vector<std::string> names;
    for (char letter : std::string("ABCD")) {
        names.emplace_back(150, letter);
        structure::TreeNode& computer = state.Tree().AddChild(&store, -1, names.back(), 3);
        state.Tree().AddChild(&computer, -1, "00AA0000000" + std::string(1, letter), 4);
    }
    dialog.ExpectQuestion("Удалить секции [Config changes],[Post_Accounts] и [Remote Access]  \r\nс Склад ?",
                          Answer::Yes);
    for (const std::string& name : names) {
        dialog.ExpectMessage(name + " :\r\nНе найден файл конфигурации");
    }
    dialog.ExpectMessage("Готово!");
    AmnestyDepartment(state, store, files, select);
    EXPECT_EQ(dialog.shown.back(), core::Utf8ToCp1251("Готово!\r\n") + names[0] + "\r\n" + names[1] + "\r\n...\r\n");
}

TEST_F(ComputerFilesTest, InventorisingWritesTheInventoryKeysIntoTheFile) {
    Remember(kAddress);
    WriteBytes(files + "/" + kAddress, kKept);
    dialog.ExpectMessage("Готово!\r\nPC-1");
    EXPECT_TRUE(InventorizeComputer(state, Node(2), files));
    core::TKelIniFile file(files + "/" + kAddress, true);
    EXPECT_EQ(file.ReadString("Info", "InventoryNumber", ""), "PC-1");
    EXPECT_EQ(file.ReadString("InventoryData", "Ovner", ""), core::Utf8ToCp1251("Отдел"));
    EXPECT_EQ(file.ReadString("InventoryData", "InventoryDate", ""), "10.12.2026 09:30:00 (IVANOV)");
    EXPECT_EQ(file.ReadString("Sharing", "Docs", ""), "C:\\DOCS");
}

TEST_F(ComputerFilesTest, DeletingAFileNamedAfterTheAddressIsJournaledUnderIt) {
    struct Case {
        std::string name;
        std::vector<std::string> journal;
    };
    const std::string path = files + "/" + kAddress;
    const Case cases[] = {
        {"0050BA1C.2D3", {}},
        {kAddress, {"0050BA1C2D3E|Файл " + path + " удален IVANOV"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Remember(c.name);
        WriteBytes(files + "/" + c.name, kKept);
        WriteBytes(files + "/050BA1C2.D3E", kKept); // the short form comes only after the remembered name
        dialog.ExpectQuestion("Удалить файл конфигурации компьютера ?", Answer::Yes);
        dialog.ExpectMessage("Файл удален !");
        EXPECT_TRUE(DeleteComputerFile(state, Node(2), files));
        EXPECT_FALSE(core::FileExists(files + "/" + c.name));
        EXPECT_TRUE(core::FileExists(files + "/050BA1C2.D3E"));
        EXPECT_EQ(Journal(), c.journal);
    }
}

TEST_F(ComputerFilesTest, AFileThatCannotBeDeletedIsJournaledAndTold) {
    Remember(kAddress);
    const std::string path = files + "/" + kAddress;
    WriteBytes(path, kKept);
    testing::OpenToEveryone(dir.Path());
    std::filesystem::permissions(files,
                                 std::filesystem::perms::owner_write | std::filesystem::perms::group_write |
                                     std::filesystem::perms::others_write,
                                 std::filesystem::perm_options::remove);
    EXPECT_TRUE(testing::PassesUnprivileged([&] {
        dialog.ExpectQuestion("Удалить файл конфигурации компьютера ?", Answer::Yes);
        dialog.ExpectMessage("Ошибка удаления файла " + path + "!");
        EXPECT_FALSE(DeleteComputerFile(state, Node(2), files));
    }));
    EXPECT_TRUE(core::FileExists(path));
    EXPECT_EQ(Journal(), std::vector<std::string>{"0050BA1C2D3E|Ошибка удаления файла " + path + " IVANOV"});
}

} // namespace
} // namespace pelgo::session
