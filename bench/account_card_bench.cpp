// The account card of a computer with 3,000 archive lines, in an archive that also holds 500 other computers of
// 60 lines each. Building the card is compared with reading the same records through the two tables' indexes:
// the computer's archive lines and its node records, the input no card can skip.
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <unistd.h>

#include "archive/computer_view.h"
#include "core/cp1251.h"
#include "platform/dbf_table.h"
#include "ratio_reporter.h"
#include "report_tables.h"
#include "reports/computer_documents.h"
#include "structure/additional_data.h"
#include "structure/node_queries.h"
#include "structure/node_records_table.h"
#include "structure/node_types.h"
#include "structure/tree_model.h"
#include "structure/uno.h"

namespace {

using pelgo::core::Utf8ToCp1251;
using pelgo::platform::DbfOpenMode;
using pelgo::platform::DbfTable;
using pelgo::structure::TreeNode;

constexpr int kCardLines = 3'000;
constexpr int kOtherComputers = 500;
constexpr int kOtherLines = 60;

struct Fixture {
    std::string dir;
    std::string device;
    std::string other;
    pelgo::core::Clock clock;
    pelgo::structure::TreeModel tree{1};
    std::optional<pelgo::structure::NodeIdentity> identity;
    TreeNode* computer = nullptr;
};

Fixture& Bench() {
    static Fixture fixture;
    return fixture;
}

std::string Address(int number) {
    char address[13];
    std::snprintf(address, sizeof address, "0050BA%06X", number);
    return address;
}

// Every parameter of the card several times over, among device and program lines that it passes over.
void AppendCardLines(DbfTable& device, const std::string& address, int count) {
    const auto add = [&](const char* group, const std::string& name, const std::string& text) {
        device.Append({address, group, name, text});
    };
    add("Info", "Record_Date", "10.12.2026 09:15:00");
    add("Info", "Computer_Name", "PC-BUH-07");
    add("Info", "MAC_Addr", address);
    add("Info", "System", "Windows XP 5.1.2600 Service Pack 3");
    add("Computer", "BIOS", "Award Modular BIOS v6.00PG");
    add("Computer", "MotherBoard", "ASUS P5K");
    add("Computer", "CPU", "Intel(R) Core(TM)2 Duo CPU E8400");
    add("Computer", "Memory_in_Mb", "2048");
    add("Computer", "Total_HDD_in_Mb", "238475");
    const char* const current[] = {"HDD ST3160815AS",
                                   "CDROM TSSTcorp DVD+-RW",
                                   "Display NVIDIA GeForce 8600 GT",
                                   "Monitor Samsung SyncMaster 710N",
                                   "Net Intel(R) PRO/1000 MT",
                                   "[Info]User buh"};
    int line = 9;
    for (int i = 0; line < count; ++i, ++line) {
        const std::string n = std::to_string(i);
        switch (i % 4) {
        case 0:
            add("Current_Config", "Device_" + n, current[(i / 4) % 6]);
            break;
        case 1:
            add("Windows_Devices", "Device_" + n, "System device " + n);
            break;
        default:
            add("Windows_Soft", "Soft_" + n, "Program number " + n + " version 1.0");
        }
    }
}

void Generate() {
    Fixture& bench = Bench();
    std::string pattern = "/tmp/account_card_bench_XXXXXX";
    if (mkdtemp(pattern.data()) == nullptr) {
        std::abort();
    }
    bench.dir = pattern;
    bench.device = bench.dir + "/device.dbf";
    bench.other = bench.dir + "/other.dbf";
    DbfTable::Create(bench.device, pelgo::platform::kDeviceTableFields, bench.clock);
    DbfTable::Create(bench.other, pelgo::platform::kOtherTableFields, bench.clock);

    pelgo::structure::TreeModel& tree = bench.tree;
    tree.AddChild(nullptr, -1, Utf8ToCp1251("Неоприходованная техника"), pelgo::structure::kIconDepartment);
    TreeNode& plant = tree.AddChild(nullptr, -1, Utf8ToCp1251("Завод"), pelgo::structure::kIconDepartment);
    TreeNode& accounts = tree.AddChild(&plant, -1, Utf8ToCp1251("Бухгалтерия"), pelgo::structure::kIconDepartment);
    TreeNode& employee = tree.AddChild(&accounts, -1, Utf8ToCp1251("Петрова Анна"), pelgo::structure::kIconEmployee);
    bench.computer = &tree.AddChild(&employee, -1, Utf8ToCp1251("Компьютер №1207"), pelgo::structure::kIconComputer);
    tree.AddChild(bench.computer, -1, Address(0), pelgo::structure::kIconMacAddress);
    tree.AddChild(&employee, -1, Utf8ToCp1251("Монитор Samsung"), 5);
    tree.AddChild(&accounts, -1, Utf8ToCp1251("Принтер HP"), 6);
    bench.identity.emplace(tree, bench.clock);
    for (TreeNode* node = tree.First(); node != nullptr; node = tree.Next(*node)) {
        bench.identity->NewAddData(*node);
    }

    DbfTable device = DbfTable::Open(bench.device, DbfOpenMode::Exclusive, bench.clock);
    DbfTable other = DbfTable::Open(bench.other, DbfOpenMode::Exclusive, bench.clock);
    // The card's computer in the middle of the archive, as an update run leaves it among the others.
    for (int number = 1; number <= kOtherComputers; ++number) {
        AppendCardLines(device, Address(number), kOtherLines);
        if (number == kOtherComputers / 2) {
            AppendCardLines(device, Address(0), kCardLines);
        }
    }
    const std::string& uno = bench.computer->Record()->uno;
    other.Append({uno, "Main", "aModel", "Depo Neos 220"});
    other.Append({uno, "Main", "aInumber", "01-1207"});
    other.Append({uno, "Main", "aZavNum", "SN 447781"});
    other.Append({uno, "Main", "aPlomba", "-"});
    other.Append({uno, "1;1 , 10.12.2026", "Edit1", "Замена блока питания"});
}

struct Tables : pelgo::bench::ReportTables {
    Tables() : ReportTables(Bench().device, Bench().other, Bench().dir + "/pelgo.log", Bench().clock) {}
};

pelgo::reports::RichText MakeCard(Tables& tables) {
    return pelgo::reports::AccountCard(Bench().tree, Bench().computer, tables.device, tables.additional, "11.12.2026");
}

void BM_ReadThroughIndexes(benchmark::State& state) {
    Tables tables;
    const std::string& address = pelgo::structure::ComputerAddress(Bench().tree, *Bench().computer);
    for (auto _ : state) {
        std::size_t records = pelgo::archive::ReadArchiveRecords(tables.device, address).size();
        records += tables.records.Find(Bench().computer->Record()->uno).size();
        benchmark::DoNotOptimize(records);
    }
}

void BM_AccountCard(benchmark::State& state) {
    Tables tables;
    std::size_t paragraphs = 0;
    for (auto _ : state) {
        paragraphs = MakeCard(tables).paragraphs.size();
        benchmark::DoNotOptimize(paragraphs);
    }
    state.counters["paragraphs"] = static_cast<double>(paragraphs);
}

BENCHMARK(BM_ReadThroughIndexes)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AccountCard)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    Generate();
    {
        Tables tables;
        const pelgo::reports::RichText card = MakeCard(tables);
        std::printf("archive lines of the computer: %zu\n",
                    pelgo::archive::ReadArchiveRecords(tables.device, Address(0)).size());
        // The first parameter lines, to show the archive was read.
        int shown = 0;
        for (const pelgo::reports::Paragraph& paragraph : card.paragraphs) {
            if (paragraph.bullet && shown++ < 12) {
                std::printf("%s\n", pelgo::reports::ParagraphUtf8(paragraph).c_str());
            }
        }
        std::printf("card paragraphs: %zu\n", card.paragraphs.size());
    }
    pelgo::bench::RatioReporter reporter("BM_ReadThroughIndexes");
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    std::filesystem::remove_all(Bench().dir);
    return 0;
}
