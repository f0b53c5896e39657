// The inventory sheet over a small enterprise held in real tables: headers, the columns of every group and
// their values, user-defined columns, the type list, the filter, the department scope, both outputs and the
// parameter files.
#include "reports/inventory_sheet.h"

#include <algorithm>
#include <gtest/gtest.h>

#include "core/cp1251.h"
#include "core/errors.h"
#include "core/file.h"
#include "core/profile_file.h"
#include "core/text.h"
#include "reports/report_fixture.h"
#include "support/temp_dir.h"

namespace pelgo::reports {
namespace {

using core::Cp1251ToUtf8;
using core::Utf8ToCp1251;
using structure::TreeNode;

std::size_t ColumnNamed(const char* name) {
    const std::vector<SheetColumn>& columns = SheetColumns();
    const auto found =
        std::find_if(columns.begin(), columns.end(), [&](const SheetColumn& c) { return std::string(c.name) == name; });
    EXPECT_NE(found, columns.end()) << name;
    return static_cast<std::size_t>(found - columns.begin());
}

UserColumn Row(const char* group, const char* name, const char* text) {
    return {Utf8ToCp1251(group), Utf8ToCp1251(name), Utf8ToCp1251(text)};
}

// Завод
//   Петров (phone 12-34)
//     PC №17 (0050BA1C2D3E): a BIOS but no board, two CPU lines, two disks; model "Celeron<TAB>box"
//     Samsung (a monitor)
//   Склад (the last child of Завод)
//     PC-2 (00E04C000002): board and BIOS
//     HP (a printer)
// Офис
//   PC-3 (00E04C000003): no archive
class InventorySheetTest : public testing::ReportTablesTest {
protected:
    InventorySheetTest() : types({}) {
        plant = &Add(nullptr, "Завод", structure::kIconDepartment);
        petrov = &Add(plant, "Петров", structure::kIconEmployee);
        computer = &Computer(petrov, "PC №17", "0050BA1C2D3E");
        Add(petrov, "Samsung", 5);
        store = &Add(plant, "Склад", structure::kIconDepartment);
        Computer(store, "PC-2", "00E04C000002");
        printer = &Add(store, "HP", 6);
        office = &Add(nullptr, "Офис", structure::kIconDepartment);
        Computer(office, "PC-3", "00E04C000003");
        Archive("0050BA1C2D3E", {{"Computer", "BIOS", "Award"},
                                 {"Computer", "CPU", "intel Celeron"},
                                 {"Computer", "CPU", "INTEL Pentium"},
                                 {"Computer", "Chipset", "Pentium intel"},
                                 {"Computer", "Video", "Матрокс G400"},
                                 {"Computer", "Memory_in_Mb", "512"},
                                 {"Info", "Processor", "Intel inside"},
                                 {"Current_Config", "Device_1", "HDD  ST380 "},
                                 {"Current_Config", "Device_2", "hdd WD800"}});
        Archive("00E04C000002", {{"Computer", "MotherBoard", "ASUS P5K"},
                                 {"Computer", "BIOS", "Award"},
                                 {"Computer", "CPU", "AMD Athlon"}});
        Store(*computer, "aModel", "Celeron\tbox");
        Store(*petrov, "aPhone", "12-34");
    }

    // Every column of every group, every type.
    SheetParameters Everything() const {
        SheetParameters parameters = DefaultSheetParameters(types);
        std::fill(parameters.ticked.begin(), parameters.ticked.end(), true);
        parameters.computerGroup = parameters.userColumnsOn = parameters.additionalGroup = true;
        parameters.userColumns = {Row("Computer", "", "Intel")};
        std::fill(parameters.includedTypes.begin(), parameters.includedTypes.end(), true);
        return parameters;
    }

    Sheet Make(const SheetParameters& parameters, const LineSelection* selection = nullptr, SheetScope scope = {}) {
        SheetSources sources{tree, types, *device, *additional};
        return MakeInventorySheet(sources, parameters, DefaultSheetCaptions(), selection, scope);
    }

