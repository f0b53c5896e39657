// The collector agent's settings file scanlet.ini as the settings dialog edits it: the values of its controls,
// the encodings between stored keys and controls, the list of known files, loading and saving. GUI-free: the
// dialog shows and edits a ScanletSettings and keeps its own "changed" state (which controls mark it is the
// dialog's decision; the DOSFileName box does mark it, so that ticking it and closing never loses the tick).
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pelgo::core {
class WorkLog;
}
namespace pelgo::shell {
class PathRules;
class Settings;
} // namespace pelgo::shell

namespace pelgo::companions {

// --- Modules --------------------------------------------------------------------------------------------

inline constexpr std::size_t kModuleCount = 12;
// Module modes, the items of the mode list.
inline constexpr int kModuleKeep = 0;   // "Не обновлять"
inline constexpr int kModuleUpdate = 1; // "Обновлять"
inline constexpr int kModuleDelete = 2; // "Удалить !"
inline constexpr int kModuleModeCount = 3;

struct ScanletModule {
    const char* key;         // key in [Modules], ASCII
    const char* description; // UTF-8 default: the section name in the agent's file, "\r\n", what it holds
};
// In the fixed order of the file and of the list; a module's text id is kModuleTextId + position.
const std::array<ScanletModule, kModuleCount>& ScanletModules();
inline constexpr int kModuleTextId = 4000;
// The description in the current language, cp1251.
std::string ModuleDescription(std::size_t position);
// What the dialog shows under the module list: "Данные выводятся как", a line break, the description.
std::string ModuleHelp(std::size_t position);

// Stored modes, position as in ScanletModules(); a mode outside the list is kept and written back.
using ModuleModes = std::array<int, kModuleCount>;

// --- Encodings ------------------------------------------------------------------------------------------

// The position of a stored integer in a list of `count` items; -1 (nothing selected) when outside it.
int ItemIndex(int stored, int count);
inline constexpr int kRemoveSharedDirsItems = 5;
inline constexpr int kRunModeItems = 3;
inline constexpr int kOsItems = 3;

// Drives "A:" … "Z:": item i stands for drive number i + 1.
inline constexpr int kDriveCount = 26;
std::string DriveItem(int number); // "C:" for 3; empty outside 1 … 26
int DriveItemIndex(int number);    // -1 outside 1 … 26

// The network drive list: "нет" (translated), then "Z:" down to "A:"; cp1251.
std::vector<std::string> NetDiskItems();
// The item a stored MapNetDisk value selects: the value upper-cased (Latin letters) and compared exactly with
// the items; no match selects "нет".
std::string NetDiskItemOf(std::string_view stored);
// MapNetDisk is enabled exactly while OutputDir is longer than 3 characters and begins with "\\"; a text of 3
// characters or less leaves the enabled state as it was.
bool NetDiskEnabledAfter(std::string_view outputDir, bool enabledBefore);

// MACaddrToFileName: choices 0 "Computer Name", 1 "MAC-address", 2 "SCANLET.DAT", 3 "Run parametr" with a
// run parameter 1 … 9.
inline constexpr int kMacRunParameter = 3;
struct MacNaming {
    int choice = -1;   // -1: the stored code selects nothing (4, negative)
    int parameter = 1; // 1 … 9, meaningful for kMacRunParameter
    friend bool operator==(const MacNaming&, const MacNaming&) = default;
};
MacNaming DecodeMacNaming(int code);
// The code of a choice: 10 + parameter for "Run parametr", else the choice itself.
int EncodeMacNaming(const MacNaming& naming);
// What a save writes for a stored code the user did not change: the code of what it shows (3 and 7 give 11),
// the code itself when it shows nothing.
int MacCodeAsSaved(int code);

// DayOfWeek: day digits 1 (Monday) … 7 (Sunday) ascending, then "_ONCE".
struct Schedule {
    std::array<bool, 7> days{}; // Monday first
    bool once = false;
    friend bool operator==(const Schedule&, const Schedule&) = default;
};
// A day is ticked when its digit occurs anywhere in the upper-cased value, "once" when "ONCE" does.
Schedule ParseSchedule(std::string_view value);
std::string FormatSchedule(const Schedule& schedule);

// --- The values of the controls -------------------------------------------------------------------------

// Each member is what its control holds after a load; integers of list controls stay as stored, so that a
// value the dialog cannot show is written back as read until the user picks an item. Texts are cp1251 and
// kept as typed: paths in them are the agent's Windows paths.
struct ScanletValues {
    // [Program]
    std::string program; // the agent's banner; shown, never written
    std::string outputDir;
    std::string mapNetDisk;         // the chosen NetDiskItems() entry
    bool mapNetDiskEnabled = false; // see NetDiskEnabledAfter; disabled writes the literal "нет"
    int maxConfigChanges = 12;
    bool dosFileName = false;
    int maxNameLength = 12; // the control's bounds kMinNameLength … kMaxNameLength
    int macAddrToFileName = 1;
    bool noBadMacAddr = false;
    bool windowsCountersAlarms = true;
    bool cpuSpeedAlarm = false;
    int removeSharedDirs = 0;
    int runMode = 0;
    bool clearThisFile = false;
    // [HardDisk]
    int minDrv = 1;
    int maxDrv = 12;
    int freeAlarmPercent = 10;
    int maxChangeOfFreeSpaceMb = 100;
    // [Additional_Software]
    int os = 0;
    Schedule dayOfWeek;
    std::string exeFile = "C:\\";
    std::string exeParam;
    std::string additionalOutputDir = "C:\\"; // saved with a trailing "\" unless empty
    std::string outputFile;
    std::vector<std::string> freeLines; // "key=value" as the text box holds them, one a line
};
inline constexpr int kMinNameLength = 5;
inline constexpr int kMaxNameLength = 99;

// --- Keys as saved -------------------------------------------------------------------------------------

struct ScanletEntry {
    std::string section;
    std::string key;
    std::string value;
    friend bool operator==(const ScanletEntry&, const ScanletEntry&) = default;
};

// Every key a save writes, in its order: [Program], [HardDisk], the twelve [Modules] keys, the six named keys of
// [Additional_Software] and then the free lines (written only while module Additional is in mode 1).
// `rejected` gets one message per free line without "=" ("Неверная строка №" n " (нет =)", a line break, the
// line); blank lines are skipped silently.
std::vector<ScanletEntry> SaveEntries(const ScanletValues& values, const ModuleModes& modules,
                                      std::vector<std::string>* rejected = nullptr);

// Gives `text` to the control of SECTION/KEY as a load would read it from the file (defaults for a missing
// or non-integer number, the encodings above). False for a key the dialog has no control for; Program/Program
// and the free keys of [Additional_Software] are not controls.
bool SetFromText(ScanletValues& values, ModuleModes& modules, std::string_view section, std::string_view key,
                 std::string_view text);

// --- The list of known files ----------------------------------------------------------------------------

// The dialog's path list: [ScanletPatches], or [UpdPatches] when that section was not taken (empty, or over
// 100 entries).
const std::vector<std::string>& ScanletPaths(const shell::Settings& settings);
// The list as the user edited it ("Настроить"); from now on [ScanletPatches] is written from it, even when
// the section had too many entries to be taken.
void EditScanletPaths(shell::Settings& settings, std::vector<std::string> paths);

// An entry without one trailing "\" or "/".
std::string TrimPathEntry(std::string_view entry);
// The settings file an entry names, in the entry's own form: the entry itself when it contains ".ini" in any
// letter case, else the entry followed by "\scanlet.ini" ("/" when the entry uses only "/").
std::string ScanletFilePath(std::string_view entry);

// --- Loading and saving ---------------------------------------------------------------------------------

enum class LoadStatus {
    NoPath,  // the list is empty: "Укажите путь к файлам Scanlet.ini !" (4022)
    Missing, // "НЕВЕРНО:" (4021) + the file path
    Invalid, // Program/OutputDir shorter than 2 characters: "Ошибка чтения или неверный INI-файл" (4020)
    Loaded,
};

struct LoadResult {
    LoadStatus status = LoadStatus::NoPath;
    std::string entry;    // the entry as the dialog shows it after the load (trailing separator dropped)
    std::string filePath; // ScanletFilePath of the entry
    std::string message;  // for the status label and a message box; empty when loaded
    bool GroupsEnabled() const { return status == LoadStatus::Loaded; }
};

// The question a save asks first (Yes/No): the file path, a line break, "Сохранить изменения конфигурации ?".
std::string SaveQuestion(const std::string& filePath);

class ScanletSettings {
public:
    ScanletValues values;
    // Kept between loads for the whole process, as the dialog's module list is.
    ModuleModes modules{1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};

    // Reads the file an entry names; `entry` is empty when the path list is. Only a successful load opens the
    // file: after any other outcome no file is open and the values stay as they were. The dialog saves pending
    // changes of the file open before (Save with the user's answer) before it calls this.
    LoadResult Load(const std::optional<std::string>& entry, const shell::PathRules& paths);

    bool IsOpen() const { return m_file.has_value(); }
    // The open file in the entry's form, for the question and the log; empty when none is open.
    std::string FilePath() const { return m_file ? m_file->shown : std::string(); }

    // Writes the values into the open file when `confirmed` (the answer to SaveQuestion) as one locked
    // replacement: another process never reads half of it, keys the dialog does not know and comments stay
    // as they were. Logs "Изменены настройки " (4024) + the file path once written. Returns the messages about
    // rejected free lines, for the caller to show. Nothing happens without an open file. Throws
    // core::FileError.
    std::vector<std::string> Save(bool confirmed, core::WorkLog& log);

private:
    struct OpenFile {
        std::string shown;
        std::string native;
    };
    std::optional<OpenFile> m_file;
};

} // namespace pelgo::companions
