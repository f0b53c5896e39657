// The journal report over a small enterprise held in a real node-record table: one node, a department's
// subtree, the filter by the entry's identifier, and finding a journal by its menu caption.
#include "reports/journal_report.h"

#include <gtest/gtest.h>

#include "core/cp1251.h"
#include "reports/report_writer.h"
#include "structure/node_types.h"
#include "structure/uno.h"
#include "support/temp_dir.h"

namespace pelgo::reports {
namespace {

using core::Utf8ToCp1251;
using structure::TreeNode;

// The report's paragraphs in UTF-8, one per line.
std::vector<std::string> Lines(const RichText& text) {
    std::vector<std::string> lines;
    for (const Paragraph& paragraph : text.paragraphs) {
        lines.push_back(ParagraphUtf8(paragraph));
    }
    return lines;
}

// Alignment, bullet, left indent in points, character height in half-points, bold, title colour.
std::string Attributes(const Paragraph& paragraph) {
    const CharFormat& format = LeadingFormat(paragraph);
    std::string out = "LCRJ"[static_cast<int>(paragraph.alignment)] + std::string(paragraph.bullet ? "*" : "-");
    out += " " + std::to_string(paragraph.leftIndent / 20) + " " + std::to_string(format.halfPoints);
    out += format.bold ? " b" : "";
    out += format.color == kTitleColour ? " t" : (format.color ? " ?" : "");
    return out;
}

class JournalReportTest : public ::testing::Test {
protected:
    JournalReportTest() : journals(structure::JournalDefinitions({})) {
        platform::DbfTable::Create(dir / "other.dbf", platform::kOtherTableFields, clock);
        other.emplace(platform::DbfTable::Open(dir / "other.dbf", platform::DbfOpenMode::Shared, clock));
        other->SetIndex("UNO");
        records.emplace(*other);

        plant = &Add(nullptr, "Завод", structure::kIconDepartment);
        shop = &Add(plant, "Цех", structure::kIconDepartment);
        TreeNode& petrov = Add(shop, "Петров", structure::kIconEmployee);
        computer = &Add(&petrov, "PC №17", structure::kIconComputer);
        TreeNode& monitor = Add(&petrov, "Samsung", 5);
        Add(shop, "Пустой", structure::kIconDepartment);
        TreeNode& accounts = Add(plant, "Бухгалтерия", structure::kIconDepartment);
        store = &Add(nullptr, "Склад", structure::kIconDepartment);

        Store(*shop, "Main", "aRoom", "215");
        Store(*computer, "Main", "aModel", "Celeron");
        Store(*computer, "0;1 , 01.12.2026", "Edit1", "Сервис");
        // An entry of another journal between two records of one entry does not start it again.
        Store(*computer, "1;1 , 02.12.2026", "Edit1", "Память");
        Store(*computer, "0;1 , 01.12.2026", "Edit2", "Не включается");
        Store(*computer, "0;1 , 01.12.2026", "File_2", "act.doc");
        Store(*computer, "11;Чужая", "Edit1", "Не из этого журнала");
        Store(*computer, "0;2 , 05.12.2026", "Edit4", "07.12.2026");
        Store(*computer, "Main", "aInumber", "INV-17");
        Store(*computer, "Main", "aZavNum", "SN5");
        Store(monitor, "Main", "aModel", "SyncMaster");
        Store(monitor, "0;1 , 03.12.2026", "Edit3", "1500");
        Store(accounts, "0;1 , 04.12.2026", "Edit1", "Не в цехе");
        Store(*store, "0;1 , 06.12.2026", "Edit1", "Склад");
    }

    TreeNode& Add(TreeNode* parent, const char* text, int icon) {
        TreeNode& node = tree.AddChild(parent, -1, Utf8ToCp1251(text), icon);
        identity.NewAddData(node);
        return node;
    }
    void Store(const TreeNode& node, const char* group, const char* name, const char* text) {
        records->Append(node.Record()->uno, Utf8ToCp1251(group), name, Utf8ToCp1251(text));
    }

