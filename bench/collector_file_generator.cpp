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
struct Department {
    const char* code; // computer names and mail logins
    const char* name; // the department's node in the enterprise tree
};
const Department kDepartments[] = {{"BUH", "Бухгалтерия"}, {"OK", "Отдел кадров"},     {"PLAN", "Плановый отдел"},
                                   {"SKLAD", "Склад"},     {"IT", "Отдел АСУ"},        {"SNAB", "Отдел снабжения"},
                                   {"KANC", "Канцелярия"}, {"UR", "Юридический отдел"}};

// Vendor prefixes that the shipped address list knows, each with a card of that vendor.
struct Adapter {
    const char* prefix;
    const char* description;
};
const Adapter kAdapters[] = {{"0050BA", "D-Link DFE-530TX PCI Fast Ethernet Adapter (rev.C)"},
                             {"000EA6", "Marvell Yukon 88E8001/8003/8010 PCI Gigabit Ethernet Controller"},
                             {"001D60", "Atheros L1 Gigabit Ethernet 10/100/1000Base-T Controller"},
                             {"00E04C", "Realtek RTL8139 Family PCI Fast Ethernet NIC"},
                             {"0019D1", "Intel(R) PRO/1000 PL Network Connection"},
                             {"001B21", "Intel(R) PRO/1000 GT Desktop Adapter"},
                             {"00166F", "Intel(R) PRO/Wireless 3945ABG Network Connection"}};
// Prefixes of no first adapter, so that a second address never equals another computer's address.
const Adapter kSecondAdapters[] = {{"0013CE", "Intel(R) PRO/Wireless 2200BG Network Connection"},
                                   {"001346", "D-Link DWL-G510 Wireless PCI Adapter(rev.C)"},
                                   {"000AEB", "TP-LINK TL-WN551G 54M Wireless PCI Adapter"},
                                   {"00904B", "Gemtek WL-54G Wireless Network Adapter"}};

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

struct Line {
    const char* key;
    const char* value;
};
// What the additional collection programs report; the keys choose the view's icons.
const Line kAdditional[] = {{"Monitor", "Samsung SyncMaster 753DFX"},
                            {"Printer", "HP LaserJet 1010"},
                            {"Image_Scanner", "Canon CanoScan LiDE 25"},
                            {"UPS", "APC Back-UPS CS 500"},
                            {"Keyboard", "Genius KB-06XE"},
                            {"Mouse", "Logitech M-SBF96"}};
const Line kShares[] = {{"SharedDocs", "C:\\DOCUMENTS AND SETTINGS\\ALL USERS\\DOCUMENTS"},
                        {"Обмен", "D:\\Обмен"},
                        {"print$", "C:\\WINDOWS\\system32\\spool\\drivers"},
                        {"Отчеты", "C:\\Отчеты"},
                        {"HPLaserJ", "HP LaserJet 1010"}};
