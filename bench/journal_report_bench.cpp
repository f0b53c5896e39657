// The journal report on an enterprise department of 5,000 nodes whose equipment holds 20,000 journal records
// (two repair entries and one upgrade per device), compared with reading the same nodes' records through the
// index, the input no report can skip.
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

#include "core/cp1251.h"
#include "enterprise_tree.h"
#include "platform/dbf_table.h"
#include "ratio_reporter.h"
#include "reports/journal_report.h"
#include "reports/template_report.h"
#include "structure/additional_data.h"
#include "structure/node_records_table.h"
#include "structure/node_types.h"
#include "structure/tree_model.h"
#include "structure/uno.h"

namespace {

using pelgo::core::Utf8ToCp1251;
using pelgo::platform::DbfOpenMode;
using pelgo::platform::DbfTable;
using pelgo::structure::TreeNode;

constexpr int kTreeNodes = 5'001; // the bucket and the enterprise's 5,000
constexpr int kJournalRecords = 20'000;
constexpr int kRecordsPerDevice = 8;

struct Fixture {
    std::string dir;
    std::string other;
    pelgo::core::Clock clock;
    pelgo::structure::TreeModel tree;
    std::optional<pelgo::structure::NodeIdentity> identity;
    std::vector<pelgo::structure::JournalDefinition> journals = pelgo::structure::JournalDefinitions({});
    const TreeNode* enterprise = nullptr;
};

Fixture& Bench() {
    static Fixture fixture;
    return fixture;
}

bool IsDevice(const TreeNode& node) {
    return node.Icon() >= pelgo::structure::kIconComputer && node.Icon() != pelgo::structure::kIconMacAddress;
}

void Generate() {
    Fixture& bench = Bench();
    std::string pattern = "/tmp/journal_report_bench_XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
        std::abort();
    }
    bench.dir = pattern;
    bench.other = bench.dir + "/other.dbf";
    DbfTable::Create(bench.other, pelgo::platform::kOtherTableFields, bench.clock);

    bench.tree.AddChild(nullptr, -1, Utf8ToCp1251("Неоприходованная техника"), 1);
    pelgo::bench::BuildEnterpriseTree(bench.tree, kTreeNodes);
    bench.enterprise = bench.tree.TopLevel(1);
    bench.identity.emplace(bench.tree, bench.clock);
    DbfTable other = DbfTable::Open(bench.other, DbfOpenMode::Exclusive, bench.clock);
    const std::string repair = Utf8ToCp1251("Замена блока питания");
    int journalRecords = 0;
    int devices = 0;
    for (TreeNode* node = bench.tree.First(); node != nullptr; node = bench.tree.Next(*node)) {
        const std::string uno = bench.identity->NewAddData(*node).uno;
        if (node->Icon() == pelgo::structure::kIconEmployee) {
            other.Append({uno, "Main", "aPhone", "22-" + std::to_string(node->Handle() % 100)});
        }
        if (!IsDevice(*node) || journalRecords + kRecordsPerDevice > kJournalRecords) {
            continue;
        }
        ++devices;
        other.Append({uno, "Main", "aModel", "Model " + std::to_string(devices % 40)});
        other.Append({uno, "Main", "aInumber", "01-" + std::to_string(devices)});
        const std::string day = std::to_string(10 + devices % 18) + ".11.2026";
        for (int field = 1; field <= 4; ++field) {
            other.Append({uno, "0;1 , " + day, "Edit" + std::to_string(field), repair});
        }
        other.Append({uno, "1;1 , " + day, "Edit1", repair});
        other.Append({uno, "1;1 , " + day, "Edit2", repair});
        other.Append({uno, "0;2 , 01.12.2026", "Edit1", repair});
        other.Append({uno, "0;2 , 01.12.2026", "Edit2", repair});
        journalRecords += kRecordsPerDevice;
    }
    if (journalRecords != kJournalRecords) {
        std::fprintf(stderr, "the tree's devices hold %d journal records instead of %d\n", journalRecords,
                     kJournalRecords);
        std::abort();
    }
}

struct Tables {
    Tables() { other.SetIndex("UNO"); }
    DbfTable other = DbfTable::Open(Bench().other, DbfOpenMode::ReadOnly, Bench().clock);
    pelgo::structure::NodeRecordsTable records{other};
};

pelgo::reports::RichText MakeReport(Tables& tables, const pelgo::reports::JournalFilter& filter) {
    Fixture& bench = Bench();
    return pelgo::reports::JournalReport(bench.tree, *bench.enterprise, 0, bench.journals, tables.records, filter,
                                         "11.12.2026");
}

// Every node of the department's subtree and its records, found through the index.
void BM_ReadThroughIndex(benchmark::State& state) {
    Tables tables;
    Fixture& bench = Bench();
    const pelgo::reports::NodeWalk walk =
        pelgo::reports::ScopeWalk(bench.tree, pelgo::reports::ReportScope::Department, bench.enterprise);
    for (auto _ : state) {
        std::size_t records = 0;
        for (const TreeNode* node = walk.first; node != walk.stop; node = bench.tree.Next(*node)) {
            records += tables.records.Find(node->Record()->uno).size();
        }
        benchmark::DoNotOptimize(records);
    }
}

void BM_JournalReport(benchmark::State& state) {
    Tables tables;
    std::size_t paragraphs = 0;
    for (auto _ : state) {
        paragraphs = MakeReport(tables, {}).paragraphs.size();
        benchmark::DoNotOptimize(paragraphs);
    }
    state.counters["paragraphs"] = static_cast<double>(paragraphs);
}

// "Только за" one day: most entries are read and dropped.
void BM_JournalReportOfADay(benchmark::State& state) {
    Tables tables;
    std::size_t paragraphs = 0;
    for (auto _ : state) {
        paragraphs = MakeReport(tables, {false, "12.11.2026"}).paragraphs.size();
        benchmark::DoNotOptimize(paragraphs);
    }
    state.counters["paragraphs"] = static_cast<double>(paragraphs);
}

BENCHMARK(BM_ReadThroughIndex)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JournalReport)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JournalReportOfADay)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    Generate();
    {
        Tables tables;
        const pelgo::reports::RichText report = MakeReport(tables, {});
        // The first device's header and entry, to show the report was filled.
        for (std::size_t p = 0; p < 12 && p < report.paragraphs.size(); ++p) {
            std::printf("%s\n", pelgo::reports::ParagraphUtf8(report.paragraphs[p]).c_str());
        }
    }
    pelgo::bench::RatioReporter ratio("BM_ReadThroughIndex");
    benchmark::RunSpecifiedBenchmarks(&ratio);
    benchmark::Shutdown();
    std::filesystem::remove_all(Bench().dir);
    return 0;
}
