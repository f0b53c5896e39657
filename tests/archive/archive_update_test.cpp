// The archive update on collector files written here: what is loaded and what not, the journal kept over a
// reload, addresses only archived, the vendor record, duplicate addresses, cleaning, and a cancelled run.
#include "archive/archive_update.h"

#include <gtest/gtest.h>

#include "archive/aida_conversion.h"
#include "archive/computer_journal.h"
#include "archive/single_update.h"
#include "core/cp1251.h"
#include "core/file.h"
#include "structure/node_types.h"
#include "support/scripted_dialog.h"
#include "support/temp_dir.h"

namespace pelgo::archive {
namespace {

using platform::Answer;

// Progress whose stop flag rises when the run reports the file `stopAtFile` (counted from 1).
class StoppableProgress : public testing::RecordingProgress {
public:
    void SetCounters(long long files, long long) override { stop = stop || files == stopAtFile; }
    bool StopRequested() const override { return stop; }
    bool stop = false;
    long long stopAtFile = -1;
};

class ArchiveUpdateTest : public ::testing::Test {
protected:
    ArchiveUpdateTest() {
        clock.Set({2026, 12, 10, 9, 30, 0});
        core::CreateDirectories(dir / "files");
        platform::DbfTable::Create(dir / "device.dbf", platform::kDeviceTableFields, clock);
        device.emplace(platform::DbfTable::Open(dir / "device.dbf", platform::DbfOpenMode::Shared, clock));
        device->SetIndex("MAC_ADR");
        tree.AddChild(nullptr, -1, core::Utf8ToCp1251("Неоприходованная техника"), 1);
    }

    void WriteFile(const std::string& name, const std::string& text) {
        testing::WriteBytes(dir / ("files/" + name), core::Utf8ToCp1251(text));
    }
    // The options of a run without the placement afterwards, which asks.
    static UpdateOptions Options() {
        UpdateOptions options;
        options.placeNewComputers = false;
        return options;
    }
    UpdateCounters Run(const UpdateOptions& options) {
        return Update().StartUpdate({dir / "files"}, options, nullptr, dir / "Update.log");
    }
    ArchiveUpdate Update() {
        return ArchiveUpdate(UpdateContext{
            tree, identity, *device, dir / "device.dbf", log, dialog, progress, "IVANOV", NamingRule{"PC"},
            PlacementRule{}, addresses, motherboards, RecognitionPaths{dir / "cfg_conv", dir / "pelgotmp.ini"},
            conversion, [this](bool take) { exclusive.push_back(take); },
            [this] { return JournalStamp(clock); },
            [this](const std::string& mac, const std::string& text) { LogJournalEntry(log, mac, text, ""); },
            [this] { ++modified; }, [this] { ++packs; }});
    }
    // "GROUP|NAME|TEXT" of an address's records in stored order, UTF-8.
    std::vector<std::string> Records(const std::string& address) {
        std::vector<std::string> records;
        for (const platform::DbfRecord& record : device->Find(address)) {
            records.push_back(core::Cp1251ToUtf8(record.values[1] + "|" + record.values[2] + "|" + record.values[3]));
        }
        return records;
    }
    std::vector<std::string> Groups(const std::string& address) {
        std::vector<std::string> groups;
        for (const std::string& record : Records(address)) {
            const std::string group = record.substr(0, record.find('|'));
            if (std::find(groups.begin(), groups.end(), group) == groups.end()) {
                groups.push_back(group);
            }
        }
        return groups;
    }
    std::vector<std::string> TreeAddresses() {
        std::vector<std::string> addresses;
        for (structure::TreeNode* node = tree.First(); node != nullptr; node = tree.Next(*node)) {
            if (node->Icon() == structure::kIconMacAddress) {
                addresses.push_back(node->Text());
            }
        }
        return addresses;
    }
    std::string Protocol() { return core::Cp1251ToUtf8(testing::ReadBytes(dir / "Update.log")); }

