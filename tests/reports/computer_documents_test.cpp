// The computer passport and the account card: texts and paragraph attributes, the parameters taken from the
// archive, the department and employee lines, the attached devices and the failure lines, over real tables.
#include "reports/computer_documents.h"

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

TEST(ComputerPassportTest, HeadingsAreFollowedByTheirFirstChildThenCommentsAndDate) {
    archive::ViewTree tree;
    tree.Add(archive::ViewTree::kTop, "Info line", 1);
    const int computer = tree.Add(archive::ViewTree::kTop, "Computer", 2);
    tree.Add(computer, "CPU : Celeron", 3);
    tree.Add(computer, "Board : P5K", 3);
    const int devices = tree.Add(archive::ViewTree::kTop, "Windows_Devices", 2);
    // A group as the first child is written as the heading's plain line, not as a heading of its own.
    const int display = tree.Add(devices, "Display", 4);
    tree.Add(display, "NVIDIA", 5);
    tree.Add(devices, "Sound", 4);

    const RichText passport =
        ComputerPassport(tree, Utf8ToCp1251("\\\\Завод\\PC №17"), {Utf8ToCp1251("куплен в 2005"), "ok"}, kDate);

    const Look plain{Alignment::Left, false, 60, 20, false, false, false};
    const Look heading{Alignment::Left, true, 40, 20, true, false, true};
    const std::vector<std::pair<std::string, Look>> expected{
        {"", {Alignment::Left, false, 0, 12, false, false, false}},
        {"Паспорт компьютера", {Alignment::Center, false, 0, 24, true, true, true}},
        {"", {Alignment::Center, false, 0, 20, false, false, true}},
        {"\\\\Завод\\PC №17", {Alignment::Center, false, 0, 20, false, false, true}},
        {"", {Alignment::Center, false, 0, 20, false, false, true}},
        {"Info line", {Alignment::Left, true, 40, 20, false, false, false}},
        {"Computer", heading},
        {"CPU : Celeron", plain},
        {"Board : P5K", plain},
        {"Windows_Devices", heading},
        {"Display", plain},
        {"NVIDIA", plain},
        {"Sound", plain},
        {"Комментарий", heading},
        {"куплен в 2005", plain},
        {"ok", plain},
        {"", {Alignment::Right, false, 60, 20, false, false, false, 20}},
        {"Дата составления : 11.12.2026", {Alignment::Right, false, 60, 20, false, false, false, 20}},
    };
    ASSERT_EQ(passport.paragraphs.size(), expected.size()) << ::testing::PrintToString(Texts(passport));
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(ParagraphUtf8(passport.paragraphs[i]), expected[i].first);
        ExpectLook(passport.paragraphs[i], expected[i].second, "paragraph " + std::to_string(i));
    }
}

TEST(ComputerPassportTest, AnEmptyArchiveGivesTitlePathAndDateOnly) {
    const RichText passport = ComputerPassport(archive::ViewTree(), "\\\\PC", {}, kDate);
    EXPECT_EQ(Texts(passport), (std::vector<std::string>{"", "Паспорт компьютера", "", "\\\\PC", "", "",
                                                         "Дата составления : 11.12.2026"}));
}

// Склад (the bucket)
//   Б
//     PC-5, address 000000000005
// Завод
//   Цех
//     PC-4, address 000000000004 (straight under the department)
//     Петров
//       Монитор Петрова
//       PC-1, address 0050BA1C2D3E, with a scanner and a note
//     Сидоров
//       Принтер Сидорова
//     Принтер цеха
//     Заметка цеха (a note)
//   Гараж
//     Кузнецов
//       PC-2, address 000000000002
//   Копир
// PC-3, address 000000000003 (top level)
// PC-6 (a computer without an address node)
class AccountCardTest : public testing::ReportTablesTest {
protected:
    AccountCardTest() {
        TreeNode* store = &Add(nullptr, "Склад", structure::kIconDepartment);
        TreeNode* b = &Add(store, "Б", structure::kIconDepartment);
        pc5 = &Computer(b, "PC-5", "000000000005");
        TreeNode* plant = &Add(nullptr, "Завод", structure::kIconDepartment);
        TreeNode* shop = &Add(plant, "Цех", structure::kIconDepartment);
        pc4 = &Computer(shop, "PC-4", "000000000004");
        petrov = &Add(shop, "Петров", structure::kIconEmployee);
        Add(petrov, "Монитор Петрова", 5);
        pc1 = &Computer(petrov, "PC №17", "0050BA1C2D3E");
        Add(pc1, "Сканер", 7);
        Add(pc1, "Заметка", structure::kIconNote);
        TreeNode* sidorov = &Add(shop, "Сидоров", structure::kIconEmployee);
        Add(sidorov, "Принтер Сидорова", 6);
        Add(shop, "Принтер цеха", 6);
        Add(shop, "Заметка цеха", structure::kIconNote);
        TreeNode* garage = &Add(plant, "Гараж", structure::kIconDepartment);
        TreeNode* kuznetsov = &Add(garage, "Кузнецов", structure::kIconEmployee);
        pc2 = &Computer(kuznetsov, "PC-2", "000000000002");
        Add(plant, "Копир", 12);
        pc3 = &Computer(nullptr, "PC-3", "000000000003");
        pc6 = &Add(nullptr, "PC-6", structure::kIconComputer);

        for (const char* address : {"000000000002", "000000000003", "000000000004", "000000000005"}) {
            device->Append({address, "Info", "Computer_Name", "PC"});
        }
        Archive("0050BA1C2D3E", {{"Info", "Record_Date", "10.12.2026 09:15:00"},
                                 {"Computer", "MotherBoard", "ASUS P5K"},
                                 {"Computer", "BIOS", "Award"},
                                 {"Computer", "CPU", "Celeron"},
                                 {"Current_Config", "Device_1", "Net Realtek"}});
        Store(*pc1, "aModel", "Depo 220");
        Store(*pc1, "aInumber", "-");
        Store(*pc1, "aZavNum", "SN 1207");
        Store(*pc1, "aPlomba", "77");
        pc1->Record()->comments = std::vector<std::string>{Utf8ToCp1251("в ремонте"), "2005"};
    }

