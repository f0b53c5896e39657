// Reports over the whole enterprise: 2,000 computers with 60 archive lines each, their monitors and printers,
// additional data on computers and employees. A scope-A template with DEVICE, GET and OTHER markers and a full
// inventory sheet are compared with reading the same records through the two tables' indexes, the input no
// generator can skip; the four summaries and a ten-rule revision with reading every computer's archive lines;
// writing the template report's RTF and reading it back with copying the file's bytes.
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

#include "archive/computer_view.h"
#include "core/cp1251.h"
#include "core/file.h"
#include "enterprise_tree.h"
#include "platform/dbf_table.h"
#include "ratio_reporter.h"
#include "report_tables.h"
#include "reports/inventory_sheet.h"
#include "reports/report_template.h"
#include "reports/revision.h"
#include "reports/rtf_reader.h"
#include "reports/rtf_writer.h"
#include "reports/summaries.h"
#include "reports/template_report.h"
#include "structure/additional_data.h"
#include "structure/node_queries.h"
#include "structure/node_records_table.h"
#include "structure/node_types.h"
#include "structure/tree_model.h"
#include "structure/uno.h"

namespace {

using pelgo::core::Utf8ToCp1251;
using pelgo::platform::DbfOpenMode;
using pelgo::platform::DbfTable;
using pelgo::structure::TreeNode;

constexpr int kComputers = 2'000;
// 80 departments of 25 employees, each with a computer, its address node and a monitor, every fourth with a
// printer, under the enterprise node beside the bucket.
constexpr int kTreeNodes = 2 + 80 + kComputers * 4 + kComputers / 4;

struct Fixture {
    std::string dir;
    std::string device;
    std::string other;
    std::string report;
    pelgo::core::Clock clock;
    pelgo::structure::TreeModel tree;
    std::optional<pelgo::structure::NodeIdentity> identity;
    pelgo::structure::NodeTypes types{{}};
    pelgo::reports::ReportTemplate layout;
};

Fixture& Bench() {
    static Fixture fixture;
    return fixture;
}

void AppendComputerLines(DbfTable& device, const std::string& address, int number) {
    const auto add = [&](const char* group, const std::string& name, const std::string& text) {
        device.Append({address, group, name, text});
    };
    add("Info", "Record_Date", "10.12.2026 09:15:00");
    add("Info", "Computer_Name", "PC-" + std::to_string(number));
    add("Info", "MAC_Addr", address);
    add("Info", "IP_Addr", "10.0." + std::to_string(number / 250) + "." + std::to_string(number % 250));
    add("Computer", "BIOS", "Award Modular BIOS v6.00PG");
    add("Computer", "MotherBoard", number % 3 == 0 ? "ASUS P5K" : "Gigabyte GA-945GCM");
    add("Computer", "CPU", "Intel(R) Core(TM)2 Duo CPU E8400");
    add("Computer", "Memory_in_Mb", "2048");
    add("Current_Config", "Device_1", "Net Intel(R) PRO/1000 MT");
    add("Current_Config", "Device_2", "HDD ST3160815AS");
    add("Current_Config", "Device_3", "HDD WDC WD800JD");
    add("Current_Config", "Device_4", "Display NVIDIA GeForce 8600 GT");
    for (int d = 0; d < 20; ++d) {
        add("Windows_Devices", "Device_" + std::to_string(d), "System device " + std::to_string(d));
    }
    for (int s = 0; s < 28; ++s) {
        add("Windows_Soft", "Soft_" + std::to_string(s),
            s == 5 ? "Microsoft Office 2003" : "Program number " + std::to_string(s) + " version 1.0");
    }
}

pelgo::reports::Paragraph Line(const std::string& utf8,
                               pelgo::reports::Alignment alignment = pelgo::reports::Alignment::Left) {
    pelgo::reports::Paragraph paragraph;
    paragraph.alignment = alignment;
    pelgo::reports::AppendText(paragraph, Utf8ToCp1251(utf8), {});
    return paragraph;
}

pelgo::reports::ReportTemplate Layout(std::size_t typeCount) {
    using pelgo::reports::Alignment;
    pelgo::reports::RichText text;
    text.paragraphs = {
        Line("Опись оргтехники на [GET|CurrDate]", Alignment::Center),
        Line("<DETAIL_START><A><2><4><5>"),
        Line("[GET|DevTyp] [GET|DevName], инв. [OTHER|Main|aInumber], модель [OTHER|Main|aModel]"),
        Line("[GET|DevOvner] ([GET|DevPath]), тел. [OTHER|Main|aPhone]"),
        Line("Процессор [DEVICE|Computer|CPU], плата [GET|Motherboard], диски [GET|CurrHDD]"),
        Line("Офис: [DEVICE|Windows_Soft|?office]"),
        Line("<DETAIL_END>"),
        Line("Составил [OTHER|Main|aFIO]", Alignment::Right),
    };
    return pelgo::reports::TemplateFromText(std::move(text), typeCount);
}

void Generate() {
    Fixture& bench = Bench();
    std::string pattern = "/tmp/report_bench_XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
        std::abort();
    }
    bench.dir = pattern;
    bench.device = bench.dir + "/device.dbf";
    bench.other = bench.dir + "/other.dbf";
    bench.report = bench.dir + "/report.rtf";
    DbfTable::Create(bench.device, pelgo::platform::kDeviceTableFields, bench.clock);
    DbfTable::Create(bench.other, pelgo::platform::kOtherTableFields, bench.clock);

