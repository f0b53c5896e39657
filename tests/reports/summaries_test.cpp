// The summaries over one small plant with real tables: what is counted and how it is cut, the sort order,
// which nodes a department summary covers, the owners' entries and the programs tree.
#include "reports/summaries.h"

#include <gtest/gtest.h>

#include "core/cp1251.h"
#include "reports/report_fixture.h"
#include "reports/report_look.h"
#include "reports/report_writer.h"
#include "structure/node_types.h"

namespace pelgo::reports {
namespace {

using core::Utf8ToCp1251;
using structure::TreeNode;

constexpr const char* kDate = "11.12.2026";

using testing::ExpectLook;
using testing::Look;
using testing::Texts;

// Завод
//   Цех
//     Петров
//       PC-1 (000000000001): two CPU and two memory lines, then the disk total; a CD drive
//       LG 17 №101 (a monitor)
//     PC-2 (000000000002): only a BIOS
//     LG 17 №102 (a monitor), HP 1020 (a printer), a note
//   Склад (the last child of Завод)
//     PC-3 (000000000003): no board at all, a "cdrom" drive (not counted: the match is case-sensitive)
//     PC-4 (000000000004): no archive
//     Ксерокс (a copier: not counted)
// Офис
//   PC-5 (000000000005)
// Модем (no owner)
class SummariesTest : public testing::ReportTablesTest {
protected:
    SummariesTest() : ReportTablesTest(NodeRecords::None) {
        TreeNode* plant = &Add(nullptr, "Завод", structure::kIconDepartment);
        TreeNode* shop = &Add(plant, "Цех", structure::kIconDepartment);
        petrov = &Add(shop, "Петров", structure::kIconEmployee);
        Computer(petrov, "PC-1", "000000000001",
                 {{"Computer", "MotherBoard", "ASUS P5K"},
                  {"Computer", "BIOS", "Award"},
                  {"Computer", "CPU", "Celeron"},
                  {"Computer", "CPU", "Celeron"},
                  {"Computer", "Memory_in_Mb", "512"},
                  {"Computer", "Memory_in_Mb", "512"},
                  {"Computer", "Total_HDD_in_Mb", "80000"},
                  {"Info", "System", "Windows XP"},
                  {"Computer", "Drive_D", "CDROM TEAC"},
                  {"Windows_Soft", "Soft_1", "Word"},
                  {"Windows_Soft", "Soft_2", "Excel"},
                  {"Windows_Soft", "Soft_3", "Word"}});
        Add(petrov, "LG 17 №101", 5);
        Computer(shop, "PC-2", "000000000002",
                 {{"Computer", "BIOS", "award bios"},
                  {"Computer", "CPU", "CELERON"},
                  {"Computer", "Memory_in_Mb", "512"},
                  {"Info", "System", "Windows XP"},
                  {"Windows_Soft", "Soft_1", "word"}});
        monitor = &Add(shop, "LG 17  №102 ", 5);
        Add(shop, "HP 1020", 6);
        Add(shop, "Заметка", structure::kIconNote);
        store = &Add(plant, "Склад", structure::kIconDepartment);
        Computer(store, "PC-3", "000000000003",
                 {{"Info", "Computer_Name", "SKLAD"},
                  {"Computer", "CPU", "celeron"},
                  {"Computer", "Memory_in_Mb", "1024"},
                  {"Computer", "Drive_E", "cdrom"},
                  {"Windows_Soft", "Soft_1", "Excel"}});
        Computer(store, "PC-4", "000000000004", {});
        Add(store, "Ксерокс", 12);
        office = &Add(nullptr, "Офис", structure::kIconDepartment);
        Computer(office, "PC-5", "000000000005",
                 {{"Computer", "MotherBoard", "ASUS P5K"}, {"Computer", "Memory_in_Mb", "512"}});
        Add(nullptr, "Модем", 8);
    }

    RichText Hardware(const TreeNode* department) {
        return HardwareSummary(CountHardware(tree, department, *device), department, kDate);
    }

