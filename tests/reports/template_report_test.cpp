// Report templates: regions, start-line codes, types and scopes, every marker kind over a small enterprise held
// in real tables, the move request, the template save, and the text and spreadsheet exports.
#include "reports/template_report.h"

#include <gtest/gtest.h>

#include "archive/pick_lists.h"
#include "core/cp1251.h"
#include "core/file.h"
#include "reports/move_request.h"
#include "reports/report_export.h"
#include "reports/report_fixture.h"
#include "reports/user_reports.h"
#include "structure/node_queries.h"
#include "support/scripted_dialog.h"
#include "support/temp_dir.h"

namespace pelgo::reports {
namespace {

using core::Cp1251ToUtf8;
using core::Utf8ToCp1251;
using structure::TreeNode;

constexpr std::size_t kTypeCount = 13;

RichText Lines(std::initializer_list<const char*> lines) {
    RichText text;
    for (const char* line : lines) {
        Paragraph& paragraph = text.paragraphs.emplace_back();
        AppendText(paragraph, Utf8ToCp1251(line), CharFormat());
    }
    return text;
}

// The report's paragraphs in UTF-8, one per line.
std::string Text(const RichText& text) {
    std::string out;
    for (const Paragraph& paragraph : text.paragraphs) {
        out += ParagraphUtf8(paragraph) + "\n";
    }
    return out;
}

// A template of UTF-8 lines, its scope and types from its start line.
ReportTemplate Template(std::initializer_list<const char*> lines) {
    return TemplateFromText(Lines(lines), kTypeCount);
}

class TemplateReportTest : public testing::ReportTablesTest {
protected:
    TemplateReportTest() : types({}) {
        store = &Add(nullptr, "Склад", structure::kIconDepartment);
        plant = &Add(nullptr, "Завод", structure::kIconDepartment);
        shop = &Add(plant, "Цех №3", structure::kIconDepartment);
        petrov = &Add(shop, "Петров", structure::kIconEmployee);
        computer = &Computer(petrov, "PC №17", "0050BA1C2D3E");
        monitor = &Add(petrov, "Samsung", 5);
        accounts = &Add(plant, "Бухгалтерия", structure::kIconDepartment);
        printer = &Add(accounts, "HP", 6);
        Archive("0050BA1C2D3E", {{"Computer", "MotherBoard", "ASUS P5K"},
                                 {"Computer", "BIOS", "Award"},
                                 {"Windows_Devices", "Dev_1", "Display NVIDIA"},
                                 {"Windows_Devices", "Dev_2", "Net Realtek"},
                                 {"Windows_Devices", "Dev_3", "display Матрокс"},
                                 {"Current_Config", "Device_1", "HDD  ST380 "},
                                 {"Current_Config", "Device_2", "hdd WD800"},
                                 {"Current_Config", "Device_3", "Net Realtek"}});
        Archive("00E04C000001", {{"Computer", "MotherBoard", "Not this one"}});
        Store(*computer, "aModel", "Celeron");
        Store(*computer, "aInumber", "INV-17");
        Store(*petrov, "aPhone", "12-34");
        Store(*monitor, "aModel", "SyncMaster");
    }

    std::string Generate(const ReportTemplate& report, const TreeNode* selected, const MoveRequest* move = nullptr) {
        ReportSources sources{tree, types, *device, *additional, "11.12.2026"};
        return Text(MakeUserReports(report, sources, selected, move));
    }
    std::string Generate(std::initializer_list<const char*> lines, const TreeNode* selected) {
        return Generate(Template(lines), selected);
    }

