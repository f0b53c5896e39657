// The archive update of 2,000 generated collector files of about 40 KB into a fresh installation: the first
// run and a second one that loads every file again, each beside its floor measured in the same run (reading
// the same files and writing a file the size of the table the run leaves: counter "x_floor"), with the peak
// memory of the process. Goal: within 3 times the floor and under 200 MB.
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "collector_file_generator.h"
#include "core/file.h"
#include "platform/dbf_table.h"
#include "quiet_user.h"
#include "session/app_state.h"
#include "session/archive_run.h"
#include "timing.h"

namespace {

namespace core = pelgo::core;
namespace platform = pelgo::platform;
namespace session = pelgo::session;
using pelgo::bench::Timed;

constexpr std::size_t kFiles = 2000;
constexpr std::size_t kFileBytes = 40 * 1024;

struct Fixture {
    std::string home;
    std::string files;
    std::uintmax_t fileBytes = 0;
};

Fixture& Bench() {
    static Fixture fixture;
    return fixture;
}

void Generate() {
    std::string pattern = "/tmp/archive_update_bench_XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
        std::abort();
    }
    Fixture& bench = Bench();
    bench.home = pattern;
    bench.files = pattern + "/files";
    for (const auto& file : pelgo::bench::WriteCollectorFiles(bench.files, kFiles, 1, kFileBytes)) {
        bench.fileBytes += file.bytes.size();
    }
    core::CreateDirectories(bench.home + "/BASE");
    const core::Clock clock;
    platform::DbfTable::Create(bench.home + "/BASE/device.dbf", platform::kDeviceTableFields, clock);
    platform::DbfTable::Create(bench.home + "/BASE/other.dbf", platform::kOtherTableFields, clock);
    core::WriteFileAtomically(bench.home + "/BASE/struct", "Bucket\r\n");
    core::WriteFileAtomically(bench.home + "/BASE/image", "1 ; AAAAAAAAAAAA ;\r\n");
    core::WriteFileAtomically(bench.home + "/pelgo.ini", "[Setup]\r\nCreateBackup=0\r\nUseWorkDir=0\r\n");
}

// Reading every file and writing a file the size of the table: the bytes a run cannot avoid moving.
double Floor() {
    const std::uintmax_t tableBytes = std::filesystem::file_size(Bench().home + "/BASE/device.dbf");
    return Timed([&] {
        for (const std::string& name : core::FilesIn(Bench().files)) {
            benchmark::DoNotOptimize(core::ReadFileBytes(Bench().files + "/" + name));
        }
        const std::string block(1 << 20, 'x');
        std::ofstream out(Bench().home + "/floor.bin", std::ios::binary | std::ios::trunc);
        for (std::uintmax_t written = 0; written < tableBytes; written += block.size()) {
            out.write(block.data(),
                      static_cast<std::streamsize>(std::min<std::uintmax_t>(block.size(), tableBytes - written)));
        }
    });
}

// The process's peak resident memory in MB since the last reset (VmHWM; writing 5 to clear_refs resets it).
double PeakMegabytes() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("VmHWM:")) {
            return std::strtod(line.c_str() + 6, nullptr) / 1024.0;
        }
    }
    return 0;
}

void ResetPeak() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

// One whole run on the application state, as pelgo-cli update makes it.
void RunUpdate(benchmark::State& state, bool all) {
    for (auto _ : state) {
        ResetPeak();
        pelgo::bench::QuietDialog dialog(platform::Answer::Yes);
        pelgo::bench::NoProgress progress;
        session::StartOptions options{Bench().home, Bench().home + "/pelgo", {}, "BENCH", "BENCH"};
        options.singleCommand = true;
        session::AppState app(options, dialog, progress);
        if (app.Start([](std::string_view) {}) != session::AppState::StartResult::Running) {
            std::abort();
        }
        app.Activate();
        session::ArchiveReferences references(app);
        pelgo::archive::UpdateOptions update;
        update.onlyNew = !all;
        update.placeNewComputers = false;
        const double seconds = Timed([&] {
            pelgo::archive::ArchiveUpdate(session::MakeUpdateContext(app, references, dialog, progress))
                .StartUpdate({Bench().files}, update, nullptr, Bench().home + "/Update.log");
        });
        app.SaveAll();
        app.CloseRequest();
        state.counters["peak_MB"] = PeakMegabytes(); // the run's, before the floor

        state.SetIterationTime(seconds);
        state.counters["x_floor"] = seconds / Floor();
    }
    state.counters["table_MB"] =
        static_cast<double>(std::filesystem::file_size(Bench().home + "/BASE/device.dbf")) / 1048576.0;
}

void BM_FirstRun(benchmark::State& state) {
    RunUpdate(state, false);
}

void BM_SecondRunAllFiles(benchmark::State& state) {
    RunUpdate(state, true);
}

BENCHMARK(BM_FirstRun)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_SecondRunAllFiles)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    Generate();
    std::printf("%zu collector files, %ju bytes\n", kFiles, Bench().fileBytes);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(Bench().home);
    return 0;
}
