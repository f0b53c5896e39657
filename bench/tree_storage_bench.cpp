// The structure tree's load and save on 100,000 nodes shaped like an enterprise (departments, employees,
// computers with their adapter addresses, monitors and printers; a fifth of the nodes with two comment
// lines), each figure beside the floor of the same bytes moved without parsing: reading the three files
// for the load (counter "x_read"), copying them with the same write-through commit for the save
// ("x_copy"). The files are generated once into a temporary folder and read from the page cache.
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/cp1251.h"
#include "core/file.h"
#include "enterprise_tree.h"
#include "quiet_user.h"
#include "structure/tree_storage.h"
#include "structure/uno.h"
#include "timing.h"

namespace {

namespace core = pelgo::core;
namespace platform = pelgo::platform;
namespace shell = pelgo::shell;
namespace structure = pelgo::structure;
using structure::TreeNode;
using structure::TreeStorage;

constexpr int kNodes = 100'000;

struct Fixture {
    std::string dir;
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
    std::uintmax_t bytes = 0;
    double readSeconds = 0;
    double copySeconds = 0;
};

Fixture& Bench() {
    static Fixture fixture;
    return fixture;
}

using pelgo::bench::Seconds;
using pelgo::bench::Timed;

void Generate() {
    Fixture& bench = Bench();
    std::string pattern = "/tmp/tree_storage_bench_XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
        std::abort();
    }
    bench.dir = pattern;
    bench.settings.Paths().SetBaseDirectory(bench.dir);
    bench.storage = std::make_unique<TreeStorage>(structure::TreeStorageContext{
        bench.tree, bench.identity, bench.nodeTypes, bench.settings, bench.flags, [] { return false; }, [] {},
        bench.log, bench.dialog, bench.progress, bench.clock});
    bench.log.SetMovingSize(0);
    bench.storage->SetupTreeNode(TreeStorage::kLoad); // the first run: the bucket node alone
    structure::TreeModel& tree = bench.tree;
    const std::string comment = core::Utf8ToCp1251("Куплен по накладной 1234 от 12.03.2004, гарантия 36 месяцев");
    pelgo::bench::BuildEnterpriseTree(tree, kNodes);
    int index = 0;
    for (TreeNode* node = tree.First(); node != nullptr; node = tree.Next(*node)) {
        if (++index % 5 == 0) {
            bench.identity.NewAddData(*node).comments.emplace({comment, comment + " (2)"});
        }
    }
    if (!bench.storage->SetupTreeNode(TreeStorage::kSave)) {
        std::abort();
    }
    for (const std::string& path : bench.storage->Paths().All()) {
        bench.bytes += std::filesystem::file_size(path);
    }
}

void BM_ReadThreeFilesFloor(benchmark::State& state) {
    for (auto _ : state) {
        const double seconds = Timed([] {
            for (const std::string& path : Bench().storage->Paths().All()) {
                benchmark::DoNotOptimize(core::ReadFileBytes(path));
            }
        });
        Bench().readSeconds = Bench().readSeconds > 0 ? std::min(Bench().readSeconds, seconds) : seconds;
        state.SetIterationTime(seconds);
        state.SetBytesProcessed(static_cast<std::int64_t>(Bench().bytes));
    }
}

void BM_CopyThreeFilesFloor(benchmark::State& state) {
    for (auto _ : state) {
        const double seconds = Timed([] {
            for (const std::string& path : Bench().storage->Paths().All()) {
                core::WriteFileAtomically(path + ".copy", core::ReadFileBytes(path));
            }
        });
        Bench().copySeconds = Bench().copySeconds > 0 ? std::min(Bench().copySeconds, seconds) : seconds;
        state.SetIterationTime(seconds);
        state.SetBytesProcessed(static_cast<std::int64_t>(Bench().bytes));
    }
}

void BM_LoadTree(benchmark::State& state) {
    for (auto _ : state) {
        const double seconds = Timed([] {
            if (!Bench().storage->SetupTreeNode(TreeStorage::kLoad)) {
                std::abort();
            }
        });
        state.SetIterationTime(seconds);
        state.counters["x_read"] = seconds / Bench().readSeconds;
    }
    state.counters["nodes"] = Bench().tree.Count();
}

void BM_SaveTree(benchmark::State& state) {
    for (auto _ : state) {
        const double seconds = Timed([] {
            if (!Bench().storage->SetupTreeNode(TreeStorage::kSave)) {
                std::abort();
            }
        });
        state.SetIterationTime(seconds);
        state.counters["x_copy"] = seconds / Bench().copySeconds;
    }
}

BENCHMARK(BM_ReadThreeFilesFloor)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_CopyThreeFilesFloor)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_LoadTree)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_SaveTree)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    const double generated = Timed(Generate);
    std::printf("generated %d nodes (%ju bytes in the three files) in %.2f s\n", Bench().tree.Count(), Bench().bytes,
                generated);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(Bench().dir);
    return 0;
}
