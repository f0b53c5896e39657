// The collector agent's settings file scanlet.ini: encodings, the list of known files, load and save.
#include "companions/scanlet_settings.h"

#include <algorithm>

#include "core/cp1251.h"
#include "core/errors.h"
#include "core/file.h"
#include "core/profile_file.h"
#include "core/text.h"
#include "core/translator.h"
#include "core/work_log.h"
#include "shell/paths.h"
#include "shell/settings.h"

namespace pelgo::companions {

namespace {

constexpr const char* kProgram = "Program";
constexpr const char* kHardDisk = "HardDisk";
constexpr const char* kModules = "Modules";
constexpr const char* kAdditional = "Additional_Software";

// The keys of [Additional_Software] that have controls; every other key of the section is a free line.
constexpr std::array<const char*, 6> kAdditionalKeys{"OS",       "DayOfWeek", "EXEfile",
                                                     "EXEparam", "OutputDir", "OutputFile"};

// The controls in the order a load fills them: MapNetDisk before OutputDir, whose change decides whether
// MapNetDisk is enabled.
constexpr std::array<std::pair<const char*, const char*>, 16> kLoadOrder{{
    {kProgram, "MapNetDisk"},
    {kProgram, "OutputDir"},
    {kProgram, "MaxConfigChanges"},
    {kProgram, "DOSFileName"},
    {kProgram, "MaxNameLength"},
    {kProgram, "MACaddrToFileName"},
    {kProgram, "NoBadMACaddr"},
    {kProgram, "WindowsCountersAlarms"},
    {kProgram, "CPUspeedAlarm"},
    {kProgram, "RemoveSharedDirs"},
    {kProgram, "RunMode"},
    {kProgram, "ClearThisFile"},
    {kHardDisk, "min_drv"},
    {kHardDisk, "max_drv"},
    {kHardDisk, "FreeAlarmPercent"},
    {kHardDisk, "MaxChangeOfFreeSpace_Mb"},
}};

constexpr std::array<ScanletModule, kModuleCount> kModuleTable{{
    {"Additional", "[Additional]\r\nДанные дополнительных программ сбора информации"},
    {"S.M.A.R.T.", "[S.M.A.R.T.]\r\nДанные о IDE-устройствах"},
    {"Current_Config", "[Current_Config]\r\nТекущая конфигурация компьютера"},
    {"Windows_Devices", "[Win_Devices]\r\nЗарегистрированные в Windows устройства"},
    {"Windows_Updates", "[Win_Updates]\r\nУстановленные обновления (патчи) Windows"},
    {"Windows_StartUp", "[Win_StartUp]\r\nПрограммы, выполняющиеся при загрузке компьютера"},
    {"Windows_Soft", "[Win_Soft]\r\nЗарегистрированные в Windows программы"},
    {"Post_Accounts", "[Post_Accounts]\r\nInternet Accounts (POP3,SMTP и NNTP)"},
    {"Remote_Access", "[Remote_Access]\r\nЗарегистрированные удаленные соединения"},
    {"Sharing", "[Sharing]\r\nКаталоги общего доступа"},
    {"Scanlet_Log", "[Scanlet_Log]\r\nПротокол запуска Scanlet"},
    {"History", "[History]\r\nПротокол критических изменений"},
}};

// A number as the profile file's integer read takes it; `fallback` for text that is no integer.
int IntegerOf(std::string_view text, int fallback) {
    std::string value(core::Trim(text));
    if (value.size() >= 2 && value[0] == '0' && (value[1] == 'x' || value[1] == 'X')) {
        value.replace(0, 2, "$");
    }
    return core::ParseInt(value).value_or(fallback);
}

std::string FlagText(bool flag) {
    return flag ? "1" : "0";
}

std::string NoDisk() {
    return core::Utf8ToCp1251("нет");
}

bool IsAdditionalKey(std::string_view key) {
    return std::any_of(kAdditionalKeys.begin(), kAdditionalKeys.end(),
                       [&](const char* named) { return core::SameText(key, named); });
}

// One control given the text a load finds for it (null: the key is absent). False when there is no such control.
bool Apply(ScanletValues& v, ModuleModes& modules, std::string_view section, std::string_view key,
           const std::string* text) {
    const auto integer = [&](int fallback) { return text != nullptr ? IntegerOf(*text, fallback) : fallback; };
    const auto flag = [&](bool fallback) { return integer(fallback ? 1 : 0) != 0; };
    const auto string = [&](const char* fallback) { return text != nullptr ? *text : std::string(fallback); };
    const auto is = [&](const char* name) { return core::SameText(key, name); };

    if (core::SameText(section, kProgram)) {
        if (is("OutputDir")) {
            v.outputDir = string("");
            v.mapNetDiskEnabled = NetDiskEnabledAfter(v.outputDir, v.mapNetDiskEnabled);
        } else if (is("MapNetDisk")) {
            v.mapNetDisk = NetDiskItemOf(text != nullptr ? *text : core::Text(3080, "нет"));
        } else if (is("MaxConfigChanges")) {
            v.maxConfigChanges = integer(12);
        } else if (is("DOSFileName")) {
            v.dosFileName = flag(false);
        } else if (is("MaxNameLength")) {
            v.maxNameLength = std::clamp(integer(12), kMinNameLength, kMaxNameLength);
        } else if (is("MACaddrToFileName")) {
            v.macAddrToFileName = integer(1);
        } else if (is("NoBadMACaddr")) {
            v.noBadMacAddr = flag(false);
        } else if (is("WindowsCountersAlarms")) {
            v.windowsCountersAlarms = flag(true);
        } else if (is("CPUspeedAlarm")) {
            v.cpuSpeedAlarm = flag(false);
        } else if (is("RemoveSharedDirs")) {
            v.removeSharedDirs = integer(0);
        } else if (is("RunMode")) {
            v.runMode = integer(0);
        } else if (is("ClearThisFile")) {
            v.clearThisFile = flag(false);
        } else {
            return false;
        }
        return true;
    }
    if (core::SameText(section, kHardDisk)) {
        if (is("min_drv")) {
            v.minDrv = integer(1);
        } else if (is("max_drv")) {
            v.maxDrv = integer(12);
        } else if (is("FreeAlarmPercent")) {
            v.freeAlarmPercent = integer(10);
        } else if (is("MaxChangeOfFreeSpace_Mb")) {
            v.maxChangeOfFreeSpaceMb = integer(100);
        } else {
            return false;
        }
        return true;
    }
    if (core::SameText(section, kModules)) {
        for (std::size_t i = 0; i < kModuleCount; ++i) {
            if (is(kModuleTable[i].key)) {
                modules[i] = integer(kModuleUpdate);
                return true;
            }
        }
        return false;
    }
    if (core::SameText(section, kAdditional)) {
        if (is("OS")) {
            v.os = integer(0);
        } else if (is("DayOfWeek")) {
            v.dayOfWeek = ParseSchedule(string(""));
        } else if (is("EXEfile")) {
            v.exeFile = string("C:\\");
        } else if (is("EXEparam")) {
            v.exeParam = string("");
        } else if (is("OutputDir")) {
            v.additionalOutputDir = string("C:\\");
        } else if (is("OutputFile")) {
            v.outputFile = string("");
        } else {
            return false;
        }
        return true;
    }
    return false;
}

using Section = std::vector<std::pair<std::string, std::string>>;

Section ReadSection(core::ProfileFile& file, const char* name, bool everySection = false) {
    core::StringList lines;
    if (everySection) {
        file.ReadEverySectionValues(name, lines);
    } else {
        file.ReadSectionValues(name, lines);
    }
    Section section;
    for (const std::string& line : lines) {
        const std::size_t eq = line.find('=');
        section.emplace_back(line.substr(0, eq), line.substr(eq + 1));
    }
    return section;
}

const std::string* Find(const Section& section, std::string_view key) {
    for (const auto& [name, value] : section) {
        if (core::SameText(name, key)) {
            return &value;
        }
    }
    return nullptr;
}

} // namespace

const std::array<ScanletModule, kModuleCount>& ScanletModules() {
    return kModuleTable;
}

std::string ModuleDescription(std::size_t position) {
    return core::Text(kModuleTextId + static_cast<int>(position), kModuleTable.at(position).description);
}

std::string ModuleHelp(std::size_t position) {
    return core::Text(4028, "Данные выводятся как") + "\r\n" + ModuleDescription(position);
}

int ItemIndex(int stored, int count) {
    return stored >= 0 && stored < count ? stored : -1;
}

std::string DriveItem(int number) {
    if (DriveItemIndex(number) < 0) {
        return {};
    }
    return {static_cast<char>('A' + number - 1), ':'};
}

int DriveItemIndex(int number) {
    return ItemIndex(number - 1, kDriveCount);
}

std::vector<std::string> NetDiskItems() {
    std::vector<std::string> items{core::Text(3080, "нет")};
    for (int number = kDriveCount; number >= 1; --number) {
        items.push_back(DriveItem(number));
    }
    return items;
}

std::string NetDiskItemOf(std::string_view stored) {
    const std::vector<std::string> items = NetDiskItems();
    const std::string upper = core::UpperLatin(stored);
    const auto found = std::find(items.begin(), items.end(), upper);
    return found != items.end() ? *found : items.front();
}

bool NetDiskEnabledAfter(std::string_view outputDir, bool enabledBefore) {
    return outputDir.size() > 3 ? outputDir.starts_with("\\\\") : enabledBefore;
}

MacNaming DecodeMacNaming(int code) {
    if (code < 0 || code == 4) {
        return {};
    }
    if (code <= kMacRunParameter) {
        return {code, 1};
    }
    if (code >= 11 && code <= 19) {
        return {kMacRunParameter, code - 10};
    }
    return {kMacRunParameter, 1};
}

int EncodeMacNaming(const MacNaming& naming) {
    return naming.choice == kMacRunParameter ? 10 + naming.parameter : naming.choice;
}

int MacCodeAsSaved(int code) {
    const MacNaming naming = DecodeMacNaming(code);
    return naming.choice < 0 ? code : EncodeMacNaming(naming);
}

Schedule ParseSchedule(std::string_view value) {
    const std::string upper = core::UpperLatin(value);
    Schedule schedule;
    for (std::size_t day = 0; day < schedule.days.size(); ++day) {
        schedule.days[day] = upper.find(static_cast<char>('1' + day)) != std::string::npos;
    }
    schedule.once = upper.find("ONCE") != std::string::npos;
    return schedule;
}

std::string FormatSchedule(const Schedule& schedule) {
    std::string value;
    for (std::size_t day = 0; day < schedule.days.size(); ++day) {
        if (schedule.days[day]) {
            value += static_cast<char>('1' + day);
        }
    }
    return schedule.once ? value + "_ONCE" : value;
}

std::vector<ScanletEntry> SaveEntries(const ScanletValues& v, const ModuleModes& modules,
                                      std::vector<std::string>* rejected) {
    const auto number = [](int value) { return std::to_string(value); };
    std::vector<ScanletEntry> entries{
        {kProgram, "OutputDir", v.outputDir},
        {kProgram, "MapNetDisk", v.mapNetDiskEnabled ? v.mapNetDisk : NoDisk()},
        {kProgram, "MaxConfigChanges", number(v.maxConfigChanges)},
        {kProgram, "DOSFileName", FlagText(v.dosFileName)},
        {kProgram, "MACaddrToFileName", number(MacCodeAsSaved(v.macAddrToFileName))},
        {kProgram, "NoBadMACaddr", FlagText(v.noBadMacAddr)},
        {kProgram, "WindowsCountersAlarms", FlagText(v.windowsCountersAlarms)},
        {kProgram, "CPUspeedAlarm", FlagText(v.cpuSpeedAlarm)},
        {kProgram, "RemoveSharedDirs", number(v.removeSharedDirs)},
        {kProgram, "RunMode", number(v.runMode)},
        {kProgram, "ClearThisFile", FlagText(v.clearThisFile)},
        {kProgram, "MaxNameLength", number(v.maxNameLength)},
        {kHardDisk, "min_drv", number(v.minDrv)},
        {kHardDisk, "max_drv", number(v.maxDrv)},
        {kHardDisk, "FreeAlarmPercent", number(v.freeAlarmPercent)},
        {kHardDisk, "MaxChangeOfFreeSpace_Mb", number(v.maxChangeOfFreeSpaceMb)},
    };
    for (std::size_t i = 0; i < kModuleCount; ++i) {
        entries.push_back({kModules, kModuleTable[i].key, number(modules[i])});
    }
    std::string outputDir = v.additionalOutputDir;
    if (!outputDir.empty() && !outputDir.ends_with('\\')) {
        outputDir += '\\';
    }
    entries.insert(entries.end(), {
                                      {kAdditional, "OS", number(v.os)},
                                      {kAdditional, "DayOfWeek", FormatSchedule(v.dayOfWeek)},
                                      {kAdditional, "EXEfile", v.exeFile},
                                      {kAdditional, "EXEparam", v.exeParam},
                                      {kAdditional, "OutputDir", outputDir},
                                      {kAdditional, "OutputFile", v.outputFile},
                                  });
    for (std::size_t n = 0; n < v.freeLines.size(); ++n) {
        const std::string_view line = core::Trim(v.freeLines[n]);
        if (line.empty()) {
            continue;
        }
        const std::size_t eq = line.find('=');
        if (eq == std::string_view::npos) {
            if (rejected != nullptr) {
                rejected->push_back(core::Text(4025, "Неверная строка №") + std::to_string(n + 1) +
                                    core::Text(4026, " (нет =)") + "\r\n" + std::string(line));
            }
            continue;
        }
        entries.push_back({kAdditional, std::string(line.substr(0, eq)), std::string(line.substr(eq + 1, 255))});
    }
    return entries;
}

bool SetFromText(ScanletValues& values, ModuleModes& modules, std::string_view section, std::string_view key,
                 std::string_view text) {
    const std::string value(core::Trim(text));
    return Apply(values, modules, section, key, &value);
}

const std::vector<std::string>& ScanletPaths(const shell::Settings& settings) {
    // The update list may have been edited since it stood in for the section.
    return settings.scanletPatchesFallback ? settings.updPatches : settings.scanletPatches;
}

void EditScanletPaths(shell::Settings& settings, std::vector<std::string> paths) {
    settings.scanletPatches = std::move(paths);
    settings.scanletPatchesFallback = false;
}

std::string TrimPathEntry(std::string_view entry) {
    if (entry.ends_with('\\') || entry.ends_with('/')) {
        entry.remove_suffix(1);
    }
    return std::string(entry);
}

std::string ScanletFilePath(std::string_view entry) {
    std::string lower(entry);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    if (lower.find(".ini") != std::string::npos) {
        return std::string(entry);
    }
    const bool slashes = entry.find('/') != std::string_view::npos && entry.find('\\') == std::string_view::npos;
    return std::string(entry) + (slashes ? "/" : "\\") + "scanlet.ini";
}

std::string SaveQuestion(const std::string& filePath) {
    return filePath + "\r\n" + core::Text(4023, "Сохранить изменения конфигурации ?");
}

LoadResult ScanletSettings::Load(const std::optional<std::string>& entry, const shell::PathRules& paths) {
    LoadResult result;
    m_file.reset();
    if (!entry) {
        result.message = core::Text(4022, "Укажите путь к файлам Scanlet.ini !");
        return result;
    }
    result.entry = TrimPathEntry(*entry);
    result.filePath = ScanletFilePath(result.entry);
    const std::string native = core::ExistingPathIgnoringCase(paths.ToNative(result.filePath));
    if (!core::FileExists(native)) {
        result.status = LoadStatus::Missing;
        result.message = core::Text(4021, "НЕВЕРНО:") + result.filePath;
        return result;
    }
    core::ProfileFile file(native);
    const Section program = ReadSection(file, kProgram);
    const Section hardDisk = ReadSection(file, kHardDisk);
    const Section moduleKeys = ReadSection(file, kModules);
    // A save rewrites every [Additional_Software] as one: the keys of a repeated one are shown first.
    const Section additional = ReadSection(file, kAdditional, true);
    const std::string* outputDir = Find(program, "OutputDir");
    if (outputDir == nullptr || outputDir->size() < 2) {
        result.status = LoadStatus::Invalid;
        result.message = core::Text(4020, "Ошибка чтения или неверный INI-файл");
        return result;
    }

    const std::string* banner = Find(program, kProgram);
    values.program = banner != nullptr ? *banner : std::string();
    for (const auto& [section, key] : kLoadOrder) {
        Apply(values, modules, section, key, Find(section == kProgram ? program : hardDisk, key));
    }
    for (const ScanletModule& module : kModuleTable) {
        Apply(values, modules, kModules, module.key, Find(moduleKeys, module.key));
    }
    for (const char* key : kAdditionalKeys) {
        Apply(values, modules, kAdditional, key, Find(additional, key));
    }
    values.freeLines.clear();
    for (const auto& [key, value] : additional) {
        if (!IsAdditionalKey(key)) {
            values.freeLines.push_back(key + "=" + value);
        }
    }
    m_file = OpenFile{result.filePath, native};
    result.status = LoadStatus::Loaded;
    return result;
}

std::vector<std::string> ScanletSettings::Save(bool confirmed, core::WorkLog& log) {
    if (!m_file || !confirmed) {
        return {};
    }
    // Written as a whole file only: a file that went away meanwhile is not made anew from the dialog's keys.
    if (!core::FileExists(m_file->native)) {
        throw core::FileError(core::Utf8ToCp1251("Файл ") + m_file->shown +
                              core::Utf8ToCp1251(" больше не существует: изменения не записаны.\r\nВосстановите "
                                                 "файл и запишите снова или откажитесь от записи (Нет)."));
    }
    std::vector<std::string> rejected;
    const std::vector<ScanletEntry> entries = SaveEntries(values, modules, &rejected);
    const bool additional = modules[0] == kModuleUpdate;
    core::ProfileFile file(m_file->native);
    core::ProfileFile::Batch batch(file);
    bool erased = false;
    for (const ScanletEntry& entry : entries) {
        if (entry.section == kAdditional) {
            if (!additional) {
                continue;
            }
            if (!erased) {
                file.EraseSection(kAdditional);
                erased = true;
            }
        }
        file.WriteString(entry.section, entry.key, entry.value);
    }
    batch.Commit();
    log.LogEvent(core::Text(4024, "Изменены настройки ") + m_file->shown);
    return additional ? rejected : std::vector<std::string>();
}

} // namespace pelgo::companions
