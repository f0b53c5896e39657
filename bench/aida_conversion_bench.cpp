// Converting an AIDA32 report whose device list has 60,000 numbered keys, beside the floor of loading the same
// report. The conversion must stay linear in the report's size, so its ratio to the floor stays small.
#include <benchmark/benchmark.h>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "archive/aida_conversion.h"
#include "archive/format_recognition.h"
#include "core/file.h"
#include "core/kel_ini_file.h"
#include "core/work_log.h"
#include "ratio_reporter.h"

namespace {

constexpr int kDevices = 60000;

class ReportFolder {
public:
    ReportFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "aida_bench_XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::perror("mkdtemp");
            std::exit(1);
        }
        m_dir = pattern;
        std::string report = "[AIDA32 Report]\r\nDate=14.03.2007\r\n[Network]\r\nMAC Address=00-0e-a6-1c-2d-3e\r\n"
                             "[Devices]\r\n";
        for (int n = 1; n <= kDevices; ++n) {
            report += "Device" + std::to_string(n) + "=PCI\\VEN_8086&DEV_" + std::to_string(1000 + n) +
                      " Intel(R) 82801 PCI Bridge\r\n";
        }
        pelgo::core::WriteFileAtomically(ReportPath(), report);
        pelgo::core::WriteFileAtomically(Paths().rules, "[aida32]\r\n[Info]MAC_Addr=[Network]<MAC Address>\r\n"
                                                        "[Windows_Devices]Device=[Devices]<Device{1}>\r\n");
    }
    ~ReportFolder() { std::filesystem::remove_all(m_dir); }
    std::string ReportPath() const { return m_dir + "/report.ini"; }
    pelgo::archive::RecognitionPaths Paths() const { return {m_dir + "/cfg_conv", m_dir + "/private/pelgotmp.ini"}; }
    const std::string& Dir() const { return m_dir; }

private:
    std::string m_dir;
};

const ReportFolder* g_folder = nullptr;

void BM_LoadReport(benchmark::State& state) {
    for (auto _ : state) {
        pelgo::core::TKelIniFile report(g_folder->ReportPath(), true);
        benchmark::DoNotOptimize(report.Modified());
    }
}
BENCHMARK(BM_LoadReport)->Unit(benchmark::kMillisecond);

void BM_ConvertReport(benchmark::State& state) {
    pelgo::core::Clock clock;
    pelgo::core::WorkLog log(g_folder->Dir() + "/pelgo.log", clock);
    const pelgo::archive::RecognitionPaths paths = g_folder->Paths();
    for (auto _ : state) {
        pelgo::archive::AidaConversion conversion;
        if (pelgo::archive::CheckIniFormat(g_folder->ReportPath(), paths, conversion, log) != paths.convertedFile) {
            state.SkipWithError("the report was not converted");
            break;
        }
    }
}
BENCHMARK(BM_ConvertReport)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    const ReportFolder folder;
    g_folder = &folder;
    pelgo::bench::RatioReporter reporter("BM_LoadReport");
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