    bench.tree.AddChild(nullptr, -1, Utf8ToCp1251("Неоприходованная техника"), 1);
    pelgo::bench::BuildEnterpriseTree(bench.tree, kTreeNodes);
    bench.identity.emplace(bench.tree, bench.clock);
    DbfTable device = DbfTable::Open(bench.device, DbfOpenMode::Exclusive, bench.clock);
    DbfTable other = DbfTable::Open(bench.other, DbfOpenMode::Exclusive, bench.clock);
    int computers = 0;
    for (TreeNode* node = bench.tree.First(); node != nullptr; node = bench.tree.Next(*node)) {
        const std::string uno = bench.identity->NewAddData(*node).uno;
        if (node->Icon() == pelgo::structure::kIconEmployee) {
            other.Append({uno, "Main", "aPhone", "22-" + std::to_string(computers)});
        } else if (pelgo::structure::IsNetComputer(bench.tree, node)) {
            ++computers;
            AppendComputerLines(device, pelgo::structure::ComputerAddress(bench.tree, *node), computers);
            other.Append({uno, "Main", "aInumber", "01-" + std::to_string(computers)});
            other.Append({uno, "Main", "aModel", "Depo Neos 220"});
        }
    }
    if (computers != kComputers) {
        std::fprintf(stderr, "the tree holds %d computers instead of %d\n", computers, kComputers);
        std::abort();
    }
    bench.layout = Layout(pelgo::reports::IncludedTypeNames(bench.types).size());
}

struct Tables : pelgo::bench::ReportTables {
    Tables() : ReportTables(Bench().device, Bench().other, Bench().dir + "/pelgo.log", Bench().clock) {}
};

pelgo::reports::RichText MakeReport(Tables& tables) {
    Fixture& bench = Bench();
    pelgo::reports::ReportSources sources{bench.tree, bench.types, tables.device, tables.additional, "11.12.2026"};
    return pelgo::reports::MakeUserReports(bench.layout, sources, bench.tree.First());
}

// What the generator cannot do without: for every node the template covers, its node records and those of
// the department or employee it inherits from, and a computer's archive lines.
void BM_ReadThroughIndexes(benchmark::State& state) {
    Tables tables;
    Fixture& bench = Bench();
    for (auto _ : state) {
        std::size_t records = 0;
        for (TreeNode* node = bench.tree.First(); node != nullptr; node = bench.tree.Next(*node)) {
            if (!pelgo::reports::CheckIcon(bench.layout, node->Icon())) {
                continue;
            }
            records += tables.records.Find(node->Record()->uno).size();
            const TreeNode* owner = node->Parent();
            while (owner != nullptr && owner->Icon() != pelgo::structure::kIconEmployee &&
                   owner->Icon() != pelgo::structure::kIconDepartment) {
                owner = owner->Parent();
            }
            if (owner != nullptr) {
                records += tables.records.Find(owner->Record()->uno).size();
            }
            if (pelgo::structure::IsNetComputer(bench.tree, node)) {
                records += pelgo::archive::ReadArchiveRecords(tables.device,
                                                              pelgo::structure::ComputerAddress(bench.tree, *node))
                               .size();
            }
        }
        benchmark::DoNotOptimize(records);
    }
}

void BM_MakeUserReports(benchmark::State& state) {
    Tables tables;
    std::size_t paragraphs = 0;
    for (auto _ : state) {
        paragraphs = MakeReport(tables).paragraphs.size();
        benchmark::DoNotOptimize(paragraphs);
    }
    state.counters["paragraphs"] = static_cast<double>(paragraphs);
}

void BM_CopyBytes(benchmark::State& state) {
    const std::string copy = Bench().dir + "/copy.rtf";
    for (auto _ : state) {
        pelgo::core::WriteFileAtomically(copy, pelgo::core::ReadFileBytes(Bench().report));
    }
    state.counters["bytes"] = static_cast<double>(pelgo::core::ReadFileBytes(Bench().report).size());
}

void BM_WriteAndReadRtf(benchmark::State& state) {
    Tables tables;
    const pelgo::reports::RichText report = MakeReport(tables);
    const std::string written = Bench().dir + "/written.rtf";
    for (auto _ : state) {
        pelgo::reports::WriteRtfFile(written, report);
        benchmark::DoNotOptimize(pelgo::reports::ReadRtfFile(written));
    }
}

// What every summary reads: the archive lines of all computers.
void BM_ReadArchive(benchmark::State& state) {
    Tables tables;
    const pelgo::structure::TreeModel& tree = Bench().tree;
    for (auto _ : state) {
        std::size_t records = 0;
        for (const TreeNode* node = tree.First(); node != nullptr; node = tree.Next(*node)) {
            if (pelgo::structure::IsNetComputer(tree, node)) {
                records +=
                    pelgo::archive::ReadArchiveRecords(tables.device, pelgo::structure::ComputerAddress(tree, *node))
                        .size();
            }
        }
        benchmark::DoNotOptimize(records);
    }
}