    RichText Report(const TreeNode& selected, std::size_t journal, const JournalFilter& filter = {}) {
        return JournalReport(tree, selected, journal, journals, *records, filter, "11.12.2026");
    }

    testing::TempDir dir;
    core::Clock clock;
    std::vector<structure::JournalDefinition> journals;
    std::optional<platform::DbfTable> other;
    std::optional<structure::NodeRecordsTable> records;
    structure::TreeModel tree{1};
    structure::NodeIdentity identity{tree, clock};
    TreeNode* plant = nullptr;
    TreeNode* shop = nullptr;
    TreeNode* computer = nullptr;
    TreeNode* store = nullptr;
};

TEST_F(JournalReportTest, OneNodeGetsItsHeaderBeforeEveryEntryWithTheAttributesInForce) {
    struct Expected {
        const char* attributes;
        const char* text;
    };
    const Expected expected[] = {
        {"C- 0 30 b t", "Журнал Ремонты"},
        {"C- 0 30 b t", ""},
        {"C- 0 30 b t", "PC №17"},
        {"C- 0 30 b t", ""},
        {"C- 0 18 b t", "\\\\Завод\\Цех\\Петров"},
        {"C- 0 18 b t", ""},
        {"L- 20 18 b t", "Модель : Celeron"},
        {"L- 20 18 b t", "Инв.№INV-17  Зав.№SN5  "},
        {"L- 20 18 b t", ""},
        {"L- 20 18 b t", "Запись 1 , 01.12.2026"},
        {"L* 40 18", "Ремонтирующая организация : Сервис"},
        {"L* 40 18", "Характер неисправности : Не включается"},
        // The header again, in what the entry's lines left in force but the alignment, bullet and height.
        {"C- 30 30", ""},
        {"C- 30 30", "PC №17"},
        {"C- 30 30", ""},
        {"C- 30 18", "\\\\Завод\\Цех\\Петров"},
        {"C- 30 18", ""},
        {"L- 20 18", "Модель : Celeron"},
        {"L- 20 18", "Инв.№INV-17  Зав.№SN5  "},
        {"L- 20 18", ""},
        {"L- 20 18 b t", "Запись 2 , 05.12.2026"},
        {"L* 40 18", "Дата получения из ремонта : 07.12.2026"},
        {"R- 0 18", ""},
        {"R- 0 18", "Дата составления : 11.12.2026"},
    };
    const RichText report = Report(*computer, 0);
    ASSERT_EQ(report.paragraphs.size(), std::size(expected)) << ::testing::PrintToString(Lines(report));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(ParagraphUtf8(report.paragraphs[i]), expected[i].text) << i;
        EXPECT_EQ(Attributes(report.paragraphs[i]), expected[i].attributes) << i << " " << expected[i].text;
    }
}

TEST_F(JournalReportTest, ADepartmentCoversItsSubtreeWithEachNodesHeaderOnce) {
    const std::vector<std::string> shopReport{
        "Журнал Ремонты",
        "",
        "PC №17",
        "",
        "\\\\Завод\\Цех\\Петров",
        "",
        "Модель : Celeron",
        "Инв.№INV-17  Зав.№SN5  ",
        "",
        "Запись 1 , 01.12.2026",
        "Ремонтирующая организация : Сервис",
        "Характер неисправности : Не включается",
        "Запись 2 , 05.12.2026",
        "Дата получения из ремонта : 07.12.2026",
        "",
        "Samsung",
        "",
        "\\\\Завод\\Цех\\Петров",
        "",
        "Модель : SyncMaster",
        "Запись 1 , 03.12.2026",
        "Стоимость ремонта : 1500",
        "",
        "Дата составления : 11.12.2026",
    };
    EXPECT_EQ(Lines(Report(*shop, 0)), shopReport);

    // A top-level node has no path to show; the walk stops at the next top-level node.
    std::vector<std::string> plantReport = shopReport;
    plantReport.insert(plantReport.end() - 2, {"", "Бухгалтерия", "", "\\\\Завод", "", "Запись 1 , 04.12.2026",
                                               "Ремонтирующая организация : Не в цехе"});
    EXPECT_EQ(Lines(Report(*plant, 0)), plantReport);
    EXPECT_EQ(Lines(Report(*store, 0)),
              (std::vector<std::string>{"Журнал Ремонты", "", "Склад", "", "Запись 1 , 06.12.2026",
                                        "Ремонтирующая организация : Склад", "", "Дата составления : 11.12.2026"}));

    const TreeNode& empty = *shop->Child(1);
    EXPECT_EQ(Lines(Report(empty, 0)),
              (std::vector<std::string>{"Журнал Ремонты", "", "Дата составления : 11.12.2026"}));
}

TEST_F(JournalReportTest, OnlyTheJournalsOwnEntriesAndFieldsArePrinted) {
    // "11;..." belongs to journal 11, not to journal 1; the labels come from the definitions.
    journals[1].labels[0] = Utf8ToCp1251("Блок");
    const std::vector<std::string> lines = Lines(Report(*computer, 1));
    EXPECT_EQ(
        std::vector<std::string>(lines.begin() + 9, lines.end()),
        (std::vector<std::string>{"Запись 1 , 02.12.2026", "Блок : Память", "", "Дата составления : 11.12.2026"}));
    EXPECT_EQ(lines.front(), "Журнал Модернизации");
}

TEST_F(JournalReportTest, TheFilterKeepsTheEntriesOfADate) {
    const std::vector<std::string> lines = Lines(Report(*plant, 0, {false, "05.12.2026"}));
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 3),
              (std::vector<std::string>{"Журнал Ремонты", "", "PC №17"}));
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 9, lines.end()),
              (std::vector<std::string>{"Запись 2 , 05.12.2026", "Дата получения из ремонта : 07.12.2026", "",
                                        "Дата составления : 11.12.2026"}));
}

