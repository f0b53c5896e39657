// The collector-file search over 2,000 generated files of about 40 KB: a pattern found nowhere and one that
// every file holds outside the searched section, with case ignored and kept. Each run is timed beside
// `LC_ALL=C grep -rlF` (with -i when case is ignored) on the same files in the same iteration (counter
// "x_grep"). The section is INFO, and "WINDOWS Soft" once for the pattern found nowhere. Goal: within 1.5 times grep.
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "collector_file_generator.h"
#include "search/config_search.h"
#include "timing.h"

namespace {

using pelgo::bench::Timed;

constexpr std::size_t kFiles = 2000;
constexpr std::size_t kFileBytes = 40 * 1024;
constexpr const char* kNowhere = "qzx nowhere 7731";
// A section header of every file; the searched section is INFO.
constexpr const char* kOutside = "windows_devices";

std::string& Folder() {
    static std::string folder;
    return folder;
}

void Generate() {
    std::string pattern = "/tmp/config_search_bench_XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
        std::abort();
    }
    Folder() = pattern;
    std::size_t bytes = 0;
    for (const auto& file : pelgo::bench::WriteCollectorFiles(pattern + "/files", kFiles, 1, kFileBytes)) {
        if (file.bytes.find("Windows_Devices") == std::string::npos) {
            std::fprintf(stderr, "a generated file lacks [Windows_Devices]\n");
            std::abort();
        }
        bytes += file.bytes.size();
    }
    std::printf("%zu collector files, %zu bytes\n", kFiles, bytes);
}

double Grep(const std::string& text, bool matchCase) {
    const std::string command = std::string("LC_ALL=C grep -rlF") + (matchCase ? "" : "i") + " -- '" + text + "' " +
                                Folder() + "/files > /dev/null";
    return Timed([&] {
        // grep's exit code 1 (nothing found) is expected for the pattern found nowhere.
        benchmark::DoNotOptimize(std::system(command.c_str()));
    });
}

// A whole search as pelgo-cli runs it: "C начала", then "Дальше..." until nothing more.
void Search(benchmark::State& state, const char* text, bool matchCase, const char* section = "INFO") {
    const std::string pattern(text);
    for (auto _ : state) {
        std::size_t hits = 0;
        const double seconds = Timed([&] {
            pelgo::search::ConfigSearch search;
            search.directories = {{Folder() + "/files", true}};
            search.section = section;
            for (bool continued = false; search.Find(pattern, matchCase, continued, {}).found; continued = true) {
                ++hits;
            }
        });
        if (hits != 0) {
            std::fprintf(stderr, "the pattern was found in the section\n");
            std::abort();
        }
        state.SetIterationTime(seconds);
        state.counters["x_grep"] = seconds / Grep(pattern, matchCase);
    }
}

void BM_NowhereCaseIgnored(benchmark::State& state) {
    Search(state, kNowhere, false);
}
void BM_NowhereCaseKept(benchmark::State& state) {
    Search(state, kNowhere, true);
}
// The largest section the dialog offers: every program of the computer is folded and compared.
void BM_NowhereInSoftCaseIgnored(benchmark::State& state) {
    Search(state, kNowhere, false, "WINDOWS Soft");
}
void BM_OutsideSectionCaseIgnored(benchmark::State& state) {
    Search(state, kOutside, false);
}
void BM_OutsideSectionCaseKept(benchmark::State& state) {
    Search(state, "Windows_Devices", true);
}

BENCHMARK(BM_NowhereCaseIgnored)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_NowhereCaseKept)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_NowhereInSoftCaseIgnored)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_OutsideSectionCaseIgnored)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_OutsideSectionCaseKept)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    Generate();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::filesystem::remove_all(Folder());
    return 0;
}
