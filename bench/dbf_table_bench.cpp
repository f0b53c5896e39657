// The table engine on one million records of the node-record layout (about 100,000 UNO keys with ten
// records each, scattered as years of appends leave them): open with the index build, key lookups with their
// scans, appends and pack. Each figure is also given as a ratio to the floor of reading the file's bytes
// (counter "x_read", against the fastest read); python's dbfread reading the same table, started from here
// through std::system, is the peer. The table is generated once into a temporary folder and read from the
// page cache.
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

#include "core/cp1251.h"
#include "core/file.h"
#include "platform/dbf_table.h"
#include "timing.h"

namespace {

using pelgo::platform::DbfOpenMode;
using pelgo::platform::DbfTable;

constexpr int kRecords = 1'000'000;
constexpr int kKeys = 100'000;
constexpr int kLookups = 10'000;
constexpr int kAppends = 100'000;
constexpr int kDeletedEveryNth = 20;

struct Fixture {
    std::string dir;
    std::string table;
    std::vector<std::string> keys;
    pelgo::core::Clock clock;
    double readSeconds = 0;
};

Fixture& Bench() {
    static Fixture fixture;
    return fixture;
}

using pelgo::bench::Seconds;
using pelgo::bench::Timed;

void Report(benchmark::State& state, double seconds) {
    state.SetIterationTime(seconds);
    if (Bench().readSeconds > 0) {
        state.counters["x_read"] = seconds / Bench().readSeconds;
    }
}

std::string Uno(std::mt19937& random) {
    std::uniform_int_distribution<int> letter('A', '}');
    std::string uno(12, ' ');
    for (char& c : uno) {
        c = static_cast<char>(letter(random));
    }
    return uno;
}

void Generate() {
    Fixture& bench = Bench();
    std::string pattern = "/tmp/dbf_table_bench_XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
        std::abort();
    }
    bench.dir = pattern;
    bench.table = bench.dir + "/other.dbf";
    std::mt19937 random(20240315);
    for (int i = 0; i < kKeys; ++i) {
        bench.keys.push_back(Uno(random));
    }
    const std::vector<std::string> names = {
        pelgo::core::Utf8ToCp1251("Модель"), pelgo::core::Utf8ToCp1251("Серийный номер"),
        pelgo::core::Utf8ToCp1251("Инвентарный номер"), pelgo::core::Utf8ToCp1251("Ответственный"),
        pelgo::core::Utf8ToCp1251("Дата покупки")};
    const std::string text = pelgo::core::Utf8ToCp1251("Системный блок Эльбрус-801 в корпусе Miditower, гарантия ");
    std::uniform_int_distribution<int> pickKey(0, kKeys - 1);
    DbfTable::Create(bench.table, pelgo::platform::kOtherTableFields, bench.clock);
    DbfTable table = DbfTable::Open(bench.table, DbfOpenMode::Exclusive, bench.clock);
    for (int i = 0; i < kRecords; ++i) {
        table.Append({bench.keys[pickKey(random)], i % 7 == 0 ? "Remont" : "Main",
                      names[static_cast<std::size_t>(i) % names.size()], text + std::to_string(i)});
    }
    for (int i = 0; i < kRecords; i += kDeletedEveryNth) {
        table.Delete(static_cast<pelgo::platform::RecordNumber>(i));
    }
}

std::string CopyOfTable(const std::string& name) {
    const std::string copy = Bench().dir + "/" + name;
    std::filesystem::copy_file(Bench().table, copy, std::filesystem::copy_options::overwrite_existing);
    return copy;
}

void BM_ReadFileBytesFloor(benchmark::State& state) {
    for (auto _ : state) {
        std::size_t size = 0;
        const double seconds = Timed([&] { size = pelgo::core::ReadFileBytes(Bench().table).size(); });
        Bench().readSeconds = Bench().readSeconds > 0 ? std::min(Bench().readSeconds, seconds) : seconds;
        state.SetIterationTime(seconds);
        state.SetBytesProcessed(static_cast<std::int64_t>(size));
    }
}

void BM_OpenWithIndexBuild(benchmark::State& state) {
    for (auto _ : state) {
        Report(state, Timed([&] {
                   DbfTable table = DbfTable::Open(Bench().table, DbfOpenMode::Shared, Bench().clock);
                   table.SetIndex("UNO");
               }));
    }
}

void BM_LookupsWithScans(benchmark::State& state) {
    DbfTable table = DbfTable::Open(Bench().table, DbfOpenMode::Shared, Bench().clock);
    table.SetIndex("UNO");
    std::mt19937 random(7);
    std::uniform_int_distribution<int> pickKey(0, kKeys - 1);
    std::size_t found = 0;
    for (auto _ : state) {
        Report(state, Timed([&] {
                   for (int i = 0; i < kLookups; ++i) {
                       found += table.Find(Bench().keys[static_cast<std::size_t>(pickKey(random))]).size();
                   }
               }));
    }
    state.counters["records_per_lookup"] = static_cast<double>(found) / (kLookups * state.iterations());
}

void BM_AppendsShared(benchmark::State& state) {
    const std::string record = pelgo::core::Utf8ToCp1251("Замена блока питания");
    for (auto _ : state) {
        DbfTable table = DbfTable::Open(CopyOfTable("appends.dbf"), DbfOpenMode::Shared, Bench().clock);
        table.SetIndex("UNO");
        Report(state, Timed([&] {
                   for (int i = 0; i < kAppends; ++i) {
                       table.Append({Bench().keys[static_cast<std::size_t>(i) % kKeys], "Remont", "Text", record});
                   }
               }));
    }
}

void BM_Pack(benchmark::State& state) {
    for (auto _ : state) {
        DbfTable table = DbfTable::Open(CopyOfTable("pack.dbf"), DbfOpenMode::Exclusive, Bench().clock);
        table.SetIndex("UNO");
        Report(state, Timed([&] { table.Pack(); }));
    }
}

void BM_DbfreadPeer(benchmark::State& state) {
    const std::string command = "/usr/bin/python3 -c \"import dbfread; sum(1 for _ in dbfread.DBF('" + Bench().table +
                                "', encoding='cp1251'))\"";
    for (auto _ : state) {
        int status = 0;
        Report(state, Timed([&] { status = std::system(command.c_str()); }));
        if (status != 0) {
            state.SkipWithError("python3 with dbfread did not run");
        }
    }
}

BENCHMARK(BM_ReadFileBytesFloor)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_OpenWithIndexBuild)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_LookupsWithScans)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_AppendsShared)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Pack)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_DbfreadPeer)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    const double generated = Timed(Generate);
    std::printf("generated %d records (%lld bytes) in %.1f s\n", kRecords,
                static_cast<long long>(std::filesystem::file_size(Bench().table)), generated);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(Bench().dir);
    return 0;
}