void BM_EnterpriseSummary(benchmark::State& state) {
    Tables tables;
    for (auto _ : state) {
        benchmark::DoNotOptimize(pelgo::reports::HardwareSummary(
            pelgo::reports::CountHardware(Bench().tree, nullptr, tables.device), nullptr, "11.12.2026"));
    }
}

void BM_OwnersSummary(benchmark::State& state) {
    Tables tables;
    for (auto _ : state) {
        benchmark::DoNotOptimize(pelgo::reports::OwnersSummary(Bench().tree, tables.device));
    }
}

void BM_ProgramsSummary(benchmark::State& state) {
    Tables tables;
    for (auto _ : state) {
        benchmark::DoNotOptimize(pelgo::reports::ProgramsSummary(Bench().tree, tables.device));
    }
}

// Ten rules of every kind: inclusions, a continuation, a comparison and an exclusion, with replacements.
void BM_Revision(benchmark::State& state) {
    Tables tables;
    pelgo::reports::RevisionOptions options;
    options.departmentOnly = false;
    const auto rule = [](const char* group, const char* name, const char* typ, const char* text) {
        return pelgo::settings::RevisionRule{group, name, Utf8ToCp1251(typ), text};
    };
    options.rules = {rule("Computer", "CPU", "Есть", ""),
                     rule("Computer", "MotherBoard", "Есть", "ASUS"),
                     rule("Computer", "MotherBoard", "+Есть", "P5K"),
                     rule("Computer", "Memory_in_Mb", ">", "1024"),
                     rule("Current_Config", "", "Есть", "HDD"),
                     rule("Current_Config", "", "Нет", "WDC"),
                     rule("Info", "IP_Addr", "Есть", "10.0."),
                     rule("Info", "Computer_Name", "Есть", ""),
                     rule("Windows_Soft", "", "Есть", "office"),
                     rule("<", "", "Есть", "NVIDIA")};
    options.replacements = {{"Intel", "Intel Core 2"}, {"NVIDIA", ""}};
    std::size_t records = 0;
    for (auto _ : state) {
        const pelgo::reports::Revision revision =
            pelgo::reports::MakeRevision(Bench().tree, nullptr, tables.device, options, "11.12.2026", true);
        records = revision.table.records.size();
        benchmark::DoNotOptimize(revision);
    }
    state.counters["records"] = static_cast<double>(records);
}

// Every column of every group and two user columns, over the default node types.
void BM_InventorySheet(benchmark::State& state) {
    Tables tables;
    Fixture& bench = Bench();
    pelgo::reports::SheetParameters parameters = pelgo::reports::DefaultSheetParameters(bench.types);
    parameters.ticked.assign(parameters.ticked.size(), true);
    parameters.computerGroup = parameters.userColumnsOn = parameters.additionalGroup = true;
    parameters.userColumns = {{"Windows_Soft", "", "Microsoft"}, {"Computer", "BIOS", ""}};
    pelgo::reports::SheetSources sources{bench.tree, bench.types, tables.device, tables.additional};
    const std::vector<std::string> captions = pelgo::reports::DefaultSheetCaptions();
    std::size_t rows = 0;
    for (auto _ : state) {
        const pelgo::reports::Sheet sheet =
            pelgo::reports::MakeInventorySheet(sources, parameters, captions, nullptr, {});
        rows = sheet.rows.size();
        benchmark::DoNotOptimize(sheet);
    }
    state.counters["rows"] = static_cast<double>(rows);
}

BENCHMARK(BM_ReadThroughIndexes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadArchive)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EnterpriseSummary)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OwnersSummary)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ProgramsSummary)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MakeUserReports)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Revision)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InventorySheet)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CopyBytes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteAndReadRtf)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    Generate();
    {
        Tables tables;
        const pelgo::reports::RichText report = MakeReport(tables);
        pelgo::reports::WriteRtfFile(Bench().report, report);
        // The first computer's entry, to show the markers were filled.
        for (std::size_t p = 1; p < 5 && p < report.paragraphs.size(); ++p) {
            std::printf("%s\n", pelgo::reports::ParagraphUtf8(report.paragraphs[p]).c_str());
        }
    }
    pelgo::bench::RatioReporter generation("BM_ReadThroughIndexes");
    benchmark::RunSpecifiedBenchmarks(&generation, "BM_ReadThroughIndexes|BM_MakeUserReports|BM_InventorySheet");
    pelgo::bench::RatioReporter summaries("BM_ReadArchive");
    benchmark::RunSpecifiedBenchmarks(&summaries, "BM_ReadArchive|Summary|BM_Revision");
    pelgo::bench::RatioReporter rtf("BM_CopyBytes");
    benchmark::RunSpecifiedBenchmarks(&rtf, "BM_CopyBytes|BM_WriteAndReadRtf");
    benchmark::Shutdown();
    std::filesystem::remove_all(Bench().dir);
    return 0;
}
