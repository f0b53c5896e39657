// The commands on a computer's collector file on a started application state: amnesty of a computer and of a
// department, inventorising and deletion, with their questions, messages and journal entries; files of another
// computer or without sections refused, and a journal that cannot be written.
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
    // The archive remembers `name` as the file the computer was loaded from; nothing else is archived for it.
    void Remember(const std::string& name, const std::string& address = kAddress) {
        std::vector<platform::RecordNumber> numbers;
        for (const platform::DbfRecord& record : Device().Find(address)) {
            numbers.push_back(record.number);
        }
        Device().DeleteRecords(numbers);
        Device().Append({address, "File_Name", "", name});
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
    AmnestyDepartment(state, Node(1), files, {select, {}});
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
    AmnestyDepartment(state, store, files, {select, {}});
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

TEST_F(ComputerFilesTest, AnotherComputersFileOrOneWithoutSectionsIsRefusedAndLeftAsItWas) {
    enum class Command { Amnesty, Inventorise, Delete };
    struct Case {
        const char* what;
        Command command;
        std::string name;
        std::string bytes;
        std::string message;
    };
    const std::string foreign = "[Info]\r\nMAC_Addr=00aa00000002 \r\n\r\n[Config_changes]\r\nChange_1=disk\r\n\r\n";
    const std::string lfOnly = "[Info]\nMAC_Addr=0050BA1C2D3E\n\n[Config_changes]\nChange_1=disk\n";
    const std::string owner = "PC-1 :\r\nФайл " + files +
                              "/%s принадлежит компьютеру с MAC-адресом 00AA00000002, "
                              "а не 0050BA1C2D3E.\r\nНичего не изменено.";
    const auto ownerOf = [&owner](const std::string& name) {
        std::string message = owner;
        return message.replace(message.find("%s"), 2, name);
    };
    const Case cases[] = {
        {"amnesty of another's file", Command::Amnesty, kAddress, foreign, ownerOf(kAddress)},
        {"amnesty of another's file under the short name", Command::Amnesty, "050BA1C2.D3E", foreign,
         ownerOf("050BA1C2.D3E")},
        {"inventorising another's file", Command::Inventorise, kAddress, foreign, ownerOf(kAddress)},
        {"deleting another's file", Command::Delete, kAddress, foreign, ownerOf(kAddress)},
        {"inventorising a file with LF line ends", Command::Inventorise, kAddress, lfOnly,
         "Файл " + files + "/" + kAddress + " не является файлом конфигурации; он оставлен без изменений"},
        {"amnesty of a file with LF line ends", Command::Amnesty, kAddress, lfOnly, "не является файлом конфигурации"},
    };
    Remember(kAddress);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = files + "/" + c.name;
        WriteBytes(path, c.bytes);
        bool done = true;
        switch (c.command) {
        case Command::Amnesty:
            dialog.ExpectQuestion("Удалить секции", Answer::Yes);
            dialog.ExpectMessage(c.message);
            done = AmnestyComputer(state, Node(2), files, true);
            break;
        case Command::Inventorise:
            dialog.ExpectMessage(c.message);
            done = InventorizeComputer(state, Node(2), files);
            break;
        case Command::Delete:
            dialog.ExpectQuestion("Удалить файл конфигурации компьютера ?", Answer::Yes);
            dialog.ExpectMessage(c.message);
            done = DeleteComputerFile(state, Node(2), files);
            break;
        }
        EXPECT_FALSE(done);
        EXPECT_EQ(ReadBytes(path), c.bytes);
        EXPECT_EQ(Journal(), std::vector<std::string>{});
        core::RemoveFile(path);
    }
}

TEST_F(ComputerFilesTest, TheComputersOwnFileIsTakenInAnySpellingOfItsAddressOrWithoutOne) {
    Remember(kAddress);
    for (const std::string info : {"[Info]\r\nMAC_Addr= 0050ba1c2d3e\r\n", "[Info]\r\nComputer_Name=PC15\r\n"}) {
        SCOPED_TRACE(info);
        WriteBytes(files + "/" + kAddress, info + "\r\n[Sharing]\r\nDocs=C:\\DOCS\r\n\r\n");
        dialog.ExpectMessage("Готово!\r\nPC-1");
        EXPECT_TRUE(InventorizeComputer(state, Node(2), files));
        EXPECT_EQ(core::TKelIniFile(files + "/" + kAddress, true).ReadString("Info", "InventoryNumber", ""), "PC-1");
    }
}

