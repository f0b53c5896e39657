// The archive page: the summary, the sections with their icons, device classes and adapters, the current
// configuration, drives, SMART, the journal and the alarms from records; the same read from real tables; the
// department's count by type; the performance rating and its gauges.
#include "archive/computer_view.h"

#include <gtest/gtest.h>

#include "core/cp1251.h"
#include "structure/node_records_table.h"
#include "support/temp_dir.h"

namespace pelgo::archive {
namespace {

using core::Utf8ToCp1251;

// Records written in UTF-8.
std::vector<ArchiveRecord> Records(std::initializer_list<std::array<const char*, 3>> records) {
    std::vector<ArchiveRecord> converted;
    for (const auto& [group, name, text] : records) {
        converted.push_back({Utf8ToCp1251(group), Utf8ToCp1251(name), Utf8ToCp1251(text)});
    }
    return converted;
}

ComputerView Build(std::initializer_list<std::array<const char*, 3>> records, const SmartTable* smart = nullptr,
                   const std::vector<AlarmRecord>& alarms = {}) {
    return BuildComputerView(Records(records), alarms, smart, ViewTexts::Translated());
}

std::string Utf8(const std::string& text) {
    return core::Cp1251ToUtf8(text);
}

TEST(ComputerViewTest, SummaryFromInfoAndComputer) {
    const ComputerView view = Build({
        {"File_Name", "", "0050BA1C2D3E"},
        {"Info", "Record_Date", "10.12.2026 09:15:00"},
        {"Info", "Computer_Name", "PC-01"},
        {"Info", "Current_User_Name", "IVANOV"},
        {"Info", "MAC_Addr", "0050BA1C2D3E"},
        {"Info", "MAC_Hint", "0050BA D-Link"},
        {"Info", "MAC_Addr2", "00E04C000001"},
        {"Info", "MAC_Hint2", "00E04C Realtek"},
        {"Info", "IP_addr", "10.0.0.5"},
        {"Info", "System", "Windows XP"},
        {"Info", "Param_0", "zero"},
        {"Info", "Param_1", "one"},
        {"Info", "Param_2", "two"},
        {"Info", "Param_3", "three"},
        {"Info", "Param_4", "four"},
        {"Info", "InventoryNumber", "INV-7"},
        {"Info", "Scanlet_Version", "2.1"},
        {"Computer", "BIOS", "Award"},
        {"Computer", "MotherBoard", "ASUS P5K"},
        {"Computer", "CPU", "Pentium 4"},
        {"Computer", "CPU_Freq_in_MHz", "2400"},
        {"Computer", "Memory_in_Mb", "512"},
        {"Computer", "Total_HDD_in_Mb", "80000"},
    });
    const char* expected[kSummaryFieldCount] = {"10.12.2026 09:15:00",
                                                "PC-01",
                                                "IVANOV",
                                                "00E04C000001",
                                                "10.0.0.5",
                                                "Windows XP",
                                                "Award",
                                                "ASUS P5K",
                                                "Pentium 4",
                                                "2400",
                                                "512",
                                                "80000",
                                                "INV-7",
                                                "",
                                                "",
                                                "",
                                                "",
                                                ""};
    for (int i = 0; i < kSummaryFieldCount; ++i) {
        EXPECT_EQ(view.fields[static_cast<std::size_t>(i)].text, expected[i]) << SummaryCaptions()[i];
    }
    EXPECT_EQ(view.fields[kMacField].list, (core::StringList{"0050BA1C2D3E", "00E04C000001"}));
    EXPECT_EQ(view.macHints, (core::StringList{"0050BA D-Link", "00E04C Realtek"}));
    EXPECT_EQ(view.infoLine, "one two three four");
    EXPECT_EQ(view.fileName, "0050BA1C2D3E");
    EXPECT_EQ(view.archive.Print(), "0 Scanlet_Version : 2.1\n");
    EXPECT_TRUE(view.alarms.Empty());
}

TEST(ComputerViewTest, Drives) {
    const ComputerView view = Build({
        {"Computer", "Drive_A", "A:\\ REMOVABLE"},
        {"Computer", "Drive_C", "C:\\ FIXED 40000 Mb"},
        {"Computer", "Drive_X", "X"}, // too short to show, too short to count as the last drive
        {"Computer", "Drive_D", "D:\\ CDROM"},
        {"Computer", "Chipset", "i865"},
        {"Computer", "Drive_Z", "Z:\\ NETWORK"}, // a line of its own came between: a new drive line
    });
    EXPECT_EQ(view.archive.Print(), "6 Drives...\n"
                                    "\t5 A:\\ REMOVABLE\n"
                                    "\t6 C:\\ FIXED 40000 Mb\n"
                                    "6 Drives...\n"
                                    "\t7 D:\\ CDROM\n"
                                    "0 Chipset : i865\n"
                                    "6 Drives...\n"
                                    "\t8 Z:\\ NETWORK\n");
}

TEST(ComputerViewTest, SectionsAndTheirLineIcons) {
    const ComputerView view = Build({
        {"File_Name", "", "X"},
        {"Sharing", "Share_1", "C$ C:\\"},
        {"Attention", "Line_1", "Shared printer"},
        {"Windows_Soft", "Soft_1", "Office"},
        {"Remote_Access", "RA_1", "Modem"},
        {"Additional", "Monitor_SN", "12345"},
        {"Additional", "CPU_Fan", "Cooler"},
        {"Printers", "P_1", "HP LaserJet"},
        {"Printers", "P_2", "Canon"},
        {"Sharing", "Share_2", "D$"},
    });
    EXPECT_EQ(view.archive.Print(), "33 Sharing\n"
                                    "\t34 Share_1 : C$ C:\\\n"
                                    "\t34 Line_1 : Shared printer\n"
                                    "2 Windows_Soft\n"
                                    "\t31 Office\n"
                                    "16 Remote_Access\n"
                                    "\t23 RA_1 : Modem\n"
                                    "3 Additional\n"
                                    "\t12 Monitor_SN : 12345\n"
                                    "\t19 CPU_Fan : Cooler\n"
                                    "15 Printers\n"
                                    "\t15 P_1 : HP LaserJet\n"
                                    "\t15 P_2 : Canon\n"
                                    "33 Sharing\n"
                                    "\t34 Share_2 : D$\n");
}

TEST(ComputerViewTest, DeviceClassesAndNetworkAdapters) {
    const ComputerView view = Build({
        {"Windows_Devices", "Dev_1", "Display NVIDIA GeForce"},
        {"Windows_Devices", "Dev_2", "display Second head"},
        {"Windows_Devices", "Dev_3", "Net Realtek RTL8139 (Disabl.)"},
        {"Windows_Devices", "Dev_4", "Net [0]Card Realtek"},
        {"Windows_Devices", "Dev_5", "Net [0]IP 192.168.0.5"},
        {"Windows_Devices", "Dev_6", "Net [1]Card Intel PRO"},
        {"Windows_Devices", "Dev_7", "Net [1]IP 0.0.0.0"},
        {"Windows_Devices", "Dev_8", "Keyboard Standard"},
        {"Windows_Devices", "Dev_9", "Display Third"},
        {"Linux_Devices", "Dev_1", "Display Matrox"},
    });
    EXPECT_EQ(view.archive.Print(), "3 Windows_Devices\n"
                                    "\t29 Display\n"
                                    "\t\t24 Display NVIDIA GeForce\n"
                                    "\t\t29 display Second head\n"
                                    "\t1 Network\n"
                                    "\t\t1 Net Realtek RTL8139 (Disabl.)\n"
                                    "\t\t19 Card Realtek\n"
                                    "\t\t\t0 IP 192.168.0.5\n"
                                    "\t\t19 Card Intel PRO\n"
                                    "\t\t\t0 IP 0.0.0.0\n"
                                    "\t9 Keyboard\n"
                                    "\t\t9 Keyboard Standard\n"
                                    "\t29 Display\n"
                                    "\t\t29 Display Third\n"
                                    "3 Linux_Devices\n"
                                    "\t29 Display\n"
                                    "\t\t29 Display Matrox\n");
    std::vector<std::string> greyed;
    view.archive.ForEach([&greyed](const ViewLine& line, int) {
        if (line.greyed) {
            greyed.push_back(line.text);
        }
    });
    EXPECT_EQ(greyed, std::vector<std::string>{"Net Realtek RTL8139 (Disabl.)"});
}

TEST(ComputerViewTest, CurrentConfigurationReplacesTheArchivedValues) {
    const ComputerView view = Build({
        {"Info", "Computer_Name", "OLD-NAME"},
        {"Info", "Record_Date", "01.12.2026"},
        {"Computer", "CPU", "Old CPU"},
        {"Computer", "CPU_Freq_in_MHz", "450"},
        {"Current_Config", "Device_1", "[Info]Computer_Name NEW-NAME"},
        {"Current_Config", "Device_2", "[computer]cpu_freq_in_mhz 2400"},
        {"Current_Config", "Device_3", "[Computer]CPU Pentium 4"},
        {"Current_Config", "Device_4", "Net Realtek"},
        {"Current_Config", "Device_5", "Net Intel"},
        {"Current_Config", "Device_6", "Display Radeon"},
        {"Current_Config", "Device_7", "Monitor Samsung"},
        {"Current_Config", "Device_8", "HDD ST380"},
        {"Current_Config", "Device_9", "CDRom NEC"},
        {"Current_Config", "Device_10", "[Info]Record_Date 01.01.2027"}, // the record date is the archive's own
        {"Current_Config", "Device_11", "Network thing"},
    });
    EXPECT_EQ(view.fields[0].text, "01.12.2026");
    EXPECT_EQ(view.fields[1].text, "NEW-NAME");
    EXPECT_EQ(view.fields[8].text, "Pentium 4");
    EXPECT_EQ(view.fields[kClockField].text, "2400");
    EXPECT_EQ(view.fields[13].text, "Intel");
    EXPECT_EQ(view.fields[13].list, (core::StringList{"Realtek", "Intel"}));
    const char* single[] = {"Radeon", "Samsung", "ST380", "NEC"};
    for (int i = 14; i < kSummaryFieldCount; ++i) {
        const SummaryField& field = view.fields[static_cast<std::size_t>(i)];
        EXPECT_EQ(field.text, single[i - 14]);
        EXPECT_EQ(field.list, core::StringList{single[i - 14]});
    }
    EXPECT_EQ(view.archive.Print(), "3 Current_Config\n"
                                    "\t4 [Info]Computer_Name NEW-NAME\n"
                                    "\t19 [computer]cpu_freq_in_mhz 2400\n"
                                    "\t19 [Computer]CPU Pentium 4\n"
                                    "\t1 Net Realtek\n"
                                    "\t1 Net Intel\n"
                                    "\t29 Display Radeon\n"
                                    "\t12 Monitor Samsung\n"
                                    "\t6 HDD ST380\n"
                                    "\t7 CDRom NEC\n"
                                    "\t19 [Info]Record_Date 01.01.2027\n"
                                    "\t1 Network thing\n");
}

TEST(ComputerViewTest, SmartGroupUnderItsSectionLine) {
    testing::TempDir dir;
    testing::WriteBytes(dir / "smart", "[Main]\r\n[ENG]\r\n<V>=\"Value: \"\r\n194=Temperature\r\n");
    const std::optional<SmartTable> table = SmartTable::Load(dir / "smart");
    const auto records = {
        std::array<const char*, 3>{"Computer", "CPU", "Pentium"},
        std::array<const char*, 3>{"S.M.A.R.T.", "HDD0_194", "<V>40 <R>40"},
        std::array<const char*, 3>{"S.M.A.R.T.", "HDD0_Info", "ST380"},
        std::array<const char*, 3>{"File_Name", "", "0050BA1C2D3E"},
        std::array<const char*, 3>{"Sharing", "S1", "C$"},
    };
    const std::string withTable = "6 S.M.A.R.T.\n"
                                  "\t6 IDE Primary Master: ST380\n"
                                  "\t\t19 [194] Temperature :\n"
                                  "\t\t\t0 Value: 40\n"
                                  "\t\t\t0 <R>40\n";
    const std::string sharing = "33 Sharing\n\t34 S1 : C$\n";
    EXPECT_EQ(Build(records, &*table).archive.Print(), withTable + sharing);
    EXPECT_EQ(Build(records).archive.Print(), "6 S.M.A.R.T.\n\t6 IDE Primary Master: ST380\n" + sharing);
    EXPECT_EQ(Build(records).fileName, "0050BA1C2D3E");
}

TEST(ComputerViewTest, JournalAfterTheSections) {
    const ComputerView view = Build({
        {"_Config_log_", "01.12.2026 10:00:00", "Загружено IVANOV из \\\\srv\\old"},
        {"Sharing", "S1", "C$"},
        {"_Config_log_", "05.12.2026 10:00:00", "Section [Config changes] deleted by IVANOV"},
        {"_Config_log_", "10.12.2026 10:00:00", "Загружено PETROV из \\\\srv\\new из cells"},
        {"_Config_log_", "11.12.2026 10:00:00", "Перемещен из \\\\A"},
    });
    EXPECT_EQ(Utf8(view.archive.Print()), "33 Sharing\n"
                                          "\t34 S1 : C$\n"
                                          "30 _Config_log_\n"
                                          "\t30 01.12.2026 10:00:00 : Загружено IVANOV из \\\\srv\\old\n"
                                          "\t30 05.12.2026 10:00:00 : Section [Config changes] deleted by IVANOV\n"
                                          "\t30 10.12.2026 10:00:00 : Загружено PETROV из \\\\srv\\new из cells\n"
                                          "\t30 11.12.2026 10:00:00 : Перемещен из \\\\A\n");
    EXPECT_EQ(Utf8(view.configDirectory), "\\\\srv\\new из cells");
    EXPECT_EQ(Build({{"Sharing", "S1", "C$"}}).configDirectory, "");
}

TEST(ComputerViewTest, AlarmsByDateWithTheMonitorsMarks) {
    const std::string longAlarm = ">>>  " + std::string(200, 'x');
    const ComputerView view = Build({}, nullptr,
                                    {
                                        {"10.12.2026 09:00:00", "[Computer]CPU=Pentium"},
                                        {"10.12.2026 09:05:00", ">>>  [Info]IP_addr=10.0.0.9"},
                                        {"11.12.2026 08:00:00", "Something"},
                                        {"11.12.2026 08:30:00.123456789012345", longAlarm},
                                    });
    EXPECT_EQ(view.alarms.Print(), "42 10.12.2026\n"
                                   "\t19 09:00:00 [Computer]CPU=Pentium\n"
                                   "\t38 09:05:00 [Info]IP_addr=10.0.0.9\n"
                                   "42 11.12.2026\n"
                                   "\t38 08:00:00 Something\n"
                                   "\t38 08:30:00.1234567 " +
                                       std::string(148, 'x') + "\n");
    std::vector<int> marks;
    view.alarms.ForEach([&marks](const ViewLine& line, int) { marks.push_back(line.stateMark); });
    EXPECT_EQ(marks, (std::vector<int>{1, 0, 2, 1, 0, 2}));
    EXPECT_TRUE(view.archive.Empty());
}

TEST(ComputerViewTest, ReadFromTheTables) {
    testing::TempDir dir;
    core::Clock clock;
    platform::DbfTable::Create(dir / "device.dbf", platform::kDeviceTableFields, clock);
    platform::DbfTable::Create(dir / "other.dbf", platform::kOtherTableFields, clock);
    platform::DbfTable device = platform::DbfTable::Open(dir / "device.dbf", platform::DbfOpenMode::Shared, clock);
    platform::DbfTable other = platform::DbfTable::Open(dir / "other.dbf", platform::DbfOpenMode::Shared, clock);
    device.SetIndex("MAC_ADR");
    other.SetIndex("UNO");
    device.AppendRecords({
        {"0050BA1C2D3E", "Info", "Computer_Name", "  PC-01  "},
        {"00E04C000001", "Info", "Computer_Name", "OTHER"},
        {"0050BA1C2D3E", "Sharing", "S1", "C$"},
        {"00E04C000001", "Sharing", "S1", "D$"},
        {"0050BA1C2D3E", "_Config_log_", "01.12.2026 10:00:00", "Moved"},
        {"0050BA1C2D3E", "Sharing", "S2", "E$"},
    });
    structure::NodeRecordsTable nodeRecords(other);
    nodeRecords.Append("0050BA1C2D3E", "10.12.2026 09:00:00", "SENTINOX", ">>>new value");
    nodeRecords.Append("0050BA1C2D3E", "Main", "Model", "not an alarm");
    nodeRecords.Append("00E04C000001", "10.12.2026 09:00:00", "SENTINOX", "another computer");

    const ComputerView view = ViewOfComputer(device, other, " 0050ba1c2d3e ", nullptr, ViewTexts::Translated());
    EXPECT_EQ(view.fields[1].text, "PC-01");
    EXPECT_EQ(view.archive.Print(), "33 Sharing\n"
                                    "\t34 S1 : C$\n"
                                    "33 Sharing\n"
                                    "\t34 S2 : E$\n"
                                    "30 _Config_log_\n"
                                    "\t30 01.12.2026 10:00:00 : Moved\n");
    EXPECT_EQ(view.alarms.Print(), "42 10.12.2026\n\t38 09:00:00 new value\n");

    const ComputerView noAddress = ViewOfComputer(device, other, "0", nullptr, ViewTexts::Translated());
    EXPECT_TRUE(noAddress.archive.Empty());
    EXPECT_TRUE(noAddress.alarms.Empty());
}

TEST(ComputerViewTest, DepartmentCountsNodesByType) {
    structure::TreeModel tree;
    using namespace structure;
    tree.AddChild(nullptr, -1, "Bucket", kIconDepartment);
    TreeNode& enterprise = tree.AddChild(nullptr, -1, "Enterprise", kIconDepartment);
    TreeNode& deptA = tree.AddChild(&enterprise, -1, "DeptA", kIconDepartment);
    TreeNode& employee = tree.AddChild(&deptA, -1, "Employee", kIconEmployee);
    TreeNode& computer = tree.AddChild(&employee, -1, "PC", kIconComputer);
    tree.AddChild(&computer, -1, "0050BA1C2D3E", kIconMacAddress);
    tree.AddChild(&employee, -1, "Monitor", 5);
    tree.AddChild(&employee, -1, "Note", kIconNote);
    tree.AddChild(&employee, -1, "Untyped", 0);
    TreeNode& sub = tree.AddChild(&deptA, -1, "Sub", kIconDepartment);
    tree.AddChild(&sub, -1, "Printer", 6);
    tree.AddChild(&sub, -1, "Printer", 6);
    TreeNode& deptB = tree.AddChild(&enterprise, -1, "DeptB", kIconDepartment);
    TreeNode& computerB = tree.AddChild(&deptB, -1, "PC", kIconComputer);
    tree.AddChild(&computerB, -1, "00E04C000001", kIconMacAddress);
    TreeNode& lab = tree.AddChild(&deptB, -1, "Lab", kIconDepartment);
    tree.AddChild(&lab, -1, "UPS", 13);
    TreeNode& other = tree.AddChild(nullptr, -1, "Other", kIconDepartment);
    tree.AddChild(&other, -1, "Scanner", 7);
    const NodeTypes types({});

    const std::pair<const TreeNode*, const char*> cases[] = {
        // Up to the next sibling.
        {&deptA, "1 Сводка по \\\\Enterprise\\DeptA\n\t1 Отдел - 1\n\t2 Сотрудник - 1\n\t3 Компьютер - 1\n"
                 "\t5 Монитор - 1\n\t6 Принтер - 2\n"},
        // No next sibling: up to the parent's.
        {&sub, "1 Сводка по \\\\Enterprise\\DeptA\\Sub\n\t6 Принтер - 2\n"},
        {&deptB, "1 Сводка по \\\\Enterprise\\DeptB\n\t1 Отдел - 1\n\t3 Компьютер - 1\n\t13 UPS - 1\n"},
        // Neither: to the end of the tree.
        {&lab, "1 Сводка по \\\\Enterprise\\DeptB\\Lab\n\t1 Отдел - 1\n\t7 Сканер - 1\n\t13 UPS - 1\n"},
        {&other, "1 Сводка по \\\\Other\n\t7 Сканер - 1\n"},
    };
    for (const auto& [department, expected] : cases) {
        EXPECT_EQ(Utf8(BuildDepartmentSummary(tree, *department, types).Print()), expected);
    }
}

TEST(ComputerViewTest, PerformanceLevelsFromTheSettings) {
    shell::Settings settings("/opt/pelgo/");
    settings.SetInt(shell::Key::RAM2, 64);
    const std::array<PerformanceLevels, 3> levels = PerformanceSettings(settings);
    EXPECT_EQ(levels[0].low, 200);
    EXPECT_EQ(levels[0].high, 500);
    EXPECT_EQ(levels[0].weight, 1);
    EXPECT_EQ(levels[1].low, 32);
    EXPECT_EQ(levels[1].high, 64);
    EXPECT_EQ(levels[2].low, 1000);
    EXPECT_EQ(levels[2].high, 6000);
    EXPECT_EQ(levels[2].weight, 1);
}

TEST(ComputerViewTest, RatingScores) {
    const PerformanceLevels clock{200, 500, 1};
    struct Case {
        const char* text;
        PerformanceLevels levels;
        std::optional<int> score;
    };
    const Case cases[] = {
        {"450", clock, 36}, // above the lower level: against the upper one
        {"150", clock, 19}, // 18.75
        {"20", clock, 2},   // 2.5: halves to even
        {"200", clock, 25}, // at the lower level: still against it
        {" 2400 MHz", clock, 192},
        {"abc", clock, std::nullopt},
        {"0", clock, std::nullopt},
        {"-300", clock, std::nullopt},
        {"", clock, std::nullopt},
        {"450", {0, 500, 1}, std::nullopt},
        {"450", {200, 0, 1}, std::nullopt},
    };
    for (const Case& c : cases) {
        ComputerView view;
        view.fields[kClockField].text = c.text;
        const PerformanceRating rating = RatePerformance(view, {c.levels, clock, clock});
        EXPECT_EQ(rating.scores[0], c.score) << c.text;
        EXPECT_EQ(rating.overall, c.score ? std::optional<int>(*c.score * 10) : std::nullopt) << c.text;
    }
}

TEST(ComputerViewTest, OverallRatingWeighsTheItemsTaken) {
    ComputerView view;
    view.fields[kClockField].text = "450";  // 36
    view.fields[kMemoryField].text = "512"; // 341.33: 341
    view.fields[kDiskField].text = "none";
    const PerformanceRating rating = RatePerformance(view, {{{200, 500, 3}, {32, 60, 1}, {1000, 6000, 5}}});
    EXPECT_EQ(rating.scores[0], 36);
    EXPECT_EQ(rating.scores[1], 341);
    EXPECT_EQ(rating.scores[2], std::nullopt);
    EXPECT_EQ(rating.overall, 1122); // 10 * (36 * 3 + 341) / 4 = 1122.5, halves to even
}

TEST(ComputerViewTest, Gauges) {
    struct Case {
        std::optional<int> score;
        GaugeScale scale;
        int shown;
        GaugeColour colour;
    };
    const Case cases[] = {
        {std::nullopt, kItemGauge, 10, GaugeColour::Red},
        {19, kItemGauge, 19, GaugeColour::Red},
        {25, kItemGauge, 25, GaugeColour::Olive},
        {36, kItemGauge, 36, GaugeColour::Olive},
        {40, kItemGauge, 40, GaugeColour::Green},
        {50, kItemGauge, 50, GaugeColour::Green},
        {79, kItemGauge, 50, GaugeColour::Green},
        {80, kItemGauge, 50, GaugeColour::Lime},
        {5, kItemGauge, 12, GaugeColour::Red},
        {std::nullopt, kOverallGauge, 100, GaugeColour::Red},
        {300, kOverallGauge, 300, GaugeColour::Olive},
        {1122, kOverallGauge, 500, GaugeColour::Lime},
    };
    for (const Case& c : cases) {
        const GaugeReading reading = ReadGauge(c.score, c.scale);
        EXPECT_EQ(reading.shown, c.shown) << c.score.value_or(-1);
        EXPECT_EQ(reading.colour, c.colour) << c.score.value_or(-1);
    }
}

} // namespace
} // namespace pelgo::archive