    TreeNode* petrov = nullptr;
    TreeNode* monitor = nullptr;
    TreeNode* store = nullptr;
    TreeNode* office = nullptr;
};

TEST_F(SummariesTest, EnterpriseSummaryCountsCutsAndSortsEveryList) {
    const RichText summary = Hardware(nullptr);
    const std::vector<std::string> expected{
        "Сводные данные по предприятию",
        "",
        "На 11.12.2026 учтено компьютеров - 5",
        "",
        "Список материнских плат :",
        // PC-3 has neither a board nor a BIOS line: an empty value, counted like any other.
        " - 1 шт.",
        "ASUS P5K - 2 шт.",
        "award bios - 1 шт.",
        "",
        "Список процессоров :",
        // Case-sensitive counting; lines equal but for case keep the order they were first met in.
        "Celeron - 2 шт.",
        "CELERON - 1 шт.",
        "celeron - 1 шт.",
        "",
        "Распределение оперативной памяти :",
        "1024 Mb - 1 шт.",
        "512 Mb - 4 шт.",
        "",
        "Список операционных систем :",
        "Windows XP - 2 шт.",
        "",
        "Список мониторов :",
        "LG 17 - 2 шт.",
        "",
        "Список принтеров :",
        "HP 1020 - 1 шт.",
        "",
        "Компьютеров с ошибочной конфигурацией записей - 1 шт. Список :",
        "Склад\\PC-4 MAC addr:000000000004",
        "",
        "Приводов CD-Rom - 1 шт. Список :",
        "Петров : PC-1",
        "",
        "Список по структуре предприятия :",
        "Отделов - 4",
        "Сотрудников - 1",
        "Компьютеров - 5",
        "Сетевых карт - 5",
        "Мониторов - 2",
        "Принтеров - 1",
        "Модемов - 1",
        "",
    };
    EXPECT_EQ(Texts(summary), expected);

    const Look reportTitle{Alignment::Center, false, 0, 20, true, false, true};
    const Look sectionTitle{Alignment::Left, false, 0, 16, true, true, true};
    const Look body{Alignment::Left, true, 10, 12, false, false, false};
    ASSERT_EQ(summary.paragraphs.size(), expected.size());
    ExpectLook(summary.paragraphs[0], reportTitle);
    ExpectLook(summary.paragraphs[2], {Alignment::Center, false, 0, 16, true, false, true});
    for (const std::size_t i : {3u, 4u, 26u, 27u, 32u, 33u, 41u}) {
        ExpectLook(summary.paragraphs[i], sectionTitle);
    }
    for (const std::size_t i : {5u, 16u, 28u, 31u, 40u}) {
        ExpectLook(summary.paragraphs[i], body);
    }
}

TEST_F(SummariesTest, CsvHoldsEveryCountedValueInReportOrderQuotedWhereNeeded) {
    Computer(office, "PC-6", "000000000006", {{"Computer", "CPU", "Core \"Duo\"; 2"}, {"Info", "System", "Linux"}});
    const std::string csv = HardwareCsv(CountHardware(tree, office, *device));
    EXPECT_EQ(csv, "\xEF\xBB\xBF"
                   "section;value;count\r\n"
                   "Список материнских плат;;1\r\n"
                   "Список материнских плат;ASUS P5K;1\r\n"
                   "Список процессоров;\"Core \"\"Duo\"\"; 2\";1\r\n"
                   "Распределение оперативной памяти;512;1\r\n"
                   "Список операционных систем;Linux;1\r\n"
                   "Список по структуре предприятия;Отделов;1\r\n"
                   "Список по структуре предприятия;Компьютеров;2\r\n"
                   "Список по структуре предприятия;Сетевых карт;2\r\n");
}

TEST_F(SummariesTest, DepartmentSummaryCoversTheSelectedNodeAndItsSubtreeOnly) {
    struct Case {
        const char* name;
        const TreeNode* node;
        std::vector<std::string> expected;
    };
    const std::vector<Case> cases{
        // The last child of its parent: the walk stops at the parent's next sibling, not at the end.
        {"last child",
         store,
         {"Сводные данные по подразделению",
          "\\\\Завод\\Склад",
          "",
          "На 11.12.2026 учтено компьютеров - 2",
          "",
          "Список материнских плат :",
          " - 1 шт.",
          "",
          "Список процессоров :",
          "celeron - 1 шт.",
          "",
          "Распределение оперативной памяти :",
          "1024 Mb - 1 шт.",
          "",
          "Список операционных систем :",
          "",
          "Список мониторов :",
          "",
          "Список принтеров :",
          "",
          "Компьютеров с ошибочной конфигурацией записей - 1 шт. Список :",
          "Склад\\PC-4 MAC addr:000000000004",
          "",
          "Список по структуре предприятия :",
          "Отделов - 1",
          "Компьютеров - 2",
          "Сетевых карт - 2",
          ""}},
        // Any node may be selected: an employee covers its own subtree.
        {"employee",
         petrov,
         {"Сводные данные по подразделению",
          "\\\\Завод\\Цех\\Петров",
          "",
          "На 11.12.2026 учтено компьютеров - 1",
          "",
          "Список материнских плат :",
          "ASUS P5K - 1 шт.",
          "",
          "Список процессоров :",
          "Celeron - 2 шт.",
          "",
          "Распределение оперативной памяти :",
          "512 Mb - 2 шт.",
          "",
          "Список операционных систем :",
          "Windows XP - 1 шт.",
          "",
          "Список мониторов :",
          "LG 17 - 1 шт.",
          "",
          "Список принтеров :",
          "",
          "Приводов CD-Rom - 1 шт. Список :",
          "Петров : PC-1",
          "",
          "Список по структуре предприятия :",
          "Сотрудников - 1",
          "Компьютеров - 1",
          "Сетевых карт - 1",
          "Мониторов - 1",
          ""}},
        {"top-level department",
         office,
         {"Сводные данные по подразделению",
          "\\\\Офис",
          "",
          "На 11.12.2026 учтено компьютеров - 1",
          "",
          "Список материнских плат :",
          "ASUS P5K - 1 шт.",
          "",
          "Список процессоров :",
          "",
          "Распределение оперативной памяти :",
          "512 Mb - 1 шт.",
          "",
          "Список операционных систем :",
          "",
          "Список мониторов :",
          "",
          "Список принтеров :",
          "",
          "Список по структуре предприятия :",
          "Отделов - 1",
          "Компьютеров - 1",
          "Сетевых карт - 1",
          ""}},
        // No computer: no title and no hardware sections, only the node counts.
        {"monitor", monitor, {"", "Список по структуре предприятия :", "Мониторов - 1", ""}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Texts(Hardware(c.node)), c.expected) << c.name;
    }
}

TEST_F(SummariesTest, OwnersSummaryListsEquipmentUnderItsOwnersInOrder) {
    const RichText summary = OwnersSummary(tree, *device);
    const std::vector<std::string> expected{
        "Сводные данные по владельцам",
        "",
        "",
        "", // the modem has no owner: an empty heading
        "Модем",
        "Завод\\Склад",
        "PC-3 SKLAD\\celeron\\1024",
        "PC-4",
        "Ксерокс",
        "Завод\\Цех",
        "HP 1020",
        "LG 17  №102",
        "PC-2 \\CELERON\\512",
        "Завод\\Цех\\Петров",
        "LG 17 №101",
        // Two CPU and two memory lines come before the disk total, which is still read.
        "PC-1 \\Celeron\\512\\80000",
        "Офис",
        "PC-5 \\512",
        "",
    };
    EXPECT_EQ(Texts(summary), expected);
    ASSERT_EQ(summary.paragraphs.size(), expected.size());
    ExpectLook(summary.paragraphs[0], {Alignment::Center, false, 0, 20, true, false, true});
    ExpectLook(summary.paragraphs[1], {Alignment::Left, false, 0, 20, true, false, true});
    const Look heading{Alignment::Left, false, 0, 16, true, false, true};
    const Look device{Alignment::Left, true, 10, 12, false, false, false};
    for (const std::size_t i : {3u, 5u, 9u, 13u, 16u}) {
        ExpectLook(summary.paragraphs[i], heading);
    }
    for (const std::size_t i : {4u, 6u, 8u, 12u, 15u, 17u}) {
        ExpectLook(summary.paragraphs[i], device);
    }
    ExpectLook(summary.paragraphs.back(), {Alignment::Left, false, 0, 12, false, false, false});
}

TEST_F(SummariesTest, ProgramsSummaryListsEachProgramWithTheComputersThatHaveIt) {
    std::vector<std::string> lines;
    for (const SummaryLine& line : ProgramsSummary(tree, *device)) {
        lines.push_back(std::to_string(line.level) + " " + std::to_string(line.icon) + " " +
                        core::Cp1251ToUtf8(line.caption));
    }
    // Names are compared exactly, so "word" is a program of its own; a program listed twice counts twice.
    const std::vector<std::string> expected{
        "0 2 Excel [2 польз.]", "1 4 \\\\Завод\\Цех\\Петров\\PC-1", "1 4 \\\\Завод\\Склад\\PC-3",
        "0 2 Word [2 польз.]",  "1 4 \\\\Завод\\Цех\\Петров\\PC-1", "1 4 \\\\Завод\\Цех\\Петров\\PC-1",
        "0 2 word [1 польз.]",  "1 4 \\\\Завод\\Цех\\PC-2",
    };
    EXPECT_EQ(lines, expected);
}

} // namespace
} // namespace pelgo::reports
