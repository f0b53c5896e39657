// The revision: which rule picks an archive line, the headings around the listed lines, replacements, the
// table's records and the command around the report.
#include "reports/revision.h"

#include <gtest/gtest.h>

#include "core/cp1251.h"
#include "reports/report_fixture.h"
#include "reports/report_look.h"
#include "structure/node_record.h"
#include "structure/node_types.h"
#include "support/scripted_dialog.h"

namespace pelgo::reports {
namespace {

using core::Utf8ToCp1251;
using settings::RevisionRule;
using structure::TreeNode;
using testing::Texts;

constexpr const char* kDate = "11.12.2026";

RevisionRule Rule(const char* group, const char* name, const char* typ, const char* text) {
    return {Utf8ToCp1251(group), Utf8ToCp1251(name), Utf8ToCp1251(typ), Utf8ToCp1251(text)};
}

std::vector<std::string> Cp(const std::vector<std::string>& utf8) {
    std::vector<std::string> texts;
    for (const std::string& text : utf8) {
        texts.push_back(Utf8ToCp1251(text));
    }
    return texts;
}

struct PickCase {
    const char* what;
    std::vector<RevisionRule> rules;
    bool caseSensitive;
    const char* group;
    const char* name;
    const char* text;
    int answer;
};

TEST(LineSelectionTest, PicksTheRuleALineBelongsTo) {
    const std::vector<RevisionRule> continued{Rule("HDD", "", "Есть", "WD"), Rule("HDD", "", "+Есть", "SATA")};
    const std::vector<RevisionRule> excluded{Rule("HDD", "", "Есть", ""), Rule("HDD", "", "Нет", "USB"),
                                             Rule("Computer", "CPU", "Есть", "")};
    const std::vector<RevisionRule> below{Rule("Computer", "Memory_in_Mb", "<", "512")};
    const std::vector<RevisionRule> anyGroup{Rule("<любая>", "CPU", "Есть", "intel")};
    const std::vector<PickCase> cases{
        {"continuation met", continued, false, "HDD", "Model", "WD 80 SATA", 2},
        {"continuation missed", continued, false, "HDD", "Model", "WD 80 IDE", 0},
        {"other group", continued, false, "HDD2", "Model", "WD 80 SATA", 0},
        {"exclusion vetoes", excluded, false, "HDD", "Model", "USB stick", 0},
        {"exclusion passed", excluded, false, "HDD", "Model", "IDE", 1},
        {"numbered past the exclusion", excluded, false, "Computer", "CPU", "Intel", 2},
        {"256 below 512", below, false, "Computer", "Memory_in_Mb", "256", 1},
        {"1024 above 0512", below, false, "Computer", "Memory_in_Mb", "1024", 0},
        {"equal is not below", below, false, "Computer", "Memory_in_Mb", "512", 0},
        {"<> as <", {Rule("Computer", "", "<>", "512")}, false, "Computer", "Memory_in_Mb", "256", 1},
        {"= never", {Rule("Computer", "", "=", "512")}, false, "Computer", "Memory_in_Mb", "512", 0},
        {">=", {Rule("Computer", "", ">=", "512")}, false, "Computer", "Memory_in_Mb", "512", 1},
        {">", {Rule("Computer", "", ">", "512")}, false, "Computer", "Memory_in_Mb", "1024", 1},
        {"comparison after a pick",
         {Rule("Computer", "", "", ""), Rule("Computer", "", ">", "0")},
         false,
         "Computer",
         "CPU",
         "9",
         1},
        {"empty TYP includes", {Rule("Computer", "CPU", "", "Intel")}, false, "Computer", "CPU", "Intel Core", 1},
        {"GROUP with <", anyGroup, false, "Device", "CPU", "Intel", 1},
        {"empty GROUP", {Rule("", "CPU", "Есть", "")}, false, "Computer", "CPU", "x", 1},
        {"GROUP is a whole group", {Rule("Comp", "", "Есть", "")}, false, "Computer", "CPU", "x", 0},
        {"NAME only after the first character", {Rule("", "Computer", "Есть", "")}, false, "", "Computer", "x", 0},
        {"NAME is not the group", {Rule("", "Computer", "Есть", "")}, false, "Computer", "CPU", "x", 0},
        {"NAME with <", {Rule("Computer", "<любой>", "Есть", "x")}, false, "Computer", "CPU", "x", 1},
        {"star", {Rule("Computer", "", "Есть", "*")}, false, "Computer", "CPU", "anything", 1},
        {"case folded", anyGroup, false, "computer", "cpu", "INTEL", 1},
        {"case kept", anyGroup, true, "Computer", "CPU", "Intel", 0},
        {"case kept, exact", anyGroup, true, "Computer", "CPU", "intel", 1},
        {"Cyrillic folded", {Rule("Диски", "", "Есть", "жёсткий")}, false, "ДИСКИ", "x", "ЖёСТКИЙ", 1},
        {"ё stays ё", {Rule("Диски", "", "Есть", "ё")}, false, "Диски", "x", "Ё", 0},
        {"first inclusion wins", {Rule("HDD", "", "", ""), Rule("HDD", "", "", "WD")}, false, "HDD", "x", "WD", 1},
        {"later inclusion", {Rule("CPU", "", "", ""), Rule("HDD", "", "", "WD")}, false, "HDD", "x", "WD", 2},
    };
    for (const PickCase& c : cases) {
        SCOPED_TRACE(c.what);
        const LineSelection selection(c.rules, c.caseSensitive, Utf8ToCp1251("Нет"));
        EXPECT_EQ(selection.Pick(Utf8ToCp1251(c.group), Utf8ToCp1251(c.name), Utf8ToCp1251(c.text)), c.answer);
    }
}

TEST(LineSelectionTest, DescribesTheNumberedRules) {
    const LineSelection selection({Rule("HDD", "", "Есть", ""), Rule("HDD", "", "нет ", "USB"),
                                   Rule("Computer", "CPU", "<", "512"), Rule("", "", "", "")},
                                  false, Utf8ToCp1251("Нет"));
    EXPECT_EQ(selection.ColumnDescriptions(), Cp({"HDD", "Computer CPU=512", ""}));
}

TEST(RevisionTextTest, UpperCaseAndReplacement) {
    EXPECT_EQ(RevisionUpper(Utf8ToCp1251("abz xyz абвгдеяё ЁЖ ўі 1!")), Utf8ToCp1251("ABZ XYZ АБВГДЕЯё ЁЖ ўі 1!"));

    const shell::Entries pairs{{"Seagate", "HDD Seagate"}, {"USB", ""}, {"seag", "lower"}};
    struct Case {
        const char* text;
        bool replace;
        const char* value;
    };
    const std::vector<Case> cases{
        {"Seagate 80", true, "HDD Seagate"}, {"Seagate 80", false, "Seagate 80"},  {"USB flash", true, ""},
        {"seagate 80", true, "lower"},       {"Seagate USB", true, "HDD Seagate"}, {"WD 80", true, "WD 80"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ReplacedValue(c.text, pairs, c.replace), c.value);
    }
}

// Цех
//   Петров
//     PC-1 (000000000001): two CPU lines, memory, a drive
//     LG 17 (a monitor)
//   Сидоров
//     PC-2 (000000000002): an AMD processor
// Склад
//   Иванов
//     PC-3 (000000000003): a Celeron the rules exclude
//   PC-5 (000000000005): no archive lines
// Офис
//   PC-4 (000000000004), directly under the department
class RevisionTest : public testing::ReportTablesTest {
protected:
    RevisionTest() : ReportTablesTest(NodeRecords::None) {
        TreeNode* shop = &Add(nullptr, "Цех", structure::kIconDepartment);
        TreeNode* petrov = &Add(shop, "Петров", structure::kIconEmployee);
        Computer(petrov, "PC-1", "000000000001",
                 {{"Computer", "CPU", "Intel"},
                  {"Computer", "Memory_in_Mb", "512"},
                  {"Drive", "Drive_C", "WD 80"},
                  {"Computer", "CPU", "AMD"}});
        Add(petrov, "LG 17", 5);
        TreeNode* sidorov = &Add(shop, "Сидоров", structure::kIconEmployee);
        pc2 = &Computer(sidorov, "PC-2", "000000000002", {{"Computer", "CPU", "AMD"}});
        TreeNode* store = &Add(nullptr, "Склад", structure::kIconDepartment);
        Computer(&Add(store, "Иванов", structure::kIconEmployee), "PC-3", "000000000003",
                 {{"Computer", "CPU", "Celeron"}});
        Computer(store, "PC-5", "000000000005", {});
        Computer(&Add(nullptr, "Офис", structure::kIconDepartment), "PC-4", "000000000004",
                 {{"Computer", "CPU", "Intel"}});

        options.departmentOnly = false;
        options.rules = {Rule("Computer", "CPU", "Есть", ""), Rule("Computer", "CPU", "Нет", "Celeron"),
                         Rule("Drive", "", "Есть", "")};
    }

