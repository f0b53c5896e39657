// Single edits by hand in a structure tree of 100,000 nodes: adding a node, dragging a computer (with its
// journal record in device.dbf) to another employee, and deleting a node with its records in other.dbf,
// each with its work-log line. An edit walks no more of the tree than the path to its node; the pre-order
// table that absolute indexes need is rebuilt only when something asks for one (the next save), and that
// walk is measured on its own ("BM_IndexAfterEdit"). The mean of each is set beside the load of the same
// tree (counter "x_load") and against one frame of 16 ms ("frames"): an edit must stay far below a frame.
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "archive/computer_journal.h"
#include "core/file.h"
#include "enterprise_tree.h"
#include "platform/dbf_table.h"
#include "quiet_user.h"
#include "structure/node_records_table.h"
#include "structure/tree_editor.h"
#include "structure/tree_storage.h"
#include "timing.h"

namespace {

namespace core = pelgo::core;
namespace platform = pelgo::platform;
namespace shell = pelgo::shell;
namespace structure = pelgo::structure;
using pelgo::bench::Timed;
using structure::TreeNode;
using structure::TreeStorage;

constexpr int kNodes = 100'000;
constexpr double kFrameSeconds = 0.016;

platform::DbfTable OpenTable(const std::string& path, std::span<const platform::DbfFieldSpec> fields,
                             const char* tag, const core::Clock& clock) {
    platform::DbfTable::Create(path, fields, clock);
    platform::DbfTable table = platform::DbfTable::Open(path, platform::DbfOpenMode::Shared, clock);
    table.SetIndex(tag);
    return table;
}

// The application state's part of an edit, on real tables.
class Host : public structure::EditorHost {
public:
    Host(platform::DbfTable& device, platform::DbfTable& other, core::WorkLog& log, const core::Clock& clock)
        : m_device(device), m_other(other), m_log(log), m_clock(clock) {}
    bool ProtectData() override { return false; }
    void SetTreeModified() override {}
    void TakeExclusive() override {}
    bool MultiUserWarningOk() override { return true; }
    void CheckCurrentConfig() override {}
    void AddToLog(const std::string& mac, const std::string& text) override {
        pelgo::archive::AddToLog(m_device, m_log, m_clock, mac, text, "");
    }
    void DeleteNodeRecords(const std::string& uno) override {
        structure::NodeRecordsTable(m_other).DeleteNodeRecords(uno);
    }
    void AppendNodeRecord(const std::string& uno, const std::string& group, const std::string& name,
                          const std::string& text) override {
        structure::NodeRecordsTable(m_other).Append(uno, group, name, text);
    }
    void AfterMove() override {}

private:
    platform::DbfTable& m_device;
    platform::DbfTable& m_other;
    core::WorkLog& m_log;
    const core::Clock& m_clock;
};

struct Fixture {
    Fixture() : dir(MakeDir()), log(dir + "/pelgo.log", clock) {
        settings.Paths().SetBaseDirectory(dir);
    }
    static std::string MakeDir() {
        std::string pattern = "/tmp/tree_edit_bench_XXXXXX";
        if (mkdtemp(pattern.data()) == nullptr) {
            std::abort();
        }
        return pattern;
    }

