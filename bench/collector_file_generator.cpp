// Building collector files section by section, signing them with the archive's own arithmetic.
#include "collector_file_generator.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

#include "archive/signature.h"
#include "core/cp1251.h"
#include "core/errors.h"
#include "core/file.h"

namespace pelgo::bench {
namespace {

struct Person {
    const char* surname[2]; // male, female
};
const Person kSurnames[] = {
    {{"Иванов", "Иванова"}},   {{"Петров", "Петрова"}}, {{"Сидоров", "Сидорова"}}, {{"Кузнецов", "Кузнецова"}},
    {{"Смирнов", "Смирнова"}}, {{"Попов", "Попова"}},   {{"Волков", "Волкова"}},   {{"Соколов", "Соколова"}},
    {{"Лебедев", "Лебедева"}}, {{"Козлов", "Козлова"}}, {{"Новиков", "Новикова"}}, {{"Морозов", "Морозова"}},
    {{"Фёдоров", "Фёдорова"}}, {{"Егоров", "Егорова"}}, {{"Павлов", "Павлова"}},   {{"Семёнов", "Семёнова"}},
};
const char* const kMaleNames[] = {"Иван", "Пётр", "Сергей", "Алексей", "Дмитрий", "Андрей", "Николай", "Михаил"};
const char* const kFemaleNames[] = {"Мария", "Елена", "Ольга", "Наталья", "Татьяна", "Светлана", "Анна", "Ирина"};
const char* const kPatronymics[][2] = {{"Иванович", "Ивановна"},     {"Петрович", "Петровна"},
                                       {"Сергеевич", "Сергеевна"},   {"Алексеевич", "Алексеевна"},
                                       {"Николаевич", "Николаевна"}, {"Михайлович", "Михайловна"},
                                       {"Викторович", "Викторовна"}, {"Юрьевич", "Юрьевна"}};
const char* const kDepartments[] = {"BUH", "OK", "PLAN", "SKLAD", "IT", "SNAB", "KANC", "UR"};
const char* const kVendorPrefixes[] = {"0050BA", "000EA6", "001D60", "00E04C", "0019D1", "001B21", "00166F"};

// BIOS strings that the shipped code tables decode, with the board as the agent itself describes it.
struct Board {
    const char* bios;
    const char* description;
};
const Board kBoards[] = {
    {"Award Modular BIOS v6.00PG 05/20/2004-I865PE-6A79AA0EC-00", "ASUSTeK Computer INC. P4P800"},
    {"Award Modular BIOS v6.00PG 11/09/2000-I440BX-W977-2A69KG0AC-00", "Gigabyte Technology Co., Ltd. 6BXC"},
    {"AMIBIOS (C)2001 51-0102-1101-00111111-101094-I845", "American Megatrends Inc. Series 845"},
    {"Intel(R) Corporation $IBIOSI$RL86510A.86A.0085.P21", "Intel Corporation D865PERL"},
    {"Intel(R) Corporation $IBIOSI$BF86510A.86A.0053.P13", "Intel Corporation D865GBF"},
    {"innotek GmbH VirtualBox", "Oracle Corporation VirtualBox"},
};
struct Cpu {
    const char* name;
    int megahertz;
};
const Cpu kCpus[] = {{"Intel(R) Pentium(R) 4 CPU 3.00GHz", 3000},
                     {"Intel(R) Celeron(R) CPU 2.40GHz", 2400},
                     {"AMD Athlon(tm) XP 2500+", 1833},
                     {"Intel(R) Pentium(R) III CPU 866MHz", 866},
                     {"Intel(R) Core(TM)2 CPU 6300 @ 1.86GHz", 1862}};
const int kMemory[] = {256, 512, 1024, 2048};
struct Disk {
    const char* model;
    int megabytes;
};
const Disk kDisks[] = {{"ST3160023AS", 152627},
                       {"WDC WD800JB-00JJC0", 76319},
                       {"Maxtor 6Y080L0", 78167},
                       {"SAMSUNG SP0802N", 76319},
                       {"ST380011A", 76319}};
const char* const kSystems[] = {"Microsoft Windows XP Professional 5.1.2600 Service Pack 2",
                                "Microsoft Windows XP Professional 5.1.2600 Service Pack 3",
                                "Microsoft Windows 2000 Professional 5.0.2195 Service Pack 4"};
const char* const kPrograms[] = {"Microsoft Office 2003 11.0.5614.0",
                                 "Adobe Reader 7.0.9",
                                 "1С:Предприятие 8.1",
                                 "КонсультантПлюс 4000.00.12",
                                 "Гарант Платформа F1 6.5",
                                 "WinRAR 3.70",
                                 "Mozilla Firefox 2.0.0.3",
                                 "Kaspersky Anti-Virus 6.0.2.621",
                                 "7-Zip 4.42",
                                 "Microsoft .NET Framework 2.0",
                                 "Java 2 Runtime Environment SE v1.4.2_13",
                                 "Total Commander 7.0",
                                 "ABBYY FineReader 8.0 Professional",
                                 "Справочник бухгалтера 2007",
                                 "Microsoft Visio 2003",
                                 "Skype 3.1"};
const char* const kDevices[] = {"Display NVIDIA GeForce FX 5200",
                                "Display Intel(R) 82865G Graphics Controller",
                                "Monitor Plug and Play Monitor",
                                "CDRom HL-DT-ST DVDRAM GSA-4163B",
                                "Keyboard Standard 101/102-Key or Microsoft Natural PS/2 Keyboard",
                                "Mouse PS/2 Compatible Mouse",
                                "Sound Realtek AC'97 Audio",
                                "Modem (Disabl.) Agere Systems AC'97 Modem",
                                "Ports Communications Port (COM1)",
                                "Printer HP LaserJet 1010",
                                "USB USB Root Hub"};
const int kSmartAttributes[] = {1, 3, 4, 5, 7, 9, 10, 12, 194, 195, 197, 198, 199};

// One file in memory: sections of stored lines, exactly as the loader would normalise them.
class FileBuilder {
public:
    void Section(std::string name) {
        m_size += name.size() + 6;
        m_sections.push_back({std::move(name), {}});
    }
    void Add(const std::string& key, const std::string& value) {
        m_sections.back().lines.push_back(key + "=" + value);
        m_size += m_sections.back().lines.back().size() + 2;
    }
    std::size_t Size() const { return m_size; }
    std::string Signature() const {
        archive::SignatureAccumulator accumulator;
        for (const auto& section : m_sections) {
            for (const std::string& line : section.lines) {
                accumulator.AddLine(line);
            }
        }
        return accumulator.Text();
    }
    std::string Bytes() const {
        std::string bytes;
        bytes.reserve(m_size);
        for (const auto& section : m_sections) {
            bytes += "[" + section.name + "]\r\n";
            for (const std::string& line : section.lines) {
                bytes += line + "\r\n";
            }
            bytes += "\r\n";
        }
        return bytes;
    }

private:
    struct NamedLines {
        std::string name;
        std::vector<std::string> lines;
    };
    std::vector<NamedLines> m_sections;
    std::size_t m_size = 0;
};

std::string Hex(std::uint64_t value, int digits) {
    char text[17];
    std::snprintf(text, sizeof text, "%0*llX", digits, static_cast<unsigned long long>(value));
    return text;
}

std::string Two(int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d", value);
    return text;
}

std::string Cp(const char* utf8) {
    return core::Utf8ToCp1251(utf8);
}

} // namespace

CollectorFileGenerator::CollectorFileGenerator(std::uint64_t seed) : m_state(seed) {
}

std::uint64_t CollectorFileGenerator::NextRandom() {
    // splitmix64: the same numbers on every platform and standard library.
    std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

std::size_t CollectorFileGenerator::Below(std::size_t bound) {
    return static_cast<std::size_t>(NextRandom() % bound);
}

GeneratedFile CollectorFileGenerator::Next(std::size_t targetBytes) {
    targetBytes = std::clamp(targetBytes, kSmallest, kLargest);
    const std::uint32_t number = m_count++;
    const std::string address = Pick(kVendorPrefixes) + Hex(Below(256), 2) + Hex(number & 0xFFFF, 4);
    const std::string computer = std::string(Pick(kDepartments)) + "-" + Two(static_cast<int>(number % 100));
    const int sex = static_cast<int>(Below(2));
    const std::string surname = Cp(Pick(kSurnames).surname[sex]);
    const std::string firstName = Cp(sex == 0 ? Pick(kMaleNames) : Pick(kFemaleNames));
    const std::string patronymic = Cp(Pick(kPatronymics)[sex]);
    const std::string date = Two(1 + static_cast<int>(Below(28))) + "." + Two(1 + static_cast<int>(Below(12))) +
                             ".2007 " + Two(8 + static_cast<int>(Below(10))) + ":" + Two(static_cast<int>(Below(60))) +
                             ":" + Two(static_cast<int>(Below(60)));
    const Board& board = Pick(kBoards);
    const Cpu& cpu = Pick(kCpus);
    const int memory = Pick(kMemory);
    const Disk& disk = Pick(kDisks);
    const bool secondDisk = Below(3) == 0;
    const Disk& disk2 = Pick(kDisks);
    const int totalDisk = disk.megabytes + (secondDisk ? disk2.megabytes : 0);
    const std::string network = Cp("Net [0]Card Realtek RTL8139 Family PCI Fast Ethernet NIC");

    FileBuilder file;
    file.Section("Info");
    file.Add("MAC_Addr", address);
    file.Add("Computer_Name", computer);
    file.Add("Current_User_Name", surname);
    file.Add("IP_Addr", "192.168." + std::to_string(number / 250 % 250) + "." + std::to_string(2 + number % 250) +
                            " Host: " + computer);
    file.Add("Record_Date", date);
    file.Add("System", Pick(kSystems));
    file.Add("Param_0", "\\\\SERVER\\NETLOGON\\SCANLET\\scanlet.exe /O:\\\\SERVER\\COLLECT");
    file.Add("Param_1", computer);
    file.Add("Param_2", surname);
    file.Add("Param_3", firstName);
    file.Add("Param_4", patronymic);

    file.Section("Computer");
    file.Add("BIOS", board.bios);
    file.Add("Motherboard", board.description);
    file.Add("CPU", cpu.name);
    file.Add("CPU_Freq_in_MHz", std::to_string(cpu.megahertz) + " MHz");
    file.Add("Memory_in_Mb", std::to_string(memory) + " Mb");
    file.Add("Total_HDD_in_Mb", std::to_string(totalDisk) + " Mb");
    file.Add("Drive_1", "A:\\ REMOVABLE");
    file.Add("Drive_2", "C:\\ FIXED NTFS " + std::to_string(disk.megabytes) + " Mb, free " +
                            std::to_string(disk.megabytes / 4 + static_cast<int>(Below(1000))) + " Mb");
    file.Add("Drive_3", "D:\\ CDROM");
    if (secondDisk) {
        file.Add("Drive_4", "E:\\ FIXED NTFS " + std::to_string(disk2.megabytes) + " Mb, free " +
                                std::to_string(disk2.megabytes / 2) + " Mb");
    }

    file.Section("Current_Config");
    file.Add("Device_0", "[Info]Computer_Name " + computer);
    file.Add("Device_1", "[Computer]CPU " + std::string(cpu.name));
    file.Add("Device_2", "[Computer]Memory_in_Mb " + std::to_string(memory) + " Mb");
    file.Add("Device_3", "Net Realtek RTL8139 Family PCI Fast Ethernet NIC");
    file.Add("Device_4", "HDD " + std::string(disk.model));
    file.Add("Device_5", kDevices[Below(2)]);

    file.Section("Windows_Devices");
    file.Add("Dev_0", network);
    file.Add("Dev_1", "HDD " + std::string(disk.model));
    for (std::size_t i = 0; i < std::size(kDevices); ++i) {
        file.Add("Dev_" + std::to_string(i + 2), kDevices[i]);
    }

    file.Section("Windows_StartUp");
    file.Add("Start_0", "ctfmon C:\\WINDOWS\\system32\\ctfmon.exe");
    file.Add("Start_1", "avp C:\\Program Files\\Kaspersky Lab\\avp.exe");

    file.Section("S.M.A.R.T.");
    file.Add("HDD0_Info", std::string(disk.model) + " S/N " + Hex(NextRandom() & 0xFFFFFFFF, 8));
    for (const int attribute : kSmartAttributes) {
        const int raw = attribute == 194 ? 30 + static_cast<int>(Below(20))
                        : attribute == 9 ? static_cast<int>(Below(20000))
                                         : static_cast<int>(Below(8) == 0 ? Below(50) : 0);
        const int value = attribute == 194 ? raw : 100 - static_cast<int>(Below(5));
        file.Add("HDD0_" + std::to_string(attribute),
                 "<V>" + std::to_string(value) + " <W>" + std::to_string(value - static_cast<int>(Below(3))) + " <T>" +
                     std::to_string(attribute == 194 ? 0 : 6) + " <R>" + std::to_string(raw));
    }

    const bool configChanges = Below(4) == 0;
    if (configChanges) {
        file.Section("Config_changes");
        file.Add("Change_0",
                 date + " Memory_in_Mb " + std::to_string(memory / 2) + " Mb -> " + std::to_string(memory) + " Mb");
        file.Add("Change_1", date + " " + Cp("Новое устройство ") + kDevices[Below(std::size(kDevices))]);
    }

    file.Section("Windows_Soft");
    const std::size_t programs = 10 + Below(std::size(kPrograms) - 10);
    for (std::size_t i = 0; i < programs; ++i) {
        file.Add("Soft_" + std::to_string(i), Cp(kPrograms[(number + i) % std::size(kPrograms)]));
    }
    // The updates make up the size, as on real machines.
    file.Section("Windows_Updates");
    constexpr std::size_t kSignatureSection = 60;
    for (int i = 0; file.Size() + kSignatureSection < targetBytes; ++i) {
        file.Add("Upd_" + std::to_string(i),
                 "Security Update for Windows XP (KB" + std::to_string(800000 + i * 37 % 200000) + ")");
    }

    std::string signature = file.Signature();
    const bool signatureValid = Below(10) != 0;
    if (!signatureValid) {
        signature[0] = signature[0] == '0' ? '1' : '0';
    }
    file.Section("Signature");
    file.Add("0", signature);
    return {address, address, file.Bytes(), signatureValid, configChanges};
}

std::vector<GeneratedFile> WriteCollectorFiles(const std::string& folder, std::size_t count, std::uint64_t seed,
                                               std::size_t targetBytes) {
    if (!core::CreateDirectories(folder)) {
        throw core::FileError("Cannot create folder " + folder);
    }
    CollectorFileGenerator generator(seed);
    std::vector<GeneratedFile> files;
    for (std::size_t i = 0; i < count; ++i) {
        files.push_back(generator.Next(targetBytes));
        core::WriteFileAtomically(folder + "/" + files.back().name, files.back().bytes);
    }
    return files;
}

} // namespace pelgo::bench
