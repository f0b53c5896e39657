// The computer view of a machine with 3,000 archive records (devices grouped by class, a long software list,
// SMART data, shares, a journal) in an archive of 200,000 records: reading its records (the floor: the view
// cannot be faster than its input), building the view from them, and both together as the window does.
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <unistd.h>
#include <vector>

#include "archive/computer_view.h"
#include "core/cp1251.h"
#include "platform/dbf_table.h"
#include "ratio_reporter.h"

namespace {

using pelgo::archive::AlarmRecord;
using pelgo::archive::ArchiveRecord;
using pelgo::archive::SmartTable;
using pelgo::archive::ViewTexts;
using pelgo::platform::DbfOpenMode;
using pelgo::platform::DbfTable;

constexpr int kViewedRecords = 3'000;
constexpr int kOtherComputers = 197;
constexpr const char* kViewed = "0050BA1C2D3E";

struct Fixture {
    std::string dir;
    std::string device;
    std::string other;
    pelgo::core::Clock clock;
    std::optional<SmartTable> smart;
};

Fixture& Bench() {
    static Fixture fixture;
    return fixture;
}

// About `count` records of one computer in the order a load stores them.
std::vector<std::vector<std::string>> ComputerRecords(const std::string& address, int count) {
    std::vector<std::vector<std::string>> records;
    const auto add = [&](std::string group, std::string name, std::string text) {
        records.push_back({address, std::move(group), std::move(name), std::move(text)});
    };
    add("File_Name", "File_Name", address);
    add("Info", "Record_Date", "10.12.2026 09:15:00");
    add("Info", "Computer_Name", "PC-" + address.substr(8));
    add("Info", "Current_User_Name", "IVANOV");
    add("Info", "MAC_Addr", address);
    add("Info", "MAC_Hint_1", "Intel Corporation");
    add("Info", "IP_Addr", "10.0.12.34");
    add("Info", "System", "Windows XP 5.1.2600 Service Pack 3");
    for (int p = 0; p <= 4; ++p) {
        add("Info", "Param_" + std::to_string(p), "param" + std::to_string(p));
    }
    add("Computer", "BIOS", "Award Modular BIOS v6.00PG 2A69KA0EC");
    add("Computer", "Motherboard", "ASUS P5K");
    add("Computer", "CPU", "Intel(R) Core(TM)2 Duo CPU E8400");
    add("Computer", "CPU_Freq_in_MHz", "3000");
    add("Computer", "Memory_in_Mb", "2048");
    add("Computer", "Total_HDD_in_Mb", "160000");
    for (const char* drive : {"C:\\ FIXED 80000 Mb", "D:\\ FIXED 80000 Mb", "E:\\ CDROM"}) {
        add("Computer", "Drive_" + std::string(1, drive[0]), drive);
    }
    add("Current_Config", "Device_1", "[Info]Computer_Name PC-" + address.substr(8));
    add("Current_Config", "Device_2", "Net Intel(R) PRO/1000 MT");
    add("Current_Config", "Device_3", "Display NVIDIA GeForce 8600 GT");
    add("Current_Config", "Device_4", "HDD ST3160815AS");
    const char* classes[] = {"Net ", "Display ", "HDD ", "CDRom ", "Keyboard ", "Mouse ", "USB ", "System "};
    for (int d = 0; d < 160; ++d) {
        const std::string cls = classes[d / 20];
        const std::string text =
            cls == "Net " && d % 20 == 0 ? "Net [1]Card Intel(R) PRO/1000 MT" : cls + "device " + std::to_string(d);
        add("Windows_Devices", "Device_" + std::to_string(d), text);
    }
    for (int n = 1; n <= 40; ++n) {
        add("S.M.A.R.T.", "HDD0_" + std::to_string(n), "<V>100 <W>100 <T>36 <R>" + std::to_string(n));
    }
    add("S.M.A.R.T.", "HDD0_Info", "ST3160815AS");
    add("Sharing", "Share_1", "C$ C:\\");
    add("Attention", "Line_1", "Shared printer");
    const std::string loaded = pelgo::core::Utf8ToCp1251("Загружено IVANOV из /srv/collect");
    for (char day = '1'; day <= '9'; ++day) {
        add("_Config_log_", std::string("0").append(1, day).append(".12.2026 09:15:00"), loaded);
    }
    for (int s = 0; records.size() < static_cast<std::size_t>(count); ++s) {
        add("Windows_Soft", "Soft_" + std::to_string(s), "Program number " + std::to_string(s) + " version 1.0");
    }
    return records;
}

void Generate() {
    Fixture& bench = Bench();
    std::string pattern = "/tmp/computer_view_bench_XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
        std::abort();
    }
    bench.dir = pattern;
    bench.device = bench.dir + "/device.dbf";
    bench.other = bench.dir + "/other.dbf";
    DbfTable::Create(bench.device, pelgo::platform::kDeviceTableFields, bench.clock);
    DbfTable::Create(bench.other, pelgo::platform::kOtherTableFields, bench.clock);
    DbfTable device = DbfTable::Open(bench.device, DbfOpenMode::Exclusive, bench.clock);
    // The viewed computer's records sit in the middle of the archive, as after years of loads.
    for (int c = 0; c <= kOtherComputers; ++c) {
        char address[13];
        std::snprintf(address, sizeof address, "00E0%08X", c * 7919);
        const bool viewed = c == kOtherComputers / 2;
        for (const auto& record : ComputerRecords(viewed ? kViewed : address, viewed ? kViewedRecords : 1'000)) {
            device.Append(record);
        }
    }
    device.Close();
    const std::string smart = bench.dir + "/smart";
    std::FILE* file = std::fopen(smart.c_str(), "wb");
    std::fputs("[Main]\r\nParamName=ENG\r\n[ENG]\r\n1=Raw Read Error Rate\r\n9=Power-On Hours\r\n", file);
    std::fclose(file);
    bench.smart = SmartTable::Load(smart);
}

struct Tables {
    Tables() {
        device.SetIndex("MAC_ADR");
        other.SetIndex("UNO");
    }
    DbfTable device = DbfTable::Open(Bench().device, DbfOpenMode::ReadOnly, Bench().clock);
    DbfTable other = DbfTable::Open(Bench().other, DbfOpenMode::ReadOnly, Bench().clock);
};

void BM_ReadRecords(benchmark::State& state) {
    Tables tables;
    for (auto _ : state) {
        benchmark::DoNotOptimize(pelgo::archive::ReadArchiveRecords(tables.device, kViewed));
    }
}

void BM_BuildView(benchmark::State& state) {
    Tables tables;
    const std::vector<ArchiveRecord> records = pelgo::archive::ReadArchiveRecords(tables.device, kViewed);
    const std::vector<AlarmRecord> alarms;
    const ViewTexts texts = ViewTexts::Translated();
    for (auto _ : state) {
        benchmark::DoNotOptimize(pelgo::archive::BuildComputerView(records, alarms, &*Bench().smart, texts));
    }
    state.counters["records"] = static_cast<double>(records.size());
}

void BM_ViewOfComputer(benchmark::State& state) {
    Tables tables;
    const ViewTexts texts = ViewTexts::Translated();
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            pelgo::archive::ViewOfComputer(tables.device, tables.other, kViewed, &*Bench().smart, texts));
    }
}

BENCHMARK(BM_ReadRecords)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuildView)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ViewOfComputer)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    Generate();
    pelgo::bench::RatioReporter reporter("BM_ReadRecords");
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    std::filesystem::remove_all(Bench().dir);
    return 0;
}