TEST_F(ComputerFilesTest, ADepartmentsAmnestyPassesOverAFileOfAnotherComputer) {
    // PC-1's remembered name now holds PC-2's file.
    Remember("pc1.ini");
    Remember("pc2.ini", "00AA00000002");
    const std::string pc2 = "[Info]\r\nMAC_Addr=00AA00000002\r\n\r\n[Remote_Access]\r\nModem_1=dial-up\r\n\r\n";
    WriteBytes(files + "/pc1.ini", pc2);
    WriteBytes(files + "/pc2.ini", pc2);
    dialog.ExpectQuestion("Удалить секции", Answer::Yes);
    dialog.ExpectMessage("PC-1 :\r\nФайл " + files + "/pc1.ini принадлежит компьютеру с MAC-адресом 00AA00000002");
    dialog.ExpectMessage("Готово!\r\nPC-1\r\nPC-2\r\n");
    AmnestyDepartment(state, Node(1), files);
    EXPECT_EQ(ReadBytes(files + "/pc1.ini"), pc2);
    EXPECT_EQ(ReadBytes(files + "/pc2.ini"), "[Info]\r\nMAC_Addr=00AA00000002\r\n\r\n");
    EXPECT_EQ(Journal(), std::vector<std::string>{"00AA00000002|Section [Config changes],[Post_Accounts] & "
                                                  "[Remote Access] deleted by IVANOV"});
}

TEST_F(ComputerFilesTest, AJournalThatCannotBeWrittenIsToldAndTheCommandsGoOn) {
    Remember(kAddress);
    Remember("pc2.ini", "00AA00000002");
    WriteBytes(files + "/" + kAddress, kWithChanges);
    WriteBytes(files + "/pc2.ini", "[Info]\r\nMAC_Addr=00AA00000002\r\n\r\n[Post_Accounts]\r\nMail_1=petrov\r\n\r\n");
    shell::ManagedTable& device = state.DeviceTable();
    device.table.reset();
    device.table.emplace(platform::DbfTable::Open(device.path, platform::DbfOpenMode::ReadOnly, state.Clock()));
    device.table->SetIndex("MAC_ADR");

    const std::string unwritten =
        "\r\nЗапись в журнал изменений компьютера %s не сделана: Table " + device.path + " is open read-only";
    const auto told = [&unwritten](const std::string& outcome, const std::string& address) {
        std::string message = unwritten;
        return outcome + message.replace(message.find("%s"), 2, address);
    };
    const std::vector<std::string> messages = {
        told("Файл " + files + "/" + kAddress + " изменен.", kAddress),
        told("Файл " + files + "/pc2.ini изменен.", "00AA00000002"),
        told("Файл " + files + "/" + kAddress + " удален.", kAddress),
    };
    dialog.ExpectQuestion("Удалить секции", Answer::Yes);
    dialog.ExpectMessage(messages[0]);
    dialog.ExpectMessage(messages[1]);
    dialog.ExpectMessage("Готово!\r\nPC-1\r\nPC-2\r\n");
    AmnestyDepartment(state, Node(1), files);
    EXPECT_EQ(ReadBytes(files + "/" + kAddress), kKept);
    EXPECT_EQ(ReadBytes(files + "/pc2.ini"), "[Info]\r\nMAC_Addr=00AA00000002\r\n\r\n");

    dialog.ExpectQuestion("Удалить файл конфигурации компьютера ?", Answer::Yes);
    dialog.ExpectMessage(messages[2]);
    dialog.ExpectMessage("Файл удален !");
    EXPECT_TRUE(DeleteComputerFile(state, Node(2), files));
    EXPECT_FALSE(core::FileExists(files + "/" + kAddress));

    const std::string log = core::Cp1251ToUtf8(ReadBytes(dir / "pelgo.log"));
    for (const std::string& message : messages) {
        EXPECT_NE(log.find(message.substr(message.find("\r\n") + 2)), std::string::npos) << message;
    }
    EXPECT_EQ(Journal(), std::vector<std::string>{});
}

} // namespace
} // namespace pelgo::session