    std::string dir;
    core::Clock clock;
    shell::Settings settings{"/"};
    core::WorkLog log;
    structure::NodeTypes nodeTypes{{}};
    shell::ProtectionFlags flags;
    structure::TreeModel tree;
    structure::NodeIdentity identity{tree, clock};
    structure::Bookmarks bookmarks{tree};
    pelgo::bench::QuietDialog dialog{platform::Answer::Yes};
    pelgo::bench::NoProgress progress;
    platform::DbfTable device = OpenTable(dir + "/device.dbf", platform::kDeviceTableFields, "MAC_ADR", clock);
    platform::DbfTable other = OpenTable(dir + "/other.dbf", platform::kOtherTableFields, "UNO", clock);
    Host host{device, other, log, clock};
    structure::TreeEditor editor{tree, identity, nodeTypes, settings, log, dialog, bookmarks, host, "IVANOV"};
    std::unique_ptr<TreeStorage> storage;
    double loadSeconds = 0;
};

Fixture& Bench() {
    static Fixture fixture;
    return fixture;
}

void Generate() {
    Fixture& bench = Bench();
    bench.storage = std::make_unique<TreeStorage>(structure::TreeStorageContext{
        bench.tree, bench.identity, bench.nodeTypes, bench.settings, bench.flags, [] { return false; }, [] {},
        bench.log, bench.dialog, bench.progress, bench.clock});
    bench.storage->SetupTreeNode(TreeStorage::kLoad); // the first run: the bucket node alone
    pelgo::bench::BuildEnterpriseTree(bench.tree, kNodes);
    if (!bench.storage->SetupTreeNode(TreeStorage::kSave)) {
        std::abort();
    }
}

// Times edits and reports their mean.
class EditTimer {
public:
    explicit EditTimer(benchmark::State& state) : m_state(state) {}
    ~EditTimer() {
        const double mean = m_total / static_cast<double>(m_state.iterations());
        m_state.counters["x_load"] = mean / Bench().loadSeconds;
        m_state.counters["frames"] = mean / kFrameSeconds;
    }
    template <typename Edit> void Time(Edit&& edit) {
        const double seconds = Timed([&] { benchmark::DoNotOptimize(edit()); });
        m_total += seconds;
        m_state.SetIterationTime(seconds);
    }

private:
    benchmark::State& m_state;
    double m_total = 0;
};

// A node in the middle of the tree, of the given type.
TreeNode& Middle(int icon) {
    structure::TreeModel& tree = Bench().tree;
    for (int index = tree.Count() / 2; index < tree.Count(); ++index) {
        if (tree.NodeAt(index)->Icon() == icon) {
            return *tree.NodeAt(index);
        }
    }
    std::abort();
}

void BM_LoadTree(benchmark::State& state) {
    for (auto _ : state) {
        const double seconds = Timed([] {
            if (!Bench().storage->SetupTreeNode(TreeStorage::kLoad)) {
                std::abort();
            }
        });
        Bench().loadSeconds = Bench().loadSeconds > 0 ? std::min(Bench().loadSeconds, seconds) : seconds;
        state.SetIterationTime(seconds);
    }
    state.counters["nodes"] = Bench().tree.Count();
}

void BM_AddNode(benchmark::State& state) {
    structure::AddRequest request;
    request.icon = 5;
    request.text = "LCD";
    EditTimer timer(state);
    for (auto _ : state) {
        TreeNode& employee = Middle(2);
        timer.Time([&] { return Bench().editor.Add(&employee, request).back(); });
    }
}

void BM_DragComputer(benchmark::State& state) {
    EditTimer timer(state);
    for (auto _ : state) {
        TreeNode& computer = Middle(3);
        TreeNode& target = *Bench().tree.NodeAt(Bench().tree.Count() / 4);
        timer.Time([&] {
            if (!Bench().editor.DragMove(computer, target)) {
                std::abort();
            }
            return &computer;
        });
    }
}

void BM_DeleteNode(benchmark::State& state) {
    EditTimer timer(state);
    for (auto _ : state) {
        TreeNode& monitor = Middle(5);
        const std::string uno = Bench().identity.NodeUno(&monitor);
        structure::NodeRecordsTable(Bench().other).Append(uno, "Main", "aModel", "LCD");
        timer.Time([&] { return Bench().editor.Delete(monitor); });
    }
}

// The first absolute index asked for after a structural edit: one walk of the whole tree.
void BM_IndexAfterEdit(benchmark::State& state) {
    EditTimer timer(state);
    for (auto _ : state) {
        TreeNode& computer = Middle(3);
        TreeNode& target = *Bench().tree.NodeAt(Bench().tree.Count() / 4);
        Bench().editor.DragMove(computer, target);
        timer.Time([&] { return Bench().tree.AbsoluteIndex(computer); });
    }
}

BENCHMARK(BM_LoadTree)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_AddNode)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(200);
BENCHMARK(BM_DragComputer)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(200);
BENCHMARK(BM_DeleteNode)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(200);
BENCHMARK(BM_IndexAfterEdit)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(50);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    Generate();
    std::printf("tree of %d nodes\n", Bench().tree.Count());
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(Bench().dir);
    return 0;
}