    RichText Card(const TreeNode* node) { return AccountCard(tree, node, *device, *additional, kDate); }

    TreeNode* petrov = nullptr;
    TreeNode* pc1 = nullptr;
    TreeNode* pc2 = nullptr;
    TreeNode* pc3 = nullptr;
    TreeNode* pc4 = nullptr;
    TreeNode* pc5 = nullptr;
    TreeNode* pc6 = nullptr;
};

TEST_F(AccountCardTest, TheWholeCardWithItsAttributes) {
    const RichText card = Card(pc1);
    const std::string ruled = "|\t|\t\t\t\t|\t\t\t\t|\t\t|\t\t|";
    std::vector<std::string> expected{
        "Учетная карточка технических средств",
        "",
        "N ___________",
        "",
        "",
        "Дата составления : 11.12.2026",
        "",
        "",
        "",
        "Подразделение\tЗавод\\Цех",
        "Ф.И.О.\t\tПетров",
        "",
        "PC №17",
        "",
        "Сис.плата \tASUS P5K Award",
        "Процессор \tCeleron",
        "Сетевая карта\tRealtek",
        "Дата заполн.\t10.12.2026 09:15:00",
        "Модель     \tDepo 220",
        "Заводской №\tSN 1207",
        "Пломба    №\t77",
        "Дополнительно\tв ремонте",
        "\t2005",
        "",
        "Сканер",
        "Принтер цеха",
        "",
        "",
        "Технические средства принял(а) _____________ /\t\t\t\t/",
        "",
        "",
        "",
        "Переданное и установленное оборудование :",
        "",
        "   Дата\t\tНаименование\t\t\tИнв.N\t\t           Сдал\t         Принял\t",
    };
    for (int i = 0; i < 12; ++i) {
        expected.push_back(ruled);
    }
    ASSERT_EQ(Texts(card), expected);

    // The title colour, once set, stays for the whole card.
    const std::pair<std::size_t, Look> looks[] = {
        {0, {Alignment::Center, false, 0, 30, true, false, true}},
        {2, {Alignment::Center, false, 0, 20, true, false, true}},
        {5, {Alignment::Right, false, 0, 14, true, false, true}},
        {9, {Alignment::Left, false, 20, 16, false, false, true}},
        {10, {Alignment::Left, false, 20, 16, false, false, true}},
        {12, {Alignment::Center, false, 20, 20, false, false, true}},
        {14, {Alignment::Left, true, 30, 20, false, false, true}},
        {21, {Alignment::Left, true, 30, 20, false, false, true}},
        {23, {Alignment::Left, true, 30, 20, false, false, true}},
        {24, {Alignment::Center, true, 20, 20, false, false, true}},
        {28, {Alignment::Left, false, 20, 16, false, false, true}},
        {32, {Alignment::Center, false, 0, 16, true, false, true}},
        {33, {Alignment::Center, false, 0, 16, false, false, true}},
        {34, {Alignment::Center, false, 0, 14, false, true, true}},
        {35, {Alignment::Center, false, 0, 14, false, false, true}},
        {36, {Alignment::Center, false, 0, 14, false, true, true}},
        {46, {Alignment::Center, false, 0, 14, false, true, true}},
    };
    for (const auto& [index, look] : looks) {
        ExpectLook(card.paragraphs[index], look, "paragraph " + std::to_string(index));
    }
}