    structure::NodeTypes types;
    TreeNode* store = nullptr;
    TreeNode* plant = nullptr;
    TreeNode* shop = nullptr;
    TreeNode* petrov = nullptr;
    TreeNode* computer = nullptr;
    TreeNode* monitor = nullptr;
    TreeNode* accounts = nullptr;
    TreeNode* printer = nullptr;
};

TEST(ReportTemplateTest, RegionsFollowTheMarkerLines) {
    struct Case {
        std::initializer_list<const char*> lines;
        std::size_t headerEnd, detailBegin, detailEnd;
        std::optional<std::size_t> footerBegin;
    };
    const Case cases[] = {
        {{"head", "<detail_start><D>", "body", "<DETAIL_END>", "foot"}, 1, 2, 3, 4},
        {{"<DETAIL_START>", "body", "<DETAIL_END>"}, 0, 1, 2, 3},
        {{"head", "x <DETAIL_START>", "body", "more"}, 1, 2, 4, std::nullopt},
        // Without a start line the detail starts at the first line, nothing dropped.
        {{"body", "more"}, 0, 0, 2, std::nullopt},
        // The end line is the first one after the start line.
        {{"<DETAIL_END> early", "<DETAIL_START>", "body", "<DETAIL_END>", "foot"}, 1, 2, 3, 4},
    };
    for (const Case& c : cases) {
        const TemplateRegions regions = FindRegions(Lines(c.lines));
        EXPECT_EQ(regions.headerEnd, c.headerEnd) << *c.lines.begin();
        EXPECT_EQ(regions.detailBegin, c.detailBegin) << *c.lines.begin();
        EXPECT_EQ(regions.detailEnd, c.detailEnd) << *c.lines.begin();
        EXPECT_EQ(regions.footerBegin, c.footerBegin) << *c.lines.begin();
    }
}

TEST(ReportTemplateTest, StartLineCodesSetScopeAndTypes) {
    struct Case {
        const char* codes;
        ReportScope scope;
        std::vector<std::size_t> marked;
    };
    const Case cases[] = {
        {"<A><0><12>", ReportScope::Enterprise, {0, 12}},
        {" <b> <2><4> Do not Delete this string ! ------", ReportScope::Department, {2, 4}},
        {"<Z><-1><99><5x><><3>", ReportScope::Unit, {3}},
        {"<C><2>> <4>", ReportScope::Employee, {2}}, // a ">" before the next "<" ends the scan
        {"<C><2 <4>", ReportScope::Employee, {}},    // "2 <4" is no number
        {"><A><1>", ReportScope::Unit, {}},          // a ">" before any "<" ends the scan
    };
    for (const Case& c : cases) {
        ReportTemplate report;
        report.included = DefaultIncludedTypes(kTypeCount);
        ParseStartLine(c.codes, report);
        std::vector<std::size_t> marked;
        for (std::size_t i = 0; i < report.included.size(); ++i) {
            if (report.included[i]) {
                marked.push_back(i);
            }
        }
        EXPECT_EQ(report.scope, c.scope) << c.codes;
        EXPECT_EQ(marked, c.marked) << c.codes;
    }
}

TEST(ReportTemplateTest, IconsMapToTheirListPositions) {
    const std::pair<int, std::optional<std::size_t>> cases[] = {
        {0, std::nullopt}, {1, 0}, {3, 2}, {9, 8}, {10, 11}, {11, 12}, {12, 9}, {13, 10}, {14, std::nullopt}, {-1, {}}};
    for (const auto& [icon, position] : cases) {
        EXPECT_EQ(IncludedPosition(icon, kTypeCount), position) << icon;
    }
    EXPECT_EQ(IncludedPosition(14, kTypeCount + 1), 13u);
    ReportTemplate report;
    report.included = DefaultIncludedTypes(kTypeCount);
    EXPECT_FALSE(CheckIcon(report, structure::kIconDepartment));
    EXPECT_TRUE(CheckIcon(report, structure::kIconComputer));
    EXPECT_TRUE(CheckIcon(report, structure::kIconOther));
    EXPECT_FALSE(CheckIcon(report, structure::kIconNote));
}

TEST(ReportTemplateTest, SaveWritesThePaddedStartLineAndAnEndLineAndReadsBackTheSame) {
    ReportTemplate report = Template({"Header", "<DETAIL_START><D><2> old text", "Body"});
    report.scope = ReportScope::Employee;
    report.included.assign(kTypeCount, false);
    report.included[4] = report.included[10] = true;
    const RichText saved = TemplateForSave(report);
    const std::string start = "<DETAIL_START><C><4><10> Do not Delete this string ! -------------------------------";
    EXPECT_EQ(Text(saved), "Header\n" + start + "\nBody\n<DETAIL_END>\n");
    const ReportTemplate reread = TemplateFromText(saved, kTypeCount);
    EXPECT_EQ(reread.scope, report.scope);
    EXPECT_EQ(reread.included, report.included);

    // A template without a start line gets one as its first paragraph; an end line already there stays alone.
    const ReportTemplate bare = Template({"Body", "<detail_end>", "Foot"});
    EXPECT_EQ(Text(TemplateForSave(bare)), "<DETAIL_START><D><2><4><5><6><7><8><9><10><11> Do not Delete this string ! "
                                           "-------------------------------\nBody\n<detail_end>\nFoot\n");

    EXPECT_EQ(TemplateSavePath("/t/report"), "/t/report.rtf");
    EXPECT_EQ(TemplateSavePath("/t/report.rtf"), "/t/report.rtf");
    EXPECT_EQ(TemplateSavePath("/t/report.RTF"), "/t/report.RTF");
}

TEST(ReportTemplateTest, AMissingFileOffersTheExample) {
    testing::TempDir dir;
    const std::string path = dir / "none.rtf";
    testing::ScriptedDialog dialog;
    dialog.ExpectQuestion("Файл не найден " + path + "\nСоздать пример шаблона отчета ?", platform::Answer::Yes);
    dialog.ExpectQuestion("Файл не найден", platform::Answer::No);
    const LoadedTemplate example = LoadReportsFromFile(path, kTypeCount, dialog);
    EXPECT_EQ(example.file, kNewTemplateName);
    EXPECT_EQ(example.report.scope, ReportScope::Unit);
    EXPECT_EQ(example.report.included, std::vector<bool>({0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
    const TemplateRegions regions = FindRegions(example.report.text);
    EXPECT_EQ(regions.startLine, 2u);
    EXPECT_EQ(regions.endLine, 6u);
    EXPECT_EQ(example.report.text.paragraphs[0].alignment, Alignment::Center);
    EXPECT_EQ(ParagraphUtf8(example.report.text.paragraphs[2]).size(), std::string("<DETAIL_START><D><2>").size() + 80);

    const LoadedTemplate empty = LoadReportsFromFile(path, kTypeCount, dialog);
    EXPECT_TRUE(empty.report.text.paragraphs.empty());
    EXPECT_EQ(empty.report.included, DefaultIncludedTypes(kTypeCount));
}

TEST_F(TemplateReportTest, ScopesWalkTheirSubtrees) {
    const auto names = [&](ReportScope scope, const TreeNode* selected) {
        std::string out;
        const NodeWalk walk = ScopeWalk(tree, scope, selected);
        for (const TreeNode* node = walk.first; node != nullptr && node != walk.stop; node = tree.Next(*node)) {
            out += Cp1251ToUtf8(node->Text()) + ";";
        }
        return out;
    };
    // The monitor's department is the shop; the walk stops at the shop's next sibling, the accounts department.
    EXPECT_EQ(names(ReportScope::Department, monitor), "Цех №3;Петров;PC №17;0050BA1C2D3E;Samsung;");
    EXPECT_EQ(names(ReportScope::Employee, computer), "Петров;PC №17;0050BA1C2D3E;Samsung;");
    // The printer has no employee above it: the walk falls back to the first node and its subtree.
    EXPECT_EQ(names(ReportScope::Employee, printer), "Склад;");
    EXPECT_EQ(names(ReportScope::Department, accounts), "Бухгалтерия;HP;");
    EXPECT_EQ(names(ReportScope::Unit, petrov), "Петров;");
    EXPECT_TRUE(names(ReportScope::Enterprise, printer).starts_with("Склад;Завод;"));
    EXPECT_EQ(names(ReportScope::Unit, nullptr), "");
}

TEST_F(TemplateReportTest, DetailRepeatsForCoveredNodesBetweenHeaderAndFooter) {
    EXPECT_EQ(Generate({"Report [GET|CurrDate]", "<DETAIL_START><B><2><4><5>", "- [GET|DevTyp]: [GET|DevName]",
                        "<DETAIL_END>", "End [GET|DevName]."},
                       monitor),
              "Report 11.12.2026\n- Компьютер: PC №17\n- Монитор: Samsung\nEnd .\n");
    // Scope D on a department whose type is not covered: header and footer only.
    EXPECT_EQ(Generate({"H", "<DETAIL_START><D><2>", "[GET|DevName]", "<DETAIL_END>", "F"}, shop), "H\nF\n");
    // No start line: every line is detail, the first character kept; no end line: no footer.
    EXPECT_EQ(Generate({"[GET|DevName]", "line"}, computer), "PC №17\nline\n");
}

TEST_F(TemplateReportTest, GetMarkersDescribeTheNode) {
    EXPECT_EQ(Generate({"<DETAIL_START><D><0><1><2><4>",
                        "[GET|DevNumber]|[GET|DevOvner]|[GET|DevPath]|[GET|DevTyp]|[get|devname]"},
                       computer),
              "17|Петров|Завод;Цех №3;Петров|Компьютер|PC №17\n");
    EXPECT_EQ(Generate({"<DETAIL_START><D><0>", "[GET|DevNumber]|[GET|DevOvner]|[GET|DevPath]."}, plant), "|Завод|.\n");
}

TEST_F(TemplateReportTest, DeviceMarkersReadTheComputersArchive) {
    struct Case {
        const char* line;
        const char* expected;
    };
    const Case cases[] = {
        {"[DEVICE|Computer|MotherBoard]", "ASUS P5K"},
        {"[device|COMPUTER|motherboard]", "ASUS P5K"}, // Latin case ignored
        {"[DEVICE|Windows_Devices|?display]", "Display NVIDIA; display Матрокс"},
        {"[DEVICE|Windows_Devices|?Матрокс]", "display Матрокс"},
        {"[DEVICE|Windows_Devices|?МАТРОКС]", ""}, // Cyrillic case kept
        {"[DEVICE|Windows_Devices|?Ne]", ""},      // two characters are too short a search
        {"[DEVICE|Windows_Devices|?Net]", "Net Realtek"},
        {"[DEVICE|Computer|CPU]", ""},
        // Fifty characters are a marker, fifty-one are text.
        {"[DEVICE|Windows_Devices|?Net                     ]", "Net Realtek"},
        {"[DEVICE|Windows_Devices|?Net                      ]", "[DEVICE|Windows_Devices|?Net                      ]"},
        {"[x [DEVICE|Computer|BIOS]", "[x [DEVICE|Computer|BIOS]"},
        {"[OTHER [DEVICE|Computer|BIOS]", "[OTHER [DEVICE|Computer|BIOS]"},
        {"[DEVICE|Computer|BIOS] [GET|Motherboard] [GET|CurrHDD]", "Award ASUS P5K ST380; WD800"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Generate({"<DETAIL_START><D><2>", c.line}, computer), std::string(c.expected) + "\n") << c.line;
    }
    // Any other node has no archive values.
    EXPECT_EQ(Generate({"<DETAIL_START><D><4>", "<[DEVICE|Computer|MotherBoard]>"}, monitor), "<>\n");
}

TEST_F(TemplateReportTest, ArchiveGetValuesNeedNoDeviceMarker) {
    EXPECT_EQ(
        Generate({"<DETAIL_START><D><2>", "[GET|Motherboard]/[GET|CurrHDD]/[GET|CurrNet]/[GET|CurrCDRom]"}, computer),
        "ASUS P5K/ST380; WD800/Realtek/\n");
}

TEST_F(TemplateReportTest, OtherMarkersReadTheAdditionalData) {
    struct Case {
        const char* line;
        const char* expected;
    };
    const Case cases[] = {
        {"[OTHER|Main|aModel]/[OTHER|MAIN|ainumber]", "Celeron/INV-17"},
        {"[OTHER|Main|aPhone]", "12-34"}, // inherited from the employee
        {"[OTHER|Main|?17]", "INV-17"},   // two characters are enough here
        {"[OTHER|Main|?7]", ""},          // one is not
        {"[OTHER|Main|?CEL]", "Celeron"}, // Latin case ignored
        {"[OTHER|Main|aNone]", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Generate({"<DETAIL_START><D><2>", c.line}, computer), std::string(c.expected) + "\n") << c.line;
    }
    // In the header and the footer there is no node.
    EXPECT_EQ(
        Generate({"[OTHER|Main|aModel].", "<DETAIL_START><D><2>", "<DETAIL_END>", "[OTHER|Main|aModel]."}, computer),
        ".\n.\n");
}

TEST_F(TemplateReportTest, MoveMarkersOutsideAMoveRequestStayAsMarkers) {
    EXPECT_EQ(Generate({"<DETAIL_START><D><2>", "[TP|From|Get_Name]"}, computer), "<[TP|FROM|GET_NAME]>\n");
}

TEST_F(TemplateReportTest, AMoveRequestFillsFromToAndEachEntry) {
    MoveRequest move;
    move.from = shop;
    move.to = accounts;
    move.entries = {computer->Record()->uno + " PC", "ZZZZZZZZZZZZ gone", monitor->Record()->uno};
    const ReportTemplate report =
        Template({"From [TP|From|Get_Name] to [TP|To|Get_Path] [TP|Detail|Get_Name]", "<DETAIL_START><A>",
                  "[TP|Detail|Get_Counter]. [TP|Detail|Get_Name] "
                  "[TP|Detail|aModel] [TP|From|Get_Ovner] [GET|DevTyp]",
                  "<DETAIL_END>", "[TP|To|Get_Ovner]"});
    EXPECT_EQ(Generate(report, printer, &move), "From Цех №3 to \\\\Завод\\Бухгалтерия <[TP|DETAIL|GET_NAME]>\n"
                                                "1. PC №17 Celeron Цех №3 Компьютер\n"
                                                "2. Samsung SyncMaster Цех №3 Монитор\n"
                                                "Бухгалтерия\n");
}

TEST_F(TemplateReportTest, AMoveRequestMakesADocumentPerPairSeparatedByPageBreaks) {
    const auto element = [](const TreeNode* node) { return node->Record()->uno + node->Text(); };
    const auto place = [](const TreeNode* node) { return node->Record()->uno + structure::GetPath(node); };
    structure::MoveLists moves;
    const auto move = [&](const TreeNode* node, const TreeNode* from, const TreeNode* to) {
        moves.moved.push_back(element(node));
        moves.sources.push_back(place(from));
        moves.destinations.push_back(place(to));
    };
    move(computer, petrov, accounts);
    move(printer, accounts, shop);
    move(monitor, petrov, accounts);
    moves.moved.push_back("ZZZZZZZZZZZZdeleted"); // a node deleted since its move
    moves.sources.push_back(place(petrov));
    moves.destinations.push_back(place(accounts));
    move(store, store, store);
    move(shop, petrov, accounts);
    moves.moved.push_back(element(monitor)); // a move the other lists lack
    const ReportTemplate report = Template({"[TP|From|Get_Name] -> [TP|To|Get_Name]", "<DETAIL_START>",
                                            "[TP|Detail|Get_Counter]. [TP|Detail|Get_Name]", "<DETAIL_END>",
                                            "[TP|Detail|Get_Counter] / [TP|From|Get_Counter]"});
    ReportSources sources{tree, types, *device, *additional, "11.12.2026"};
    std::string text;
    for (const Paragraph& paragraph : MoveRequestReport(report, sources, moves).paragraphs) {
        text += (paragraph.pageBreakBefore ? "^" : "") + ParagraphUtf8(paragraph) + "\n";
    }
    // The footer has no detail entry: its Detail marker stays a marker; From and To count the entries.
    EXPECT_EQ(text, "Петров -> Бухгалтерия\n1. PC №17\n2. Samsung\n3. Цех №3\n<[TP|DETAIL|GET_COUNTER]> / 3\n"
                    "^Бухгалтерия -> Цех №3\n1. HP\n<[TP|DETAIL|GET_COUNTER]> / 1\n"
                    "^ERROR in TpNodeFrom or TpNodeTo\n");
}

TEST_F(TemplateReportTest, AValueTakesTheFormatOfItsMarkersFirstCharacter) {
    CharFormat bold;
    bold.bold = true;
    CharFormat red;
    red.color = Color{255, 0, 0};
    RichText text = Lines({"<DETAIL_START><D><2>"});
    Paragraph& line = text.paragraphs.emplace_back();
    AppendText(line, "a ", CharFormat());
    AppendText(line, "[GET|", bold);
    AppendText(line, "DevName] b", red);
    AppendCharacter(line, U'\u2713', red);
    line.content.push_back(Picture{"{\\pict x}"});
    ReportSources sources{tree, types, *device, *additional, "11.12.2026"};
    const RichText report = MakeUserReports(TemplateFromText(text, kTypeCount), sources, computer);
    ASSERT_EQ(report.paragraphs.size(), 1u);
    Paragraph expected;
    AppendText(expected, "a ", CharFormat());
    AppendText(expected, Utf8ToCp1251("PC №17"), bold);
    AppendText(expected, " b", red);
    AppendCharacter(expected, U'\u2713', red);
    expected.content.push_back(Picture{"{\\pict x}"});
    EXPECT_EQ(report.paragraphs[0].content, expected.content);
}

TEST_F(TemplateReportTest, PageBreaksBeforeTheMarkerLinesSeparateTheCopies) {
    RichText text = Lines({"Head", "<DETAIL_START><B><2><4>", "[GET|DevName]", "<DETAIL_END>", "Foot"});
    text.paragraphs[3].pageBreakBefore = true;
    ReportSources sources{tree, types, *device, *additional, "11.12.2026"};
    const RichText report = MakeUserReports(TemplateFromText(text, kTypeCount), sources, computer);
    std::string breaks;
    for (const Paragraph& paragraph : report.paragraphs) {
        breaks += (paragraph.pageBreakBefore ? "^" : "") + ParagraphUtf8(paragraph) + ";";
    }
    EXPECT_EQ(breaks, "Head;PC №17;^Samsung;^Foot;");
}

TEST_F(TemplateReportTest, BracketsAcrossALineOrAroundAPictureAreNoMarker) {
    RichText text = Lines({"<DETAIL_START><D><2>"});
    Paragraph& line = text.paragraphs.emplace_back();
    AppendText(line, "a [TP|To|", CharFormat());
    AppendCharacter(line, U'\u03A9', CharFormat());
    AppendText(line, "] [GET|Dev\nName] [TP|From|", CharFormat());
    line.content.push_back(Picture{"{\\pict x}"});
    AppendText(line, "] [GET|DevName]", CharFormat());
    ReportSources sources{tree, types, *device, *additional, "11.12.2026"};
    const RichText report = MakeUserReports(TemplateFromText(text, kTypeCount), sources, computer);
    ASSERT_EQ(report.paragraphs.size(), 1u);
    Paragraph expected = line;
    expected.content.pop_back();
    AppendText(expected,
               "] PC \xB9"
               "17",
               CharFormat());
    EXPECT_EQ(report.paragraphs[0].content, expected.content);
}

TEST(ReportTemplateTest, APlainTextFileIsATemplateOfItsLines) {
    testing::TempDir dir;
    const std::string path = dir / "plain.txt";
    core::WriteFileAtomically(path, "Head\r\n<DETAIL_START><A><4>\nBody\r<DETAIL_END>");
    const ReportTemplate report = TemplateFromFile(path, kTypeCount);
    EXPECT_EQ(Text(report.text), "Head\n<DETAIL_START><A><4>\nBody\n<DETAIL_END>\n");
    EXPECT_EQ(report.scope, ReportScope::Enterprise);
}

TEST(ReportExportTest, TextAndSpreadsheetLines) {
    RichText text = Lines({"Title", "PC-1", "", "CPU", "Disk", "Owner"});
    text.paragraphs[0].alignment = Alignment::Center;
    text.paragraphs[3].bullet = text.paragraphs[4].bullet = true;
    AppendText(text.paragraphs[1], "\nsecond", CharFormat());
    EXPECT_EQ(SpreadsheetExport(text, ImportSeparator::Semicolon),
              "0\tTitle\t\r\n0\tTitle\tPC-1 second\r\n1\tTitle\tPC-1 second\t;CPU;Disk\r\n0\tTitle\tOwner\r\n");
    text.paragraphs.pop_back();
    EXPECT_EQ(SpreadsheetExport(text, ImportSeparator::Tab),
              "0\tTitle\t\r\n0\tTitle\tPC-1 second\r\n1\tTitle\tPC-1 second\t\tCPU\tDisk\r\n");
    text.paragraphs[2].pageBreakBefore = true;
    EXPECT_EQ(PlainText(text), "Title\r\nPC-1\r\nsecond\r\n\f\r\n\r\nCPU\r\nDisk\r\n");
}

TEST(UserReportsTest, TheLastEntryOfATrimmedNameWins) {
    const shell::PathRules paths("/opt/pelgo");
    const shell::Entries reports{{"Cards", "REPORTS\\a.rtf"}, {" Cards ", "REPORTS\\b.rtf"}, {"Other", "/x.rtf"}};
    const std::optional<UserReport> found = FindUserReport(reports, "Cards  ", paths);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->position, 1u);
    EXPECT_EQ(found->path, "/opt/pelgo/REPORTS/b.rtf");
    EXPECT_FALSE(FindUserReport(reports, "Gone", paths));
}

TEST(PickListsTest, SortedWithoutCaseDuplicatesFromTheFirstRecords) {
    testing::TempDir dir;
    core::Clock clock;
    platform::DbfTable::Create(dir / "device.dbf", platform::kDeviceTableFields, clock);
    platform::DbfTable device = platform::DbfTable::Open(dir / "device.dbf", platform::DbfOpenMode::Shared, clock);
    device.SetIndex("MAC_ADR");
    std::vector<std::vector<std::string>> rows{
        {"D", "Computer", "GPU", "x"},
        {"A", "computer", "cpu", "x"},
        {"A", "COMPUTER", "Cpu", "x"},
        {"A", "Windows_Soft", "Word", "x"},
        {"A", "Computer", "Drive_C", "x"},
        {"A", "Memory", "1st", "x"},
        {"A", Utf8ToCp1251("Журнал"), "Entry", "x"},
        {"A", "Current_Config", "Device_1", "x"},
    };
    for (int i = 0; i < 10000; ++i) {
        rows.push_back({"C", "Late", "Hidden", "x"});
    }
    device.AppendRecords(rows);
    const archive::PickLists lists = archive::ArchivePickLists(device);
    // Index order: the "A" records first, so "computer" is the spelling kept; the limit ends the walk among the
    // "C" records, so the "D" record is never read.
    EXPECT_EQ(lists.groups, (std::vector<std::string>{"computer", "Current_Config", "Late", "Memory", "Windows_Soft",
                                                      Utf8ToCp1251("Журнал")}));
    EXPECT_EQ(lists.parameters, (std::vector<std::string>{"cpu", "Hidden"}));
}

} // namespace
} // namespace pelgo::reports