const char* const kRemoteConnections[] = {"Интернет: модем Agere Systems AC'97 Modem, тел. 8-800-200-0007",
                                          "Филиал: VPN vpn.zavod.ru", "Прямое подключение через COM1"};

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
    // Numbered keys in the agent's way: prefix0, prefix1 ...
    void AddAll(const std::string& prefix, const std::vector<std::string>& values) {
        for (std::size_t i = 0; i < values.size(); ++i) {
            Add(prefix + std::to_string(i), values[i]);
        }
    }
    void Append(const FileBuilder& other) {
        m_sections.insert(m_sections.end(), other.m_sections.begin(), other.m_sections.end());
        m_size += other.m_size;
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

// splitmix64 over the generator's state: the same numbers on every platform and standard library.
class Random {
public:
    explicit Random(std::uint64_t& state) : m_state(state) {}
    std::uint64_t Next() {
        std::uint64_t z = (m_state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // 0 .. bound-1
    std::size_t Below(std::size_t bound) { return static_cast<std::size_t>(Next() % bound); }
    int Between(int low, int high) { return low + static_cast<int>(Below(static_cast<std::size_t>(high - low + 1))); }
    bool OneIn(std::size_t n) { return Below(n) == 0; }
    template <typename T, std::size_t N> const T& Pick(const T (&items)[N]) { return items[Below(N)]; }
    // 1 .. most neighbouring items from a random start, so that none repeats.
    template <typename T, std::size_t N> std::vector<const T*> Some(const T (&items)[N], std::size_t most) {
        const std::size_t first = Below(N);
        const std::size_t count = 1 + Below(std::min(most, N));
        std::vector<const T*> chosen;
        for (std::size_t i = 0; i < count; ++i) {
            chosen.push_back(&items[(first + i) % N]);
        }
        return chosen;
    }

private:
    std::uint64_t& m_state;
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

std::vector<std::string> Cp(const std::vector<std::string>& utf8) {
    std::vector<std::string> texts;
    for (const std::string& text : utf8) {
        texts.push_back(core::Utf8ToCp1251(text));
    }
    return texts;
}

std::string AsciiLower(std::string text) {
    for (char& c : text) {
        c = c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return text;
}

// "dd.mm.yyyy hh:mm:ss", in working hours
std::string WorkingTime(Random& random, int year) {
    const int day = random.Between(1, 28);
    const int month = random.Between(1, 12);
    const int hour = random.Between(8, 17);
    const int minute = random.Between(0, 59);
    const int second = random.Between(0, 59);
    return Two(day) + "." + Two(month) + "." + std::to_string(year) + " " + Two(hour) + ":" + Two(minute) + ":" +
           Two(second);
}

} // namespace

CollectorFileGenerator::CollectorFileGenerator(std::uint64_t seed) : m_state(seed) {
}

GeneratedFile CollectorFileGenerator::Next(std::size_t targetBytes) {
    targetBytes = std::clamp(targetBytes, kSmallest, kLargest);
    Random random(m_state);
    const std::uint32_t number = m_count++;
    const Adapter& adapter = random.Pick(kAdapters);
    const std::string address = adapter.prefix + Hex(random.Below(256), 2) + Hex(number & 0xFFFF, 4);
    const Department& department = random.Pick(kDepartments);
    const std::string computer = std::string(department.code) + "-" + Two(static_cast<int>(number % 100));
    const std::string ip = "192.168." + std::to_string(number / 250 % 250) + "." + std::to_string(2 + number % 250);
    const int sex = static_cast<int>(random.Below(2));
    const std::string surname = Cp(random.Pick(kSurnames).surname[sex]);
    const std::string firstName = Cp(sex == 0 ? random.Pick(kMaleNames) : random.Pick(kFemaleNames));
    const std::string patronymic = Cp(random.Pick(kPatronymics)[sex]);
    const std::string date = WorkingTime(random, 2007);
    const Board& board = random.Pick(kBoards);
    const Cpu& cpu = random.Pick(kCpus);
    const int memory = random.Pick(kMemory);
    const Disk& disk = random.Pick(kDisks);
    const bool secondDisk = random.OneIn(3);
    const Disk& disk2 = random.Pick(kDisks);
    const int totalDisk = disk.megabytes + (secondDisk ? disk2.megabytes : 0);
    const Adapter* secondAdapter = random.OneIn(5) ? &random.Pick(kSecondAdapters) : nullptr;
    // An adapter that the agent could not name leaves [Current_Config] without a Net line.
    const bool netListed = !random.OneIn(8);

    FileBuilder file;
    file.Section("Info");
    file.Add("MAC_Addr", address);
    if (secondAdapter != nullptr) {
        file.Add("MAC_Addr2", secondAdapter->prefix + Hex(random.Next() & 0xFFFFFF, 6));
    }
    file.Add("Computer_Name", computer);
    file.Add("Current_User_Name", surname);
    file.Add("IP_Addr", ip + " Host: " + computer);
    file.Add("Record_Date", date);
    file.Add("System", random.Pick(kSystems));
    file.Add("Param_0", "\\\\SERVER\\NETLOGON\\SCANLET\\scanlet.exe /O:\\\\SERVER\\COLLECT");
    file.Add("Param_1", computer);
    file.Add("Param_2", surname);
    file.Add("Param_3", firstName);
    file.Add("Param_4", patronymic);
    // A computer inventoried once: Pelgo wrote the number here and in [InventoryData], and the agent keeps both.
    const bool inventoried = random.OneIn(3);
    const std::string inventoryNumber = Cp("Системный блок №") + std::to_string(100000 + number);
    if (inventoried) {
        file.Add("InventoryNumber", inventoryNumber);
    }

    file.Section("Computer");
    file.Add("BIOS", board.bios);
    file.Add("Motherboard", board.description);
    file.Add("CPU", cpu.name);
    file.Add("CPU_Freq_in_MHz", std::to_string(cpu.megahertz) + " MHz");
    file.Add("Memory_in_Mb", std::to_string(memory) + " Mb");
    file.Add("Total_HDD_in_Mb", std::to_string(totalDisk) + " Mb");
    file.Add("Drive_1", "A:\\ REMOVABLE");
    file.Add("Drive_2", "C:\\ FIXED NTFS " + std::to_string(disk.megabytes) + " Mb, free " +
                            std::to_string(disk.megabytes / 4 + static_cast<int>(random.Below(1000))) + " Mb");
    file.Add("Drive_3", "D:\\ CDROM");
    if (secondDisk) {
        file.Add("Drive_4", "E:\\ FIXED NTFS " + std::to_string(disk2.megabytes) + " Mb, free " +
                                std::to_string(disk2.megabytes / 2) + " Mb");
    }

    if (random.OneIn(3)) {
        file.Section("Additional");
        for (const Line* item : random.Some(kAdditional, 3)) {
            file.Add(item->key, std::string(item->value) + " S/N " + Hex(random.Next() & 0xFFFFFFF, 7));
        }
    }

    file.Section("Current_Config");
    std::vector<std::string> current = {"[Info]Computer_Name " + computer, "[Computer]CPU " + std::string(cpu.name),
                                        "[Computer]Memory_in_Mb " + std::to_string(memory) + " Mb"};
    if (netListed) {
        current.push_back("Net " + std::string(adapter.description));
        if (secondAdapter != nullptr) {
            current.push_back("Net " + std::string(secondAdapter->description));
        }
    }
    current.push_back("HDD " + std::string(disk.model));
    current.push_back(kDevices[random.Below(2)]);
    file.AddAll("Device_", current);

    file.Section("Windows_Devices");
    std::vector<std::string> devices = {"Net [0]Card " + std::string(adapter.description), "Net [0]IP " + ip};
    if (secondAdapter != nullptr) {
        devices.push_back("Net [1]Card " + std::string(secondAdapter->description));
        devices.push_back("Net [1]IP 0.0.0.0");
    }
    devices.push_back("HDD " + std::string(disk.model));
    devices.insert(devices.end(), std::begin(kDevices), std::end(kDevices));
    file.AddAll("Dev_", devices);

    file.Section("Windows_StartUp");
    file.Add("Start_0", "ctfmon C:\\WINDOWS\\system32\\ctfmon.exe");
    file.Add("Start_1", "avp C:\\Program Files\\Kaspersky Lab\\avp.exe");

    file.Section("S.M.A.R.T.");
    file.Add("HDD0_Info", std::string(disk.model) + " S/N " + Hex(random.Next() & 0xFFFFFFFF, 8));
    for (const int attribute : kSmartAttributes) {
        const int raw = attribute == 194 ? 30 + static_cast<int>(random.Below(20))
                        : attribute == 9 ? static_cast<int>(random.Below(20000))
                                         : static_cast<int>(random.OneIn(8) ? random.Below(50) : 0);
        const int value = attribute == 194 ? raw : 100 - static_cast<int>(random.Below(5));
        file.Add("HDD0_" + std::to_string(attribute),
                 "<V>" + std::to_string(value) + " <W>" + std::to_string(value - static_cast<int>(random.Below(3))) +
                     " <T>" + std::to_string(attribute == 194 ? 0 : 6) + " <R>" + std::to_string(raw));
    }

    const bool configChanges = random.OneIn(4);
    if (configChanges) {
        file.Section("Config_changes");
        file.Add("Change_0",
                 date + " Memory_in_Mb " + std::to_string(memory / 2) + " Mb -> " + std::to_string(memory) + " Mb");
        file.Add("Change_1", date + " " + Cp("Новое устройство ") + kDevices[random.Below(std::size(kDevices))]);
    }

    file.Section("Windows_Soft");
    const std::size_t programs = 10 + random.Below(std::size(kPrograms) - 10);
    for (std::size_t i = 0; i < programs; ++i) {
        file.Add("Soft_" + std::to_string(i), Cp(kPrograms[(number + i) % std::size(kPrograms)]));
    }

    // The sections after the updates come first, so that the updates can make up the size.
    FileBuilder tail;
    if (random.OneIn(4)) {
        tail.Section("Post_Accounts");
        const std::string login = AsciiLower(department.code) + Two(static_cast<int>(number % 100));
        tail.Add("Account_0", login + "@zavod.ru POP3 mail.zavod.ru SMTP mail.zavod.ru");
        if (random.OneIn(3)) {
            tail.Add("Account_1", "news.zavod.ru NNTP");
        }
    }
    const bool remoteAccess = random.OneIn(6);
    if (remoteAccess) {
        tail.Section("Remote_Access");
        std::vector<std::string> connections;
        for (const char* const* connection : random.Some(kRemoteConnections, 2)) {
            connections.push_back(Cp(*connection));
        }
        tail.AddAll("RAS_", connections);
    }
    const bool sharing = random.OneIn(3);
    if (sharing) {
        tail.Section("Sharing");
        for (const Line* share : random.Some(kShares, 3)) {
            tail.Add(Cp(share->key), Cp(share->value));
        }
    }
    // The agent warns about what it found, right after the shares: the view shows these lines under them.
    std::vector<std::string> warnings;
    if (configChanges) {
        warnings.push_back("Изменилась конфигурация компьютера");
    }
    if (sharing) {
        warnings.push_back("Открыт общий доступ к каталогам");
    }
    if (remoteAccess) {
        warnings.push_back("Зарегистрированы удаленные соединения");
    }
    if (!warnings.empty()) {
        tail.Section("Attention");
        tail.AddAll("Att_", Cp(warnings));
    }
    if (!random.OneIn(3)) {
        tail.Section("Scanlet_Log");
        tail.AddAll("Log_", {date + Cp(" Запуск ") + computer,
                             date + Cp(" Модули: Additional S.M.A.R.T. Current_Config Windows_Devices Windows_Soft"),
                             date + Cp(" Записан файл \\\\SERVER\\COLLECT\\") + address});
    }
    if (random.OneIn(5)) {
        const std::string memoryChanged = WorkingTime(random, 2006);
        const std::string diskChanged = WorkingTime(random, 2006);
        const Disk& oldDisk = random.Pick(kDisks);
        tail.Section("History");
        tail.AddAll("Hist_", {memoryChanged + Cp(" Изменен объем памяти: ") + std::to_string(memory * 2) + " Mb -> " +
                                  std::to_string(memory) + " Mb",
                              diskChanged + Cp(" Заменен жесткий диск: ") + oldDisk.model + " -> " + disk.model});
    }
    if (inventoried) {
        const std::string employee = surname + " " + firstName + " " + patronymic;
        tail.Section("InventoryData");
        tail.Add("InventoryNumber", inventoryNumber);
        tail.Add("Ovner", employee);
        tail.Add("Location", Cp("Завод;") + Cp(department.name) + ";" + employee);
        tail.Add("InventoryDate", WorkingTime(random, 2006) + " (ADMIN)");
    }

    file.Section("Windows_Updates");
    constexpr std::size_t kSignatureSection = 60;
    for (int i = 0; file.Size() + tail.Size() + kSignatureSection < targetBytes; ++i) {
        file.Add("Upd_" + std::to_string(i),
                 "Security Update for Windows XP (KB" + std::to_string(800000 + i * 37 % 200000) + ")");
    }
    file.Append(tail);

    std::string signature = file.Signature();
    const bool signatureValid = !random.OneIn(10);
    if (!signatureValid) {
        signature[0] = signature[0] == '0' ? '1' : '0';
    }
    file.Section("Signature");
    file.Add("0", signature);
    return {address, address, file.Bytes(), signatureValid, configChanges, netListed};
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