TEST_F(AccountCardTest, ParametersAreFiledFromTheArchiveAndPrintedInTheirOrder) {
    struct Case {
        const char* name;
        std::vector<std::vector<std::string>> lines;
        std::vector<std::string> printed;
    };
    const std::string longModel(250, 'x');
    const Case cases[] = {
        {"two boards, one BIOS",
         {{"Computer", "MotherBoard", "ASUS P5K"}, {"Computer", "BIOS", "Award"}, {"Computer", "MotherBoard", "MSI"}},
         {"Сис.плата \tASUS P5K Award", "Сис.плата \tMSI"}},
        {"a BIOS without a board",
         {{"Computer", "BIOS", "Award"}, {"Computer", "CPU", "Celeron"}},
         {"Процессор \tCeleron"}},
        {"current configuration texts",
         {{"Current_Config", "Device_1", "HDD"},
          {"Current_Config", "Device_2", "HDD  ST380"},
          {"Current_Config", "Device_3", "NETWORK Realtek 8139"},
          {"Current_Config_Old", "Device_4", "display nv 8600"},
          {"Windows_Devices", "Dev_1", "CDROM Sony"},
          {"Current_Config", "Device_5", "HDD " + longModel}},
         {"HDD модель\t ST380", "HDD модель\t" + longModel.substr(0, 200), "Видео карта\tnv 8600",
          "Сетевая карта\tRealtek 8139"}},
        {"every parameter, filed in reverse",
         {{"Info", "Record_Date", "10.12.2026"},
          {"Info", "Computer_Name", "PC-BUH"},
          {"Info", "System", "Windows XP"},
          {"Info", "MAC_Addr", "000000000003"},
          {"Current_Config", "Device_1", "Net Intel"},
          {"Current_Config", "Device_2", "Monitor LG"},
          {"Current_Config", "Device_3", "Display ATI"},
          {"Current_Config", "Device_4", "CDROM NEC"},
          {"Current_Config", "Device_5", "HDD WD"},
          {"Computer", "Total_HDD_in_Mb", "80000"},
          {"Computer", "Memory_in_Mb", "512"},
          {"computer", "CPU", "lower-case group"},
          {"Computer", "CPU", "Pentium"},
          {"Computer", "MotherBoard", "Intel D865"}},
         {"Сис.плата \tIntel D865", "Процессор \tPentium", "Память    \t512 Мб", "HDD размер\t80000 Мб",
          "HDD модель\tWD", "CD-Rom    \tNEC", "Видео карта\tATI", "Монитор   \tLG", "Сетевая карта\tIntel",
          "MAC адрес  \t000000000003", "Операц.сис.\tWindows XP", "Имя комп.  \tPC-BUH", "Дата заполн.\t10.12.2026"}},
    };
    int number = 10;
    for (const Case& c : cases) {
        const std::string address = "0000000000" + std::to_string(number++);
        Archive(address, c.lines);
        tree.SetText(*tree.Next(*pc3), address);
        std::vector<std::string> printed;
        for (const Paragraph& paragraph : Card(pc3).paragraphs) {
            if (paragraph.bullet && !ParagraphUtf8(paragraph).empty()) {
                printed.push_back(ParagraphUtf8(paragraph));
            }
        }
        EXPECT_EQ(printed, c.printed) << c.name;
    }
}

TEST_F(AccountCardTest, DepartmentEmployeeAndAttachedDevicesDependOnThePlace) {
    struct Case {
        const char* name;
        const TreeNode* computer;
        std::vector<std::string> heading; // the "Подразделение" and "Ф.И.О." lines
        std::vector<std::string> devices;
    };
    const Case cases[] = {
        {"last child of an employee",
         pc1,
         {"Подразделение\tЗавод\\Цех", "Ф.И.О.\t\tПетров"},
         {"Сканер", "Принтер цеха"}},
        {"under a department", pc4, {"Подразделение\tЗавод\\Цех"}, {"Принтер цеха"}},
        {"the employee is the last child too", pc2, {"Подразделение\tЗавод\\Гараж", "Ф.И.О.\t\tКузнецов"}, {"Копир"}},
        {"top level", pc3, {}, {}},
        {"a one-letter department is glued to the one above", pc5, {"Подразделение\tСкладБ"}, {}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> heading;
        std::vector<std::string> devices;
        for (const Paragraph& paragraph : Card(c.computer).paragraphs) {
            const std::string text = ParagraphUtf8(paragraph);
            if (text.starts_with("Подразделение") || text.starts_with("Ф.И.О.")) {
                heading.push_back(text);
            }
            // Devices are the only centred lines in the bulleted part.
            if (paragraph.bullet && paragraph.alignment == Alignment::Center) {
                devices.push_back(text);
            }
        }
        EXPECT_EQ(heading, c.heading) << c.name;
        EXPECT_EQ(devices, c.devices) << c.name;
    }
}

TEST_F(AccountCardTest, FailuresGiveOneLine) {
    const std::pair<const TreeNode*, std::string> cases[] = {
        {petrov, "Нельзя сформировать учетную карточку"},
        {pc6, "Нельзя сформировать учетную карточку"},
        {nullptr, "Нельзя сформировать учетную карточку"},
    };
    for (const auto& [node, line] : cases) {
        EXPECT_EQ(Texts(Card(node)), std::vector<std::string>{line});
    }
    tree.SetText(*tree.Next(*pc3), "00E04C000001");
    const RichText card = Card(pc3);
    EXPECT_EQ(Texts(card), std::vector<std::string>{"Ошибочный MAC-адрес 00E04C000001"});
    ExpectLook(card.paragraphs[0], {Alignment::Left, false, 0, 12, false, false, false}, "failure");
}

} // namespace
} // namespace pelgo::reports