    testing::TempDir dir;
    core::Clock clock;
    core::WorkLog log{dir / "pelgo.log", clock};
    std::optional<platform::DbfTable> device;
    structure::TreeModel tree{1};
    structure::NodeIdentity identity{tree, clock};
    testing::ScriptedDialog dialog;
    StoppableProgress progress;
    AddressList addresses{{"00AA00 Vendor A", "00BB00 Vendor B"}};
    MotherboardIdentifier motherboards{MotherboardTableFiles{}, log};
    AidaConversion conversion;
    std::vector<bool> exclusive;
    int modified = 0;
    int packs = 0;
};

TEST_F(ArchiveUpdateTest, SectionsAreLoadedInTheirOrderSaveTheOnesKeptApart) {
    WriteFile("pc1.ini", "[Info]\r\nMAC_Addr=00AA00000001\r\nParam_1=x\r\nEmpty=\r\n[Data]\r\nA=1\r\n[Put]\r\nB=2\r\n"
                         "[Info2]\r\nC=3\r\n[Config_changes]\r\nD=4\r\n[Current_Config]\r\nDevice_1=Video\r\n"
                         "Device_2=Sound\r\n[Computer]\r\nCPU=P4\r\n");
    WriteFile("pc2.ini", "[Info]\r\nMAC_Addr=00BB00000002\r\n[Current_Config]\r\nDevice_1=Net Realtek\r\n");
    WriteFile("broken.ini", "[Info]\r\nName=no address\r\n");
    const UpdateCounters counters = Run(Options());
    EXPECT_EQ(counters.files, 3);
    EXPECT_EQ(counters.configurations, 2);
    EXPECT_EQ(counters.newConfigurations, 2);
    EXPECT_EQ(Groups("00AA00000001"),
              (std::vector<std::string>{"Info", "Computer", "File_Name", "Info2", "Current_Config", "_Config_log_"}))
        << "Info, Computer first; Data and Put lie inside the excluded names, Info2 not; Config_changes left out";
    EXPECT_EQ(Records("00AA00000001")[1], "Info|MAC_Hint|00AA00 Vendor A");
    const std::vector<std::string> pc1 = Records("00AA00000001");
    EXPECT_NE(std::find(pc1.begin(), pc1.end(), "Current_Config|Device_2|Net Unknown Vendor A"), pc1.end());
    for (const std::string& record : Records("00BB00000002")) {
        EXPECT_EQ(record.find("Net Unknown"), std::string::npos) << "a listed adapter needs no vendor record";
    }
    EXPECT_EQ(Records("00AA00000001").back(), "_Config_log_|10.12.2026 09:30:00|Загружено IVANOV из " + dir / "files");
    EXPECT_EQ(TreeAddresses(), (std::vector<std::string>{"00AA00000001", "00BB00000002"}));
    EXPECT_EQ(tree.First()->Child(0)->Text(), "PC");
    const std::string protocol = Protocol();
    EXPECT_NE(protocol.find("Ошибочный MAC-адрес : \"?\", ->broken.ini"), std::string::npos) << protocol;
    EXPECT_NE(protocol.find("Добавлено в \"Неоприходованная техника\" новых компьютеров : 2"), std::string::npos);
    EXPECT_EQ(packs, 1);
    EXPECT_EQ(exclusive, (std::vector<bool>{true, true, false}));
}

TEST_F(ArchiveUpdateTest, AReloadKeepsTheNewestJournalEntriesAndOnlyNewLeavesArchivedComputersAlone) {
    WriteFile("pc1.ini", "[Info]\r\nMAC_Addr=00AA00000001\r\nParam_1=new\r\n");
    for (int i = 1; i <= 15; ++i) {
        device->Append({"00AA00000001", "_Config_log_", "entry " + std::to_string(i), "event " + std::to_string(i)});
    }
    device->Append({"00AA00000001", "Info", "Param_1", "old"});
    device->Append({"00AA00000001", "File_Name", "", "pc1.ini"});

    // Only new: the archived computer is not loaded, but the tree gets its node.
    Run(Options());
    EXPECT_EQ(Records("00AA00000001").size(), 17u);
    EXPECT_EQ(TreeAddresses(), std::vector<std::string>{"00AA00000001"});

    UpdateOptions all = Options();
    all.onlyNew = false;
    Run(all);
    std::vector<std::string> journal;
    for (const std::string& record : Records("00AA00000001")) {
        if (record.starts_with("_Config_log_")) {
            journal.push_back(record.substr(record.rfind('|') + 1));
        }
    }
    ASSERT_EQ(journal.size(), 11u);
    EXPECT_EQ(journal.front(), "event 6");
    EXPECT_EQ(journal[9], "event 15");
    EXPECT_TRUE(journal.back().starts_with("Загружено IVANOV"));
    EXPECT_EQ(Records("00AA00000001")[2], "Info|Param_1|new") << "after the address and its hint";
    EXPECT_EQ(TreeAddresses(), std::vector<std::string>{"00AA00000001"}) << "a known address adds no second node";
}

TEST_F(ArchiveUpdateTest, WhatAnInterruptedLoadLeftIsReplacedEvenWhenOnlyNewFilesLoad) {
    const std::string loaded = "_Config_log_|10.12.2026 09:30:00|Загружено IVANOV из " + dir / "files";
    const std::vector<std::vector<std::vector<std::string>>> leftovers{
        // no File_Name: the load did not end
        {{"_Config_log_", "entry", "kept"}, {"Info", "Param_2", "left over"}},
        // two loads: the run died between appending the new one and deleting the old, the journal twice
        {{"_Config_log_", "entry", "kept"}, {"File_Name", "", "old.ini"}, {"_Config_log_", "entry", "kept"},
         {"File_Name", "", "older.ini"}}};
    for (const auto& records : leftovers) {
        WriteFile("pc1.ini", "[Info]\r\nMAC_Addr=00AA00000001\r\nParam_1=new\r\n");
        for (const std::vector<std::string>& record : records) {
            device->Append({"00AA00000001", record[0], record[1], record[2]});
        }
        Run(Options());
        EXPECT_EQ(Records("00AA00000001"),
                  (std::vector<std::string>{"Info|MAC_Addr|00AA00000001", "Info|MAC_Hint|00AA00 Vendor A",
                                            "Info|Param_1|new", "File_Name||pc1.ini", "_Config_log_|entry|kept",
                                            loaded}));
        device->DeleteRecords([this] {
            std::vector<platform::RecordNumber> numbers;
            for (const platform::DbfRecord& record : device->Find("00AA00000001")) {
                numbers.push_back(record.number);
            }
            return numbers;
        }());
    }
}

TEST_F(ArchiveUpdateTest, OneComputerOrADepartmentsComputersAreReloadedFromTheirRememberedFiles) {
    structure::TreeNode& office = tree.AddChild(nullptr, -1, "Office", 1);
    structure::TreeNode& employee = tree.AddChild(&office, -1, "Petrov", 2);
    structure::TreeNode& pc = tree.AddChild(&employee, -1, "PC-1", 3);
    tree.AddChild(&pc, -1, "00AA00000001", 4);
    structure::TreeNode& lost = tree.AddChild(&office, -1, "PC-2", 3);
    tree.AddChild(&lost, -1, "00AA00000002", 4);
    tree.AddChild(nullptr, -1, "Store", 1);
    device->Append({"00AA00000001", "File_Name", "", "/old/place/pc1.ini"});
    device->Append({"00AA00000002", "File_Name", "", "pc2.ini"});
    WriteFile("pc1.ini", "[Info]\r\nMAC_Addr=00AA00000001\r\nParam_1=again\r\n");

    const std::optional<DepartmentRange> range = DepartmentOf(tree, &pc);
    ASSERT_TRUE(range);
    EXPECT_EQ(range->department, &employee) << "the nearest department or employee";
    EXPECT_EQ(range->nextSibling, &lost);
    EXPECT_EQ(DepartmentOf(tree, &office)->computers, (std::vector<structure::TreeNode*>{&pc, &lost}));
    EXPECT_FALSE(DepartmentOf(tree, nullptr));

    ArchiveUpdate update = Update();
    dialog.ExpectQuestion("Обновить архив :\r\nс Office\r\nпо Store ?", Answer::Yes);
    EXPECT_EQ(UpdateDepartment(update, tree, *device, *DepartmentOf(tree, &office), dir / "files", Options(), dialog),
              std::vector<std::string>{"PC-1"})
        << "a computer whose file is missing is left out without a message";
    EXPECT_EQ(Records("00AA00000001")[2], "Info|Param_1|again");
    dialog.ExpectMessage("PC-2  :\r\nНе найден файл конфигурации\r\n" + dir / "files/pc2.ini");
    EXPECT_FALSE(UpdateComputer(update, tree, *device, lost, dir / "files", Options(), dialog));
}

TEST_F(ArchiveUpdateTest, AddressesAreOneSpellingThatFitsTheKeyAndTheSourceFolderIsNoWorkingDirectory) {
    WriteFile("lower.ini", "[Info]\r\nMAC_Addr= 00aa00000001\r\n");
    WriteFile("long.ini", "[Info]\r\nMAC_Addr=00AA00000001FF\r\n");
    device->Append({"00AA00000001", "File_Name", "", "old.ini"});
    UpdateOptions options = Options();
    options.onlyNew = false;
    options.copyToWorkDir = true;
    options.workDir = dir / "files"; // the folder itself
    Run(options);
    EXPECT_EQ(core::FilesIn(dir / "files"), (std::vector<std::string>{"long.ini", "lower.ini"}));
    EXPECT_EQ(Records("00AA00000001")[0], "Info|MAC_Addr|00aa00000001") << "the file's value, under the one key";
    EXPECT_EQ(Records("00AA00000001")[2], "File_Name||lower.ini") << "the longer address loaded nothing";
    EXPECT_EQ(TreeAddresses(), std::vector<std::string>{"00AA00000001"});
    EXPECT_NE(Protocol().find("Ошибочный MAC-адрес : \"00AA00000001FF\", ->long.ini"), std::string::npos);

    // A working directory that is another folder of the list keeps that folder's files too.
    core::CreateDirectories(dir / "more");
    testing::WriteBytes(dir / "more/lower.ini", "[Info]\r\nMAC_Addr=00AA00000002\r\n"); // a name of files/ too
    options.workDir = dir / "more";
    Update().StartUpdate({dir / "files", dir / "more"}, options, nullptr, dir / "Update.log");
    EXPECT_EQ(core::FilesIn(dir / "more"), std::vector<std::string>{"lower.ini"});
    EXPECT_FALSE(Records("00AA00000002").empty());
}

TEST_F(ArchiveUpdateTest, ValuesAreStoredOneLineEachWithoutControlBytes) {
    WriteFile("pc.ini", "[Info]\r\nMAC_Addr=00AA00000001\r\n[Shares]\r\nShare=C$\tdisk\x01\r\nShare=D$\r\n");
    Run(Options());
    const std::vector<std::string> records = Records("00AA00000001");
    EXPECT_NE(std::find(records.begin(), records.end(), "Shares|Share|C$ disk"), records.end());
    EXPECT_NE(std::find(records.begin(), records.end(), "Shares|Share|D$"), records.end())
        << "a repeated key keeps each of its values";
}

TEST_F(ArchiveUpdateTest, DuplicateAddressesAreReportedAndKeptAndCleaningAsksFirst) {
    for (const char* parent : {"A", "B"}) {
        structure::TreeNode& computer = tree.AddChild(&tree.AddChild(nullptr, -1, parent, 1), -1, "PC", 3);
        tree.AddChild(&computer, -1, "00aa00000009", 4);
    }
    device->Append({"00CC00000001", "Info", "Param_1", "gone"});
    device->Append({"00AA00000009", "Info", "Param_1", "kept"});
    UpdateOptions clean = Options();
    clean.cleanArchive = true;
    dialog.ExpectQuestion("от неиспользуемых MAC-адресов ?", Answer::Yes);
    Run(clean);
    EXPECT_EQ(TreeAddresses().size(), 2u);
    EXPECT_TRUE(Records("00CC00000001").empty());
    EXPECT_EQ(Records("00AA00000009").size(), 1u) << "addresses compare without regard to case";
    const std::string protocol = Protocol();
    EXPECT_NE(protocol.find("!!! Дублируется MAC-адрес :\r\n\\B\\PC\\00aa00000009\r\n"), std::string::npos) << protocol;
    EXPECT_NE(protocol.find("- удаляем записи для MAC-адреса 00CC00000001"), std::string::npos);
}

TEST_F(ArchiveUpdateTest, ACancelledRunStillPacksAndSavesItsProtocol) {
    WriteFile("pc1.ini", "[Info]\r\nMAC_Addr=00AA00000001\r\n");
    WriteFile("pc2.ini", "[Info]\r\nMAC_Addr=00AA00000002\r\n");
    progress.stopAtFile = 1; // cancelled while the first file is at hand
    dialog.ExpectQuestion("Попытаться распределить неучтенные компьютеры ?", Answer::No);
    const UpdateCounters counters = Run(UpdateOptions{});
    EXPECT_EQ(counters.files, 1);
    EXPECT_FALSE(Records("00AA00000001").empty()) << "the file at hand is finished";
    EXPECT_TRUE(Records("00AA00000002").empty()) << "the rest is skipped";
    EXPECT_EQ(packs, 1);
    EXPECT_NE(Protocol().find("====<< END >>===="), std::string::npos);
}

} // namespace
} // namespace pelgo::archive
