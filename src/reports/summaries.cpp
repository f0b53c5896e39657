// The summaries. Sorting "without regard to letter case" is the folded cp1251 comparison, kept stable, so the
// order is the same on every machine and values that differ only in case keep the order they were found in.
#include "reports/summaries.h"

#include <algorithm>
#include <array>
#include <string>
#include <unordered_map>

#include "archive/computer_view.h"
#include "core/cp1251.h"
#include "core/text.h"
#include "core/translator.h"
#include "reports/report_writer.h"
#include "structure/node_queries.h"
#include "structure/node_types.h"

namespace pelgo::reports {

void CountingList::Count(std::string_view value) {
    for (Entry& entry : m_entries) {
        if (entry.value == value) {
            ++entry.count;
            return;
        }
    }
    m_entries.push_back({std::string(value), 1});
}

namespace {

using structure::TreeModel;
using structure::TreeNode;

std::string Cp(std::string_view utf8) {
    return core::Utf8ToCp1251(utf8);
}

void SortLines(std::vector<std::string>& lines) {
    std::stable_sort(lines.begin(), lines.end(),
                     [](const std::string& a, const std::string& b) { return core::CompareText(a, b) < 0; });
}

void ReportTitleStyle(ReportStyle& style) {
    style = ReportStyle{};
    style.heightPixels = 20;
    style.bold = true;
    style.title = true;
    style.alignment = Alignment::Center;
}

void SectionTitleStyle(ReportStyle& style) {
    style.heightPixels = 16;
    style.bold = true;
    style.underline = true;
    style.title = true;
    style.firstIndent = 0;
    style.bullet = false;
}

void SectionBodyStyle(ReportStyle& style) {
    style.heightPixels = 12;
    style.bold = false;
    style.underline = false;
    style.title = false;
    style.firstIndent = 10;
    style.bullet = true;
}

void SectionTitle(ReportWriter& writer, std::string_view title) {
    SectionTitleStyle(writer.style);
    writer.Line("");
    writer.Line(title);
}

void SortedLines(ReportWriter& writer, std::vector<std::string> lines) {
    SectionBodyStyle(writer.style);
    SortLines(lines);
    for (const std::string& line : lines) {
        writer.Line(line);
    }
}

// A device counts under its model: the caption without the inventory number that follows " №".
std::string ModelName(const std::string& caption) {
    const std::string cut = caption.substr(0, caption.find(Cp(" №")));
    return std::string(core::Trim(cut));
}

std::string ParentText(const TreeNode& node) {
    return node.Parent() != nullptr ? node.Parent()->Text() : std::string();
}

// The node after `node`'s subtree in pre-order; null at the end of the tree.
const TreeNode* AfterSubtree(const TreeModel& tree, const TreeNode* node) {
    for (; node != nullptr; node = node->Parent()) {
        const TreeNode* parent = node->Parent();
        const TreeNode* sibling = parent != nullptr ? parent->Child(node->Row() + 1) : tree.TopLevel(node->Row() + 1);
        if (sibling != nullptr) {
            return sibling;
        }
    }
    return nullptr;
}

// The counted sections in report order.
struct CountedSection {
    int titleId;
    const char* title;
    CountingList HardwareCounts::*list;
    const char* suffix;
};
constexpr std::array<CountedSection, 6> kCountedSections{{
    {3523, "Список материнских плат :", &HardwareCounts::boards, ""},
    {3524, "Список процессоров :", &HardwareCounts::cpus, ""},
    {3525, "Распределение оперативной памяти :", &HardwareCounts::memory, " Mb"},
    {3526, "Список операционных систем :", &HardwareCounts::systems, ""},
    {3527, "Список мониторов :", &HardwareCounts::monitors, ""},
    {3528, "Список принтеров :", &HardwareCounts::printers, ""},
}};

constexpr std::array<const char*, 10> kTypeLabels{
    "Отделов",   "Сотрудников", "Компьютеров", "Сетевых карт",      "Мониторов",
    "Принтеров", "Сканеров",    "Модемов",     "Сетевых устройств", "Прочей оргтехники"};
std::string TypeLabel(int icon) {
    return core::Text(3499 + icon, kTypeLabels[static_cast<std::size_t>(icon) - 1]);
}

// A list's entries as the report orders them: by value, letter case ignored, stable.
std::vector<CountingList::Entry> SortedEntries(const CountingList& list) {
    std::vector<CountingList::Entry> entries = list.Entries();
    std::stable_sort(entries.begin(), entries.end(), [](const CountingList::Entry& a, const CountingList::Entry& b) {
        return core::CompareText(a.value, b.value) < 0;
    });
    return entries;
}

void CountComputer(const TreeModel& tree, const TreeNode& computer, platform::DbfTable& device,
                   HardwareCounts& hardware) {
    ++hardware.computers;
    const std::string& address = structure::ComputerAddress(tree, computer);
    const std::vector<archive::ArchiveRecord> records = archive::ReadArchiveRecords(device, address);
    if (records.empty()) {
        hardware.badConfigurations.push_back(ParentText(computer) + "\\" + computer.Text() + " MAC addr:" + address);
        return;
    }
    std::string bios;
    std::string board;
    for (const archive::ArchiveRecord& record : records) {
        if (record.group == "Info") {
            if (record.name == "System") {
                hardware.systems.Count(record.text);
            }
        } else if (record.group == "Computer") {
            if (record.name == "BIOS") {
                bios = record.text;
            } else if (record.name == "MotherBoard") {
                board = record.text;
            } else if (record.name == "CPU") {
                hardware.cpus.Count(record.text);
            } else if (record.name == "Memory_in_Mb") {
                hardware.memory.Count(record.text);
            } else if (record.name.starts_with("Drive_") && record.text.find("CDROM") != std::string::npos) {
                hardware.cdDrives.push_back(ParentText(computer) + " : " + computer.Text());
            }
        }
    }
    hardware.boards.Count(board.empty() ? bios : board);
}

} // namespace

HardwareCounts CountHardware(const TreeModel& tree, const TreeNode* department, platform::DbfTable& device) {
    const TreeNode* start = department != nullptr ? department : tree.First();
    const TreeNode* stop = department != nullptr ? AfterSubtree(tree, department) : nullptr;
    HardwareCounts hardware;
    for (const TreeNode* node = start; node != nullptr && node != stop; node = tree.Next(*node)) {
        const int icon = node->Icon();
        if (icon >= 1 && icon <= 11) {
            ++hardware.types[icon];
        }
        if (icon == 5) {
            hardware.monitors.Count(ModelName(node->Text()));
        } else if (icon == 6) {
            hardware.printers.Count(ModelName(node->Text()));
        } else if (structure::IsNetComputer(tree, node)) {
            CountComputer(tree, *node, device, hardware);
        }
    }
    return hardware;
}

RichText HardwareSummary(const HardwareCounts& hardware, const TreeNode* department, std::string_view date) {
    ReportWriter writer;
    ReportStyle& style = writer.style;
    if (hardware.computers > 0) {
        ReportTitleStyle(style);
        if (department == nullptr) {
            writer.Line(core::Text(3520, "Сводные данные по предприятию"));
        } else {
            writer.Line(core::Text(3553, "Сводные данные по подразделению"));
            writer.Line(structure::GetPath(department));
        }
        writer.Line("");
        style.heightPixels = 16;
        writer.Line(core::Text(3521, "На ") + std::string(date) + core::Text(3522, " учтено компьютеров - ") +
                    std::to_string(hardware.computers));
        style.alignment = Alignment::Left;
        for (const CountedSection& section : kCountedSections) {
            SectionTitle(writer, core::Text(section.titleId, section.title));
            SectionBodyStyle(style);
            for (const CountingList::Entry& entry : SortedEntries(hardware.*section.list)) {
                writer.Line(entry.value + section.suffix + " - " + std::to_string(entry.count) + Cp(" шт."));
            }
        }
    }
    if (!hardware.badConfigurations.empty()) {
        SectionTitle(writer, core::Text(3529, "Компьютеров с ошибочной конфигурацией записей - ") +
                                 std::to_string(hardware.badConfigurations.size()) + Cp(" шт. Список :"));
        SortedLines(writer, std::move(hardware.badConfigurations));
    }
    if (!hardware.cdDrives.empty()) {
        SectionTitle(writer, core::Text(3530, "Приводов CD-Rom - ") + std::to_string(hardware.cdDrives.size()) +
                                 core::Text(3531, " шт. Список :"));
        SortedLines(writer, std::move(hardware.cdDrives));
    }
    SectionTitle(writer, core::Text(3532, "Список по структуре предприятия :"));
    SectionBodyStyle(style);
    for (int icon = 1; icon <= 10; ++icon) {
        if (hardware.types[icon] > 0) {
            writer.Line(TypeLabel(icon) + " - " + std::to_string(hardware.types[icon]));
        }
    }
    SectionTitleStyle(style);
    writer.Line("");
    return writer.Take();
}

namespace {

// RFC 4180 quoting: a field holding the separator, a quote or a line end is quoted, its quotes doubled.
std::string CsvField(std::string_view cp1251) {
    const std::string text = core::Cp1251ToUtf8(cp1251);
    if (text.find_first_of(";\"\r\n") == std::string::npos) {
        return text;
    }
    return '"' + core::ReplaceAll(text, "\"", "\"\"") + '"';
}

std::string CsvRow(std::string_view section, std::string_view value, int count) {
    return CsvField(section) + ';' + CsvField(value) + ';' + std::to_string(count) + "\r\n";
}

// A section's title without the colon that introduces its list in the report.
std::string SectionName(std::string_view title) {
    title = core::TrimRight(title);
    if (title.ends_with(':')) {
        title.remove_suffix(1);
    }
    return std::string(core::TrimRight(title));
}

} // namespace

std::string HardwareCsv(const HardwareCounts& hardware) {
    std::string csv = "\xEF\xBB\xBFsection;value;count\r\n";
    for (const CountedSection& section : kCountedSections) {
        const std::string name = SectionName(core::Text(section.titleId, section.title));
        for (const CountingList::Entry& entry : SortedEntries(hardware.*section.list)) {
            csv += CsvRow(name, entry.value, entry.count);
        }
    }
    const std::string structure = SectionName(core::Text(3532, "Список по структуре предприятия :"));
    for (int icon = 1; icon <= 10; ++icon) {
        if (hardware.types[icon] > 0) {
            csv += CsvRow(structure, TypeLabel(icon), hardware.types[icon]);
        }
    }
    return csv;
}

RichText OwnersSummary(const TreeModel& tree, platform::DbfTable& device) {
    static const std::string kSeparator = " <#!#>";
    std::vector<std::string> entries;
    for (const TreeNode* node = tree.First(); node != nullptr; node = tree.Next(*node)) {
        const int icon = node->Icon();
        if (icon == structure::kIconDepartment || icon == structure::kIconEmployee ||
            icon == structure::kIconMacAddress || icon == structure::kIconNote) {
            continue;
        }
        const TreeNode* owner = node->Parent();
        while (owner != nullptr && owner->Icon() != structure::kIconEmployee &&
               owner->Icon() != structure::kIconDepartment) {
            owner = owner->Parent();
        }
        std::string entry = structure::GetPath(owner) + kSeparator + node->Text();
        if (structure::IsNetComputer(tree, node)) {
            const std::vector<archive::ArchiveRecord> records =
                archive::ReadArchiveRecords(device, structure::ComputerAddress(tree, *node));
            if (!records.empty()) {
                // Every line is read, the last value of a key winning: a machine with two processors and two
                // memory lines still shows its disk total.
                std::string name, cpu, memory, disk;
                for (const archive::ArchiveRecord& record : records) {
                    if (record.group == "Info" && record.name == "Computer_Name") {
                        name = record.text;
                    } else if (record.group == "Computer") {
                        if (record.name == "CPU") {
                            cpu = "\\" + record.text;
                        } else if (record.name == "Memory_in_Mb") {
                            memory = "\\" + record.text;
                        } else if (record.name == "Total_HDD_in_Mb") {
                            disk = "\\" + record.text;
                        }
                    }
                }
                entry += " " + name + cpu + memory + disk;
            }
        }
        entries.push_back(std::move(entry));
    }
    SortLines(entries);

    ReportWriter writer;
    ReportStyle& style = writer.style;
    ReportTitleStyle(style);
    writer.Line(core::Text(3543, "Сводные данные по владельцам"));
    style.alignment = Alignment::Left;
    writer.Line("");
    writer.Line("");
    bool first = true;
    std::string previousOwner;
    for (const std::string& entry : entries) {
        const std::size_t separator = entry.find(kSeparator);
        const std::string path = entry.substr(0, separator);
        const std::string owner = path.size() > 2 ? path.substr(2) : std::string();
        if (first || owner != previousOwner) {
            style.heightPixels = 16;
            style.bold = true;
            style.title = true;
            style.alignment = Alignment::Left;
            style.bullet = false;
            style.firstIndent = 0;
            writer.Line(owner);
            style.bullet = true;
            style.firstIndent = 10;
            style.heightPixels = 12;
            style.bold = false;
            style.title = false;
        }
        first = false;
        previousOwner = owner;
        writer.Line(core::Trim(std::string_view(entry).substr(separator + kSeparator.size())));
    }
    style.bullet = false;
    style.firstIndent = 0;
    writer.Line("");
    return writer.Take();
}

std::vector<SummaryLine> ProgramsSummary(const TreeModel& tree, platform::DbfTable& device) {
    struct Program {
        std::string name;
        std::vector<std::string> computers;
    };
    std::vector<Program> programs;
    std::unordered_map<std::string, std::size_t> byName;
    for (const TreeNode* node = tree.First(); node != nullptr; node = tree.Next(*node)) {
        if (node->Icon() != structure::kIconMacAddress) {
            continue;
        }
        std::string path;
        bool pathKnown = false;
        for (const archive::ArchiveRecord& record : archive::ReadArchiveRecords(device, node->Text())) {
            if (record.group != "Windows_Soft") {
                continue;
            }
            if (!pathKnown) {
                path = structure::GetPath(tree.Previous(*node));
                pathKnown = true;
            }
            const auto [found, added] = byName.try_emplace(record.text, programs.size());
            if (added) {
                programs.push_back({record.text, {}});
            }
            programs[found->second].computers.push_back(path);
        }
    }
    std::stable_sort(programs.begin(), programs.end(),
                     [](const Program& a, const Program& b) { return core::CompareText(a.name, b.name) < 0; });

    std::vector<SummaryLine> lines;
    const std::string users = core::Text(3548, " польз.");
    for (const Program& program : programs) {
        lines.push_back({0, program.name + " [" + std::to_string(program.computers.size()) + users + "]",
                         structure::kIconEmployee});
        for (const std::string& computer : program.computers) {
            lines.push_back({1, computer, structure::kIconMacAddress});
        }
    }
    return lines;
}

} // namespace pelgo::reports