TEST(JournalFilterTest, TheTextCountsFromTheGroupsThirdCharacter) {
    struct Case {
        JournalFilter filter;
        const char* group;
        bool passes;
    };
    const Case cases[] = {
        {{true, "05.12.2026"}, "0;1 , 01.12.2026", true},
        {{false, "05.12.2026"}, "0;1 , 05.12.2026", true},
        {{false, "05.12.2026"}, "0;1 , 01.12.2026", false},
        {{false, "05.12.2026"}, "0;05.12.2026", true},
        {{false, "05.12.2026"}, "05.12.2026", false},
        {{false, ";1"}, "0;1 , 01.12.2026", false},
        {{false, "0;1"}, "10;1 , 01.12.2026", false},
        // An occurrence at the start does not hide a later one.
        {{false, "12"}, "12;12", true},
        {{false, ""}, "0;x", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PassesFilter(c.filter, c.group), c.passes) << c.filter.text << " in " << c.group;
    }
}

TEST(FindJournalTest, TheTrimmedCaptionNamesTheLastJournalOfThatName) {
    std::vector<structure::JournalDefinition> journals = structure::JournalDefinitions({});
    journals.push_back({Utf8ToCp1251("Поверки"), 0, {}, {}});
    journals.push_back({Utf8ToCp1251("Модернизации"), 0, {}, {}});
    const std::pair<const char*, std::optional<std::size_t>> cases[] = {
        {"Ремонты", 0},           {" Модернизации \t", 3},   {"Поверки", 2},
        {"Ремонт", std::nullopt}, {"ремонты", std::nullopt}, {"", std::nullopt},
    };
    for (const auto& [caption, journal] : cases) {
        EXPECT_EQ(FindJournal(journals, Utf8ToCp1251(caption)), journal) << caption;
    }
}

} // namespace
} // namespace pelgo::reports
