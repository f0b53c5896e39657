// Synchronising and checking inventory numbers on 20,000 nodes shaped like an enterprise with 200,000 records
// in other.dbf (every computer's number stored as in its caption, every monitor's stored only, so that each
// run renames the monitors; the rest journal entries spread over all nodes), each run from the files as a
// command starts it, beside the floor of loading the tree and reading the table once.
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "core/cp1251.h"
#include "enterprise_tree.h"
#include "inventory/number_sync.h"
#include "platform/dbf_table.h"
#include "quiet_user.h"
#include "ratio_reporter.h"
#include "structure/node_records_table.h"
#include "structure/tree_storage.h"
#include "structure/uno.h"

namespace {

namespace core = pelgo::core;
namespace inventory = pelgo::inventory;
namespace platform = pelgo::platform;
namespace shell = pelgo::shell;
namespace structure = pelgo::structure;
using structure::TreeNode;
using structure::TreeStorage;

constexpr int kNodes = 20'000;
constexpr int kRecords = 200'000;

struct Fixture {
    std::string dir;
    std::string other;
    core::Clock clock;
    shell::Settings settings{"/"};
    core::WorkLog log{"/dev/null", clock};
    structure::NodeTypes nodeTypes{{}};
    shell::ProtectionFlags flags;
    structure::TreeModel tree;
    structure::NodeIdentity identity{tree, clock};
    pelgo::bench::QuietDialog dialog;
    pelgo::bench::NoProgress progress;
    std::unique_ptr<TreeStorage> storage;
};

Fixture& Bench() {
    static Fixture fixture;
    return fixture;
}

void LoadTree() {
    if (!Bench().storage->SetupTreeNode(TreeStorage::kLoad)) {
        std::abort();
    }
}

platform::DbfTable OpenTable() {
    platform::DbfTable table = platform::DbfTable::Open(Bench().other, platform::DbfOpenMode::Shared, Bench().clock);
    table.SetIndex("UNO");
    return table;
}

void Generate() {
    Fixture& bench = Bench();
    std::string pattern = "/tmp/number_sync_bench_XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
        std::abort();
    }
    bench.dir = pattern;
    bench.other = bench.dir + "/other.dbf";
    bench.settings.Paths().SetBaseDirectory(bench.dir);
    bench.storage = std::make_unique<TreeStorage>(structure::TreeStorageContext{
        bench.tree, bench.identity, bench.nodeTypes, bench.settings, bench.flags, [] { return false; }, [] {},
        bench.log, bench.dialog, bench.progress, bench.clock});
    bench.log.SetMovingSize(0);
    LoadTree(); // the first run: the bucket node alone
    pelgo::bench::BuildEnterpriseTree(bench.tree, kNodes);
    std::vector<std::vector<std::string>> records;
    std::vector<std::string> unos;
    for (TreeNode* node = bench.tree.First(); node != nullptr; node = bench.tree.Next(*node)) {
        const std::string uno = bench.identity.NewAddData(*node).uno;
        unos.push_back(uno);
        const std::string number = inventory::TreeNumber(node->Text());
        if (!number.empty()) {
            records.push_back({uno, "Main", "aInumber", number});
        } else if (node->Icon() == 5) {
            records.push_back({uno, "Main", "aInumber", "M-" + std::to_string(records.size())});
        }
    }
    const std::string entry = core::Utf8ToCp1251("Замена картриджа, заявка от 12.03.2026");
    for (std::size_t i = 0; records.size() < kRecords; ++i) {
        records.push_back({unos[i % unos.size()], "35", std::to_string(i), entry});
    }
    platform::DbfTable::Create(bench.other, platform::kOtherTableFields, bench.clock);
    platform::DbfTable::Open(bench.other, platform::DbfOpenMode::Exclusive, bench.clock).AppendRecords(records);
    if (!bench.storage->SetupTreeNode(TreeStorage::kSave)) {
        std::abort();
    }
}

void BM_LoadTreeAndReadTable(benchmark::State& state) {
    for (auto _ : state) {
        LoadTree();
        platform::DbfTable table = OpenTable();
        std::size_t records = 0;
        table.Walk([&](const platform::DbfRecord&) { ++records; });
        benchmark::DoNotOptimize(records);
    }
}

void BM_Synchronize(benchmark::State& state) {
    std::size_t exported = 0;
    bool renamed = false;
    for (auto _ : state) {
        LoadTree();
        platform::DbfTable table = OpenTable();
        structure::NodeRecordsTable records(table);
        const inventory::SyncOutcome outcome = inventory::SynchronizeNumbers(
            Bench().tree, Bench().identity, records,
            [](const TreeNode&, const std::string&, const std::string&) { return inventory::NumberChoice::Skip; },
            [](TreeNode& node, std::string caption) { Bench().tree.SetText(node, std::move(caption)); }, [] {});
        inventory::ApplyRecordChanges(records, outcome.recordChanges);
        exported = outcome.exportLines.size();
        renamed = outcome.captionsChanged;
        benchmark::DoNotOptimize(outcome);
    }
    if (!renamed) {
        state.SkipWithError("the monitors were not renamed");
    }
    state.counters["exported"] = static_cast<double>(exported);
}

void BM_Check(benchmark::State& state) {
    std::size_t numbered = 0;
    for (auto _ : state) {
        LoadTree();
        const inventory::CheckOutcome outcome = inventory::CheckNumbers(Bench().tree, Bench().nodeTypes, [] {});
        numbered = static_cast<std::size_t>(outcome.numbered);
        benchmark::DoNotOptimize(outcome);
    }
    state.counters["numbered"] = static_cast<double>(numbered);
}

BENCHMARK(BM_LoadTreeAndReadTable)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Synchronize)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Check)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    Generate();
    std::printf("%d nodes, %d records in other.dbf\n", Bench().tree.Count(), kRecords);
    pelgo::bench::RatioReporter reporter("BM_LoadTreeAndReadTable");
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    std::filesystem::remove_all(Bench().dir);
    return 0;
}