    // Only computers carry a record, its UNO made from the address so that the table's rows are known beforehand.
    TreeNode& Computer(TreeNode* parent, const char* text, const std::string& address,
                       const std::vector<std::vector<std::string>>& lines) {
        TreeNode& computer = ReportTablesTest::Computer(parent, text, address, lines);
        tree.SetRecord(computer,
                       std::make_unique<structure::TKelRec>(structure::TKelRec{"UNO" + address.substr(3), {}}));
        return computer;
    }
    Revision Make(bool withTable = false, const TreeNode* selected = nullptr) {
        return MakeRevision(tree, selected, *device, options, kDate, withTable);
    }

    TreeNode* pc2 = nullptr;
    RevisionOptions options;
};

TEST_F(RevisionTest, HeadingsStandOnlyAboveListedLinesWhenSkippingEmpty) {
    struct Case {
        const char* what;
        bool skipEmpty;
        bool departmentOnly;
        std::vector<std::string> lines;
    };
    // Цех lists the same under each of these options; what follows it is what they change.
    const auto report = [](const char* title, const std::vector<std::string>& after) {
        std::vector<std::string> all{title,   "",        "", "Цех",   "", "<Цех> Петров",  "PC-1", "CPU:Intel",
                                     "WD 80", "CPU:AMD", "", "LG 17", "", "<Цех> Сидоров", "PC-2", "CPU:AMD",
                                     ""};
        all.insert(all.end(), after.begin(), after.end());
        return all;
    };
    const char* enterprise = "Общая ревизия оргтехники на 11.12.2026";
    const std::vector<Case> cases{
        // Иванов's computer lists nothing: his heading must not turn up under Офис.
        {"skip empty", true, false, report(enterprise, {"", "Офис", "PC-4", "CPU:Intel", ""})},
        {"every heading", false, false,
         report(enterprise,
                {"", "Склад", "", "<Склад> Иванов", "PC-3", "", "PC-5", "", "Офис", "PC-4", "CPU:Intel", ""})},
        {"department of PC-2", true, true, report("Цех, Ревизия оргтехники на 11.12.2026", {})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        options.skipEmpty = c.skipEmpty;
        options.departmentOnly = c.departmentOnly;
        const Revision revision = Make(false, pc2);
        EXPECT_EQ(revision.title, Utf8ToCp1251(c.lines.front()));
        EXPECT_EQ(Texts(revision.text), c.lines);
    }
}

TEST_F(RevisionTest, AnEmployeeWithNothingListedStaysOffTheComputerBesideHim) {
    TreeNode* depot = &Add(nullptr, "Депо", structure::kIconDepartment);
    Computer(&Add(depot, "Кузнецов", structure::kIconEmployee), "PC-7", "000000000007",
             {{"Computer", "CPU", "Celeron"}});
    Computer(depot, "PC-8", "000000000008", {{"Computer", "CPU", "Intel"}});
    options.skipEmpty = true;
    const std::vector<std::string> lines = Texts(Make().text);
    const std::vector<std::string> tail(lines.end() - 5, lines.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"", "Депо", "PC-8", "CPU:Intel", ""}));
}

TEST_F(RevisionTest, HeadingsOfOneCharacterAreNeverWritten) {
    Computer(&Add(&Add(nullptr, "Х", structure::kIconDepartment), "Ю", structure::kIconEmployee), "PC-6",
             "000000000006", {{"Computer", "CPU", "Intel"}});
    for (const bool skipEmpty : {true, false}) {
        SCOPED_TRACE(skipEmpty);
        options.skipEmpty = skipEmpty;
        const std::vector<std::string> lines = Texts(Make().text);
        const std::vector<std::string> tail(lines.end() - 4, lines.end());
        EXPECT_EQ(tail, (std::vector<std::string>{"", "PC-6", "CPU:Intel", ""}));
    }
}

TEST_F(RevisionTest, WithoutSelectionEveryLineIsListed) {
    options.selection = false;
    options.departmentOnly = true;
    const std::vector<std::string> lines = Texts(Make(true, pc2).text);
    const std::vector<std::string> pc1(lines.begin() + 6, lines.begin() + 11);
    EXPECT_EQ(pc1, (std::vector<std::string>{"PC-1", "CPU:Intel", "Memory_in_Mb:512", "WD 80", "CPU:AMD"}));
    EXPECT_TRUE(Make(true, pc2).table.records.empty());
}

TEST_F(RevisionTest, StylesOfHeadingsAndValues) {
    const RichText text = Make().text;
    using testing::ExpectLook;
    using testing::Look;
    const Look department{Alignment::Center, false, 0, 20, true, true, true};
    const Look employee{Alignment::Left, false, 30, 16, false, false, true};
    const Look value{Alignment::Left, true, 30, 12, false, false, false};
    const Look other{Alignment::Left, false, 0, 16, false, false, true};
    ExpectLook(text.paragraphs[0], {Alignment::Center, false, 0, 20, true, false, true}, "title");
    ExpectLook(text.paragraphs[3], department, "department");
    ExpectLook(text.paragraphs[5], employee, "employee");
    ExpectLook(text.paragraphs[6], employee, "computer");
    ExpectLook(text.paragraphs[7], value, "value");
    ExpectLook(text.paragraphs[11], other, "monitor");
}

TEST_F(RevisionTest, ReplacementsRewriteOrDropLinesAndTheirColumns) {
    options.replacements = {{"AMD", ""}, {"WD", "Western Digital"}};
    struct Case {
        bool replace;
        std::vector<std::vector<std::string>> records;
    };
    const std::vector<Case> cases{
        {true,
         {{"INDEX", "Общая ревизия оргтехники на 11.12.2026", "", "Computer CPU", "Drive"},
          {"UNO000000001", "\\\\Цех\\Петров", "PC-1", "Intel", "Western Digital"},
          {"UNO000000002", "\\\\Цех\\Сидоров", "PC-2", "", ""},
          {"UNO000000004", "\\\\Офис", "PC-4", "Intel", ""}}},
        {false,
         {{"INDEX", "Общая ревизия оргтехники на 11.12.2026", "", "Computer CPU", "Drive"},
          {"UNO000000001", "\\\\Цех\\Петров", "PC-1", "Intel; AMD", "WD 80"},
          {"UNO000000002", "\\\\Цех\\Сидоров", "PC-2", "AMD", ""},
          {"UNO000000004", "\\\\Офис", "PC-4", "Intel", ""}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.replace);
        options.replace = c.replace;
        const Revision revision = Make(true);
        EXPECT_EQ(revision.table.columns, 2U);
        std::vector<std::vector<std::string>> expected;
        for (const std::vector<std::string>& record : c.records) {
            expected.push_back(Cp(record));
        }
        EXPECT_EQ(revision.table.records, expected);
    }
    // Replaced away, PC-2's only line takes Сидоров's headings with it.
    options.replace = true;
    EXPECT_EQ(Texts(Make().text), (std::vector<std::string>{"Общая ревизия оргтехники на 11.12.2026", "", "", "Цех", "",
                                                            "<Цех> Петров", "PC-1", "CPU:Intel", "Western Digital", "",
                                                            "LG 17", "", "Офис", "PC-4", "CPU:Intel", ""}));
}

TEST_F(RevisionTest, TableIsWrittenWithItsFieldsAndRecords) {
    const Revision revision = Make(true);
    WriteRevisionTable(dir / "revizia.DBF", revision.table, clock);
    platform::DbfTable table = platform::DbfTable::Open(dir / "revizia.DBF", platform::DbfOpenMode::ReadOnly, clock);
    std::vector<std::pair<std::string, int>> fields;
    for (const platform::DbfField& field : table.Fields()) {
        fields.emplace_back(field.name, field.length);
    }
    EXPECT_EQ(fields, (std::vector<std::pair<std::string, int>>{
                          {"UNO", 12}, {"OVNER", 150}, {"COMPUTER", 80}, {"FIELD1", 150}, {"FIELD2", 150}}));
    std::vector<std::vector<std::string>> records;
    table.Walk([&](const platform::DbfRecord& record) { records.push_back(record.values); });
    EXPECT_EQ(records, revision.table.records);
}

TEST_F(RevisionTest, RunAsksForTheTableFileAndReportsTheOutcome) {
    struct Case {
        const char* what;
        std::vector<RevisionRule> rules;
        bool createTable;
        bool asked;
        std::optional<std::string> choice; // relative to the test folder
        const char* message;
        bool written;
    };
    const std::vector<Case> cases{
        {"written", options.rules, true, true, "revizia.DBF", "Создана база данных", true},
        {"cancelled", options.rules, true, true, std::nullopt, nullptr, false},
        {"no table asked", options.rules, false, false, std::nullopt, nullptr, false},
        {"only exclusions",
         {Rule("Computer", "", "Нет", "")},
         true,
         false,
         std::nullopt,
         "Задайте хоть одно \"зеленое\" поле для выборки !",
         false},
        {"unwritable", options.rules, true, true, "device.dbf/revizia.DBF", "device.dbf/revizia.DBF", false},
        {"the settings file", options.rules, true, true, "pelgo.ini", "это файл данных программы", false},
    };
    const shell::Settings settings(dir.Path());
    core::WriteFileAtomically(dir / "pelgo.ini", "[Setup]\r\n");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        core::RemoveFile(dir / "revizia.DBF");
        testing::ScriptedDialog dialog;
        options.rules = c.rules;
        if (c.asked) {
            dialog.ExpectFileChoice(c.choice ? std::optional(dir / *c.choice) : std::nullopt);
        }
        if (c.message != nullptr) {
            dialog.ExpectMessage(c.message);
        }
        const Revision revision =
            RunRevision(tree, nullptr, *device, options, kDate, c.createTable, dialog, settings, clock);
        EXPECT_EQ(Texts(revision.text).front(), "Общая ревизия оргтехники на 11.12.2026");
        EXPECT_EQ(core::FileExists(dir / "revizia.DBF"), c.written);
        if (c.written) {
            EXPECT_TRUE(dialog.shown.back().ends_with("\r\n" + dir / "revizia.DBF"));
        }
        EXPECT_EQ(core::ReadFileBytes(dir / "pelgo.ini"), "[Setup]\r\n");
    }
}

} // namespace
} // namespace pelgo::reports