    structure::NodeTypes types;
    TreeNode* plant = nullptr;
    TreeNode* petrov = nullptr;
    TreeNode* computer = nullptr;
    TreeNode* store = nullptr;
    TreeNode* printer = nullptr;
    TreeNode* office = nullptr;
};

// The value of the column with that UTF-8 header in the row of the node with that caption.
std::string Value(const Sheet& sheet, const char* header, const char* caption) {
    const auto column = std::find(sheet.headers.begin(), sheet.headers.end(), Utf8ToCp1251(header));
    const auto name = std::find(sheet.headers.begin(), sheet.headers.end(), Utf8ToCp1251("Наименование оргтехники"));
    if (column == sheet.headers.end() || name == sheet.headers.end()) {
        ADD_FAILURE() << "no column " << header;
        return {};
    }
    for (const std::vector<std::string>& row : sheet.rows) {
        if (row.at(static_cast<std::size_t>(name - sheet.headers.begin())) == Utf8ToCp1251(caption)) {
            return Cp1251ToUtf8(row.at(static_cast<std::size_t>(column - sheet.headers.begin())));
        }
    }
    ADD_FAILURE() << "no row " << caption;
    return {};
}

std::vector<std::string> Names(const Sheet& sheet) {
    std::vector<std::string> names;
    for (const std::vector<std::string>& row : sheet.rows) {
        names.push_back(Cp1251ToUtf8(row.at(0)));
    }
    return names;
}

TEST(SheetHeaderTest, CaptionIsCutBeforeTheBracketWithNumberSignsAndDotsReplaced) {
    const std::pair<const char*, const char*> cases[] = {
        {"Typ", "Тип оргтехники"}, {"MotherBoard", "Данные о мат_плате"},
        {"InvN", "Инвентарный N"}, {"Index", "Индекс"},
        {"FIO", "ФИО мат_отв_"},   {"Plomba", "N пломбы"},
    };
    for (const auto& [column, header] : cases) {
        EXPECT_EQ(Cp1251ToUtf8(SheetHeader(DefaultSheetCaptions()[ColumnNamed(column)])), header) << column;
    }
}

TEST_F(InventorySheetTest, EveryGroupGivesItsValuesAndEveryRowHasEveryColumn) {
    const Sheet sheet = Make(Everything());
    ASSERT_EQ(sheet.headers.size(), 35u);
    EXPECT_EQ(sheet.rows.size(), 12u); // every node, address nodes included
    for (const std::vector<std::string>& row : sheet.rows) {
        EXPECT_EQ(row.size(), sheet.headers.size()) << Cp1251ToUtf8(row.at(0));
    }

    struct Case {
        const char* caption;
        const char* header;
        const char* value;
    };
    const Case cases[] = {
        {"PC №17", "Индекс", ""}, // filled below: the UNO
        {"PC №17", "Инвентарный номер", "17"},
        {"PC №17", "Тип оргтехники", "Компьютер"},
        {"PC №17", "Владелец оргтехники", "Петров"},
        {"PC №17", "Месторасположение оргтехники", "Завод;Петров"},
        {"PC №17", "Данные о мат_плате", "Award"}, // no board: the BIOS
        {"PC-2", "Данные о мат_плате", "ASUS P5K"},
        {"PC №17", "Наименование процессора", "intel Celeron; INTEL Pentium"},
        {"PC №17", "Обьем ОЗУ", "512"},
        {"PC №17", "Наименование жестких дисков", "ST380; WD800"},
        {"PC №17", "Add_1", "intel Celeron; INTEL Pentium"},
        {"PC №17", "Модель", "Celeron\tbox"},
        {"PC №17", "Телефон", "12-34"}, // the employee's, as the page shows it
        {"Samsung", "Телефон", "12-34"},
        // Nodes that are not computers have empty computer columns.
        {"Завод", "Данные о мат_плате", ""},
        {"Завод", "Add_1", ""},
        {"Samsung", "Наименование процессора", ""},
        {"Завод", "Месторасположение оргтехники", ""},
        {"Samsung", "Инвентарный номер", ""},
    };
    for (const Case& c : cases) {
        const std::string expected = std::string(c.header) == "Индекс" ? computer->Record()->uno : std::string(c.value);
        EXPECT_EQ(Value(sheet, c.header, c.caption), expected) << c.caption << " / " << c.header;
    }

    const std::string path = dir / "sheet.txt";
    WriteSheetText(path, sheet);
    const std::string text = core::ReadFileBytes(path);
    const auto lines = core::SplitLines(text);
    ASSERT_EQ(lines.size(), sheet.rows.size() + 1);
    for (const std::string_view line : lines) {
        EXPECT_EQ(std::count(line.begin(), line.end(), '\t'), 35) << Cp1251ToUtf8(line);
        EXPECT_TRUE(line.ends_with('\t')) << Cp1251ToUtf8(line);
    }
    EXPECT_TRUE(lines[0].starts_with(Utf8ToCp1251("Индекс\tНаименование оргтехники\tИнвентарный номер\t")));
}

TEST_F(InventorySheetTest, UserColumnsMatchGroupAndNameExactlyAndTextAsABeginningInAnyCase) {
    struct Case {
        UserColumn row;
        const char* value; // for PC №17
    };
    const Case cases[] = {
        {Row("Computer", "", "Intel"), "intel Celeron; INTEL Pentium"},
        {Row("Computer", "", "  intel  "), "intel Celeron; INTEL Pentium"},
        {Row("Computer", "CPU", ""), "intel Celeron; INTEL Pentium"},
        // "<" marks the pick lists' "any" entries.
        {Row("<любая>", "<любой>", "intel"), "intel Celeron; INTEL Pentium; Intel inside"},
        {Row("computer", "", "Intel"), ""},
        {Row("Computer", "cpu", ""), ""},
        // Cyrillic letters are compared in upper case too.
        {Row("Computer", "", "матрокс"), "Матрокс G400"},
        {Row("Current_Config", "", "hdd "), "HDD  ST380; hdd WD800"},
    };
    for (const Case& c : cases) {
        SheetParameters parameters = Everything();
        parameters.userColumns = {c.row};
        EXPECT_EQ(Value(Make(parameters), "Add_1", "PC №17"), c.value)
            << Cp1251ToUtf8(c.row.group + "|" + c.row.name + "|" + c.row.text);
    }
}

TEST_F(InventorySheetTest, BlankColumnRowMakesNoColumnAndUserColumnsNeedTheComputerGroup) {
    SheetParameters parameters = DefaultSheetParameters(types);
    parameters.computerGroup = parameters.userColumnsOn = true;
    parameters.userColumns = {Row(" ", "", "  "), Row("Computer", "CPU", "")};
    Sheet sheet = Make(parameters);
    const std::vector<std::string> headers{"Индекс",         "Наименование оргтехники", "Инвентарный номер",
                                           "Тип оргтехники", "Владелец оргтехники",     "Месторасположение оргтехники",
                                           "Add_2"};
    std::vector<std::string> got;
    for (const std::string& header : sheet.headers) {
        got.push_back(Cp1251ToUtf8(header));
    }
    EXPECT_EQ(got, headers);
    EXPECT_EQ(sheet.fieldNames.back(), "ADD_2");
    EXPECT_EQ(sheet.fieldWidths.back(), 200);
    EXPECT_EQ(Value(sheet, "Add_2", "PC-2"), "AMD Athlon");

    parameters.computerGroup = false;
    sheet = Make(parameters);
    EXPECT_EQ(sheet.headers.size(), 6u);
    EXPECT_EQ(sheet.rows.front().size(), 6u);
}

TEST_F(InventorySheetTest, TypesAndScopeChooseTheRows) {
    struct Case {
        const char* name;
        const TreeNode* selected;
        bool departmentOnly;
        std::vector<std::string> names;
    };
    const Case cases[] = {
        // The default types leave out departments, employees, addresses and notes.
        {"enterprise", nullptr, false, {"PC №17", "Samsung", "PC-2", "HP", "PC-3"}},
        {"whole tree, a node selected", petrov, false, {"PC №17", "Samsung", "PC-2", "HP", "PC-3"}},
        {"department of an employee", petrov, true, {"PC №17", "Samsung", "PC-2", "HP"}},
        // A last child: its subtree and nothing after it.
        {"last child", printer, true, {"PC-2", "HP"}},
        {"last top-level node", office, true, {"PC-3"}},
    };
    SheetParameters parameters = DefaultSheetParameters(types);
    parameters.ticked[0] = false;
    for (const Case& c : cases) {
        EXPECT_EQ(Names(Make(parameters, nullptr, {c.departmentOnly, c.selected})), c.names) << c.name;
    }
}

TEST_F(InventorySheetTest, FilterKeepsOnlyComputersWithAPickedLine) {
    SheetParameters parameters = Everything();
    parameters.ticked[0] = false;
    struct Case {
        settings::RevisionRule rule;
        std::vector<std::string> names;
    };
    const Case cases[] = {
        {{"Computer", "CPU", Utf8ToCp1251("Есть"), "athlon"}, {"PC-2"}},
        {{"Computer", "", Utf8ToCp1251("Есть"), ""}, {"PC №17", "PC-2"}},
        {{"Info", "", Utf8ToCp1251("Есть"), "nothing"}, {}},
    };
    for (const Case& c : cases) {
        const LineSelection selection({c.rule}, false, settings::AbsenceWord());
        EXPECT_EQ(Names(Make(parameters, &selection)), c.names) << c.rule.text;
    }
}

TEST(SheetTextTest, ValuesAreTrimmedAndControlsBecomeBlanks) {
    testing::TempDir dir;
    Sheet sheet;
    sheet.headers = {Utf8ToCp1251("Модель"), "B"};
    sheet.rows = {{" Celeron\tbox ", "1\r\n2"}, {"", Utf8ToCp1251("Петров")}};
    const std::string path = dir / "out.txt";
    WriteSheetText(path, sheet);
    EXPECT_EQ(core::ReadFileBytes(path), Utf8ToCp1251("Модель\tB\t\r\nCeleron box\t1  2\t\r\n\tПетров\t\r\n"));
}

TEST_F(InventorySheetTest, TableHasOneFieldPerColumnWithItsWidth) {
    const Sheet sheet = Make(Everything());
    const std::string path = dir / "invvedom.dbf";
    WriteSheetTable(path, sheet, clock);

    const std::vector<std::pair<std::string, int>> expected{
        {"INDEX", 12},       {"NAME", 32},    {"INVNUM", 20},   {"TYP", 12},    {"OVNER", 80},    {"PATH", 100},
        {"MOTHERBOAR", 200}, {"CPU", 150},    {"CPU_CLOCK", 6}, {"RAM", 6},     {"HDD_TOTAL", 6}, {"HDD", 200},
        {"CDROM", 200},      {"NETNAME", 12}, {"MAC", 12},      {"IPADR", 32},  {"NETCARD", 200}, {"VIDEO", 200},
        {"MONITOR", 200},    {"ADD_1", 200},  {"MODEL", 150},   {"INVN", 150},  {"ZAVN", 150},    {"PLOMBA", 150},
        {"ZADACHI", 150},    {"DPRIH", 150},  {"PRICE", 150},   {"SHOP", 150},  {"NAKLAD", 150},  {"DEND", 150},
        {"ROOM", 150},       {"RMESTO", 150}, {"POST", 150},    {"PHONE", 150}, {"FIO", 150}};
    platform::DbfTable table = platform::DbfTable::Open(path, platform::DbfOpenMode::ReadOnly, clock);
    std::vector<std::pair<std::string, int>> fields;
    for (const platform::DbfField& field : table.Fields()) {
        fields.emplace_back(field.name, field.length);
        EXPECT_EQ(field.type, 'C') << field.name;
    }
    EXPECT_EQ(fields, expected);

    std::vector<std::vector<std::string>> stored;
    table.Walk([&](const platform::DbfRecord& record) { stored.push_back(record.values); });
    ASSERT_EQ(stored.size(), sheet.rows.size());
    EXPECT_EQ(stored, sheet.rows);
}

TEST_F(InventorySheetTest, ParametersSurviveTheirFile) {
    SheetParameters parameters = DefaultSheetParameters(types);
    parameters.ticked[ColumnNamed("InvNum")] = false;
    parameters.ticked[ColumnNamed("CPU")] = true;
    parameters.ticked[ColumnNamed("Monitor")] = true;
    parameters.ticked[ColumnNamed("FIO")] = true;
    parameters.computerGroup = true;
    parameters.userColumnsOn = true;
    parameters.additionalGroup = true;
    parameters.userColumns = {Row("Computer", "", "Intel"), Row("Info", "IP_Addr", ""), Row("", "", "a|b")};
    parameters.includedTypes[0] = true;  // departments
    parameters.includedTypes[2] = false; // computers
    parameters.filter = true;
    // In the order the settings keep rules: exclusions first.
    parameters.filterRules = {{"Info", "", Utf8ToCp1251("Нет"), "test"},
                              {"Computer", "CPU", Utf8ToCp1251("Есть"), "Intel"},
                              {"Computer", "", "+" + Utf8ToCp1251("Есть"), "x|y"}};
    parameters.filterCaseSensitive = true;
    parameters.tableFormat = true;

    const std::string path = dir / "params.set";
    SaveSheetParameters(path, parameters);
    EXPECT_EQ(LoadSheetParameters(path, DefaultSheetParameters(types)), parameters);

    core::ProfileFile file(path);
    struct Case {
        const char* section;
        const char* key;
        const char* value;
    };
    const Case cases[] = {
        {"TabSheet1", "InvNum", "0"},
        {"TabSheet2", "CPU", "1"},
        {"TabSheet2", "Enabled", "1"},
        {"StructItems", "2", "2"},
        {"StructItems", "0", "(absent)"},
        {"StructItems", "1", "2"},
        {"TabSheet4", "0", "Computer||Intel"},
        {"TabSheet4", "2", "||a|b"},
        {"TabSheet5", "1", "Computer|CPU|Есть|Intel"},
        {"TabSheet5", "aUpperReviz", "1"},
        {"Out_file", "Out_file_typ", "1"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Cp1251ToUtf8(file.ReadString(c.section, c.key, "(absent)")), c.value) << c.section << " " << c.key;
    }
}

TEST_F(InventorySheetTest, MissingKeysKeepTheCurrentState) {
    const std::string path = dir / "part.set";
    core::WriteFileAtomically(path, "[TabSheet2]\r\nEnabled=1\r\nCPU=1\r\n[Out_file]\r\nOut_file_typ=1\r\n");
    SheetParameters current = DefaultSheetParameters(types);
    current.userColumnsOn = true;
    current.userColumns = {Row("Computer", "", "Intel")};
    current.filterRules = {{"Computer", "CPU", "", ""}};

    SheetParameters expected = current;
    expected.computerGroup = true;
    expected.ticked[ColumnNamed("CPU")] = true;
    expected.tableFormat = true;
    EXPECT_EQ(LoadSheetParameters(path, current), expected);

    // Filtering switched on by the file brings the file's rules, none here.
    core::WriteFileAtomically(path, "[TabSheet5]\r\nEnabled=1\r\n[TabSheet1]\r\nTyp=0\r\n");
    expected = current;
    expected.filter = true;
    expected.filterRules.clear();
    expected.ticked[ColumnNamed("Typ")] = false;
    std::fill(expected.includedTypes.begin(), expected.includedTypes.end(), true); // a saved file's node page
    EXPECT_EQ(LoadSheetParameters(path, current), expected);

    EXPECT_THROW(LoadSheetParameters(dir / "missing.set", current), core::FileError);
}

} // namespace
} // namespace pelgo::reports
