// Loading a 1 MB collector file through a read-only TKelIniFile against the floor of reading its bytes. The
// ratio of the two is printed after the table.
#include <benchmark/benchmark.h>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "core/cp1251.h"
#include "core/file.h"
#include "core/kel_ini_file.h"
#include "ratio_reporter.h"

namespace {

constexpr std::size_t kTargetSize = 1 << 20;

// A file shaped like the collector agent's: a few fixed sections, then disks and installed programs until the
// target size is reached; Cyrillic values, quoted values and blanks around "=" as agents and editors leave them.
std::string CollectorFile() {
    using pelgo::core::Utf8ToCp1251;
    std::string text = "[Info]\r\nComputerName=BUH-07\r\nMAC=001122334455\r\n" + Utf8ToCp1251("Пользователь=Иванова") +
                       "\r\nOS=\"Microsoft Windows XP Professional\"\r\nDate=12.03.2007 10:15:00\r\n\r\n"
                       "[CPU]\r\nName = Intel(R) Pentium(R) 4 CPU 3.00GHz\r\nFrequency=3000\r\nCores=1\r\n\r\n"
                       "[Memory]\r\nTotal=1048576\r\nSlots=2\r\n" +
                       Utf8ToCp1251("Тип=DDR2 (двухканальный режим)") + "\r\n\r\n";
    for (int n = 0; n < 4; ++n) {
        text += "[Disk " + std::to_string(n) + "]\r\nModel=ST3160815AS\r\nSize=" + std::to_string(160 + n) +
                "000\r\nSerial='5RA" + std::to_string(n) + "XYZ'\r\nSmart=0A1B2C3D4E5F60718293A4B5C6D7E8F9\r\n\r\n";
    }
    for (int n = 0; text.size() < kTargetSize; ++n) {
        const std::string number = std::to_string(n);
        text += "[Program " + number + "]\r\nName=\"" + Utf8ToCp1251("Программа учёта ") + number +
                "\"\r\nVersion = 1." + number + "\r\nPublisher=" + Utf8ToCp1251("ООО \"Разработчик\"") +
                "\r\nInstallDate=2006" + number + "\r\nPath=C:\\Program Files\\Vendor\\Product " + number +
                "\\bin\r\n\r\n";
    }
    return text;
}

class CollectorFileFixture {
public:
    CollectorFileFixture() {
        std::string pattern = (std::filesystem::temp_directory_path() / "kel_ini_bench_XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::perror("mkdtemp");
            std::exit(1);
        }
        m_dir = pattern;
        m_path = m_dir + "/001122334455.ini";
        pelgo::core::WriteFileAtomically(m_path, CollectorFile());
    }
    ~CollectorFileFixture() { std::filesystem::remove_all(m_dir); }
    const std::string& Path() const { return m_path; }

private:
    std::string m_dir;
    std::string m_path;
};

const CollectorFileFixture* g_file = nullptr;

void BM_ReadFileBytes(benchmark::State& state) {
    std::size_t size = 0;
    for (auto _ : state) {
        const std::string bytes = pelgo::core::ReadFileBytes(g_file->Path());
        size = bytes.size();
        benchmark::DoNotOptimize(bytes.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}
BENCHMARK(BM_ReadFileBytes)->Unit(benchmark::kMicrosecond);

void BM_LoadReadOnly(benchmark::State& state) {
    std::size_t sections = 0;
    for (auto _ : state) {
        pelgo::core::TKelIniFile ini(g_file->Path(), true);
        pelgo::core::StringList names;
        ini.ReadSections(names);
        sections = names.size();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * std::filesystem::file_size(g_file->Path())));
    state.counters["sections"] = static_cast<double>(sections);
}
BENCHMARK(BM_LoadReadOnly)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    const CollectorFileFixture file;
    g_file = &file;
    pelgo::bench::RatioReporter reporter("BM_ReadFileBytes");
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
