// Signature check and format recognition of 2,000 generated collector files of about 40 KB, beside the
// floor of reading their bytes. The ratios to the floor are printed after the table.
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "archive/aida_conversion.h"
#include "archive/format_recognition.h"
#include "archive/signature.h"
#include "collector_file_generator.h"
#include "core/file.h"
#include "core/kel_ini_file.h"
#include "core/work_log.h"
#include "ratio_reporter.h"

namespace {

constexpr std::size_t kFiles = 2000;
constexpr std::size_t kFileSize = 40 * 1024;

class GeneratedFolder {
public:
    GeneratedFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "collector_bench_XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::perror("mkdtemp");
            std::exit(1);
        }
        m_dir = pattern;
        for (const auto& file : pelgo::bench::WriteCollectorFiles(m_dir + "/collect", kFiles, 1, kFileSize)) {
            m_paths.push_back(m_dir + "/collect/" + file.name);
            m_bytes += file.bytes.size();
        }
    }
    ~GeneratedFolder() { std::filesystem::remove_all(m_dir); }
    const std::string& Dir() const { return m_dir; }
    const std::vector<std::string>& Paths() const { return m_paths; }
    std::size_t Bytes() const { return m_bytes; }

private:
    std::string m_dir;
    std::vector<std::string> m_paths;
    std::size_t m_bytes = 0;
};

const GeneratedFolder* g_folder = nullptr;

void Report(benchmark::State& state) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * g_folder->Bytes()));
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kFiles));
}

void BM_ReadFileBytes(benchmark::State& state) {
    for (auto _ : state) {
        for (const std::string& path : g_folder->Paths()) {
            const std::string bytes = pelgo::core::ReadFileBytes(path);
            benchmark::DoNotOptimize(bytes.data());
        }
    }
    Report(state);
}
BENCHMARK(BM_ReadFileBytes)->Unit(benchmark::kMillisecond);

void BM_CheckSignature(benchmark::State& state) {
    std::size_t valid = 0;
    for (auto _ : state) {
        valid = 0;
        for (const std::string& path : g_folder->Paths()) {
            pelgo::core::TKelIniFile file(path, true);
            valid += pelgo::archive::SignatureIsValid(file) ? 1 : 0;
        }
    }
    Report(state);
    state.counters["valid"] = static_cast<double>(valid);
}
BENCHMARK(BM_CheckSignature)->Unit(benchmark::kMillisecond);

void BM_CheckIniFormat(benchmark::State& state) {
    pelgo::core::Clock clock;
    pelgo::core::WorkLog log(g_folder->Dir() + "/pelgo.log", clock);
    pelgo::archive::AidaConversion conversion;
    const pelgo::archive::RecognitionPaths paths{g_folder->Dir() + "/cfg_conv", g_folder->Dir() + "/pelgotmp.ini"};
    for (auto _ : state) {
        for (const std::string& path : g_folder->Paths()) {
            benchmark::DoNotOptimize(pelgo::archive::CheckIniFormat(path, paths, conversion, log));
        }
    }
    Report(state);
}
BENCHMARK(BM_CheckIniFormat)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    const GeneratedFolder folder;
    g_folder = &folder;
    pelgo::bench::RatioReporter reporter("BM_ReadFileBytes");
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
