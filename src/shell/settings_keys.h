// The keys of "pelgo.ini" with their sections, types and defaults, in the order the settings file is
// documented and printed. Lists and per-user sections are not here; they live in Settings itself.
#pragma once

#include <array>
#include <cstddef>

namespace pelgo::shell {

enum class KeyType {
    String,
    Integer,
    Boolean,
    File, // a data-file name, resolved against the base directory
};

// Keys whose default is not a constant: computed when the settings are read.
enum class DynamicDefault {
    None,
    ProgramVersion, // " " + the running version ([Program] MainProgram), or the version itself
    BaseDirectory,  // the program folder + "BASE\"
    FailureFlag,    // the failure flag as it stands
    TodayPlusStep,  // today's day number + [Version_info] Step
};

enum class Key : std::size_t {
    MainProgram,
    Path,
    DeviceTable,
    OtherTable,
    StructTreeView,
    ImageTreeView,
    AddDataFile,
    AwardBIOScode,
    AmiBIOScode,
    WinBIOScode,
    MAClistFile,
    ChipSetsCode,
    IntelIDCode,
    SmartCode,
    TPfile,
    WorkDir,
    UseWorkDir,
    INIpath,
    CreateBackup,
    BackupCount,
    ShowBackupError,
    ExpandRightTree,
    SkipEmptyInReports,
    ReplaceLines,
    ProtectStructTree,
    TP_Create,
    RTF_Edit,
    MakeBookmarks,
    AutoViewSelect,
    LogOfMovingSize,
    DefUserAccess,
    ProtectData_SBOI,
    DBFLastUpdate,
    Timer_sec,
    BM1,
    BM2,
    BM3,
    BM4,
    BM5,
    NC1,
    NC2,
    NC3,
    NC4,
    NC5,
    NCN1,
    NCN23,
    NCNedit,
    Value1,
    Value2,
    Value3,
    Value4,
    Value5,
    Value6,
    PerformanceShow,
    CPU1,
    CPU2,
    CPU3,
    RAM1,
    RAM2,
    RAM3,
    HDD1,
    HDD2,
    HDD3,
    VersionPelgo,
    VersionScanlet,
    VersionSentinox,
    VersionStep,
    VersionNextDate,
    LngFileDir,
    Language,
    BDELangDriver,
    FontCharSet,
    Count
};

struct KeyInfo {
    Key key;
    const char* section;
    const char* name;
    KeyType type;
    const char* defaultValue; // UTF-8; empty when the default is dynamic
    DynamicDefault dynamicDefault = DynamicDefault::None;
};

inline constexpr std::array<KeyInfo, static_cast<std::size_t>(Key::Count)> kKeyTable = {{
    {Key::MainProgram, "Program", "MainProgram", KeyType::String, "", DynamicDefault::ProgramVersion},
    {Key::Path, "Setup", "Path", KeyType::String, "", DynamicDefault::BaseDirectory},
    {Key::DeviceTable, "Setup", "DeviceTable", KeyType::File, "device.dbf"},
    {Key::OtherTable, "Setup", "OtherTable", KeyType::File, "other.dbf"},
    {Key::StructTreeView, "Setup", "StructTreeView", KeyType::File, "struct"},
    {Key::ImageTreeView, "Setup", "ImageTreeView", KeyType::File, "image"},
    {Key::AddDataFile, "Setup", "AddDataFile", KeyType::File, "add_Data"},
    {Key::AwardBIOScode, "Setup", "AwardBIOScode", KeyType::File, "awrdbios"},
    {Key::AmiBIOScode, "Setup", "AmiBIOScode", KeyType::File, "amibios"},
    {Key::WinBIOScode, "Setup", "winBIOScode", KeyType::File, "winbios"},
    {Key::MAClistFile, "Setup", "MAClistFile", KeyType::File, "maclist"},
    {Key::ChipSetsCode, "Setup", "ChipSetsCode", KeyType::File, "chipsets"},
    {Key::IntelIDCode, "Setup", "IntelIDCode", KeyType::File, "IntelID"},
    {Key::SmartCode, "Setup", "SmartCode", KeyType::File, "smart"},
    {Key::TPfile, "Setup", "TPfile", KeyType::File, "move.rtf"},
    {Key::WorkDir, "Setup", "WorkDir", KeyType::File, "C:\\pelgo.tmp"},
    {Key::UseWorkDir, "Setup", "UseWorkDir", KeyType::Boolean, "1"},
    {Key::INIpath, "Setup", "INIpath", KeyType::String, "L:\\LOGIN\\RIZAZIV\\DATA"},
    {Key::CreateBackup, "Setup", "CreateBackup", KeyType::Integer, "1"},
    {Key::BackupCount, "Setup", "BackupCount", KeyType::Integer, "2"},
    {Key::ShowBackupError, "Setup", "ShowBackupError", KeyType::Boolean, "1"},
    {Key::ExpandRightTree, "Setup", "ExpandRightTree", KeyType::Boolean, "0"},
    {Key::SkipEmptyInReports, "Setup", "SkipEmptyInReports", KeyType::Boolean, "1"},
    {Key::ReplaceLines, "Setup", "ReplaceLines", KeyType::Boolean, "1"},
    {Key::ProtectStructTree, "Setup", "ProtectStructTree", KeyType::Boolean, "0"},
    {Key::TP_Create, "Setup", "TP_Create", KeyType::Boolean, "0"},
    {Key::RTF_Edit, "Setup", "RTF_Edit", KeyType::Boolean, "0"},
    {Key::MakeBookmarks, "Setup", "MakeBookmarks", KeyType::Boolean, "1"},
    {Key::AutoViewSelect, "Setup", "AutoViewSelect", KeyType::Boolean, "1"},
    {Key::LogOfMovingSize, "Setup", "LogOfMovingSize", KeyType::Integer, "10"},
    {Key::DefUserAccess, "Setup", "defUserAccess", KeyType::Integer, "0"},
    {Key::ProtectData_SBOI, "Setup", "ProtectData_SBOI", KeyType::Boolean, "", DynamicDefault::FailureFlag},
    {Key::DBFLastUpdate, "Other", "DBFLastUpdate", KeyType::String, "unknown"},
    {Key::Timer_sec, "Other", "Timer_sec", KeyType::Integer, "20"},
    {Key::BM1, "BookMarks", "BM1", KeyType::Integer, "-1"},
    {Key::BM2, "BookMarks", "BM2", KeyType::Integer, "-1"},
    {Key::BM3, "BookMarks", "BM3", KeyType::Integer, "-1"},
    {Key::BM4, "BookMarks", "BM4", KeyType::Integer, "-1"},
    {Key::BM5, "BookMarks", "BM5", KeyType::Integer, "-1"},
    {Key::NC1, "NewCompDistrib", "NC1", KeyType::Integer, "10"},
    {Key::NC2, "NewCompDistrib", "NC2", KeyType::Integer, "1"},
    {Key::NC3, "NewCompDistrib", "NC3", KeyType::Integer, "12"},
    {Key::NC4, "NewCompDistrib", "NC4", KeyType::Integer, "13"},
    {Key::NC5, "NewCompDistrib", "NC5", KeyType::Integer, "11"},
    {Key::NCN1, "NewCompDistrib", "NCN1", KeyType::Integer, "0"},
    {Key::NCN23, "NewCompDistrib", "NCN23", KeyType::Integer, "1001"},
    {Key::NCNedit, "NewCompDistrib", "NCNedit", KeyType::String, "Компьютер"},
    {Key::Value1, "NewCompDistrib", "Value1", KeyType::Integer, "0"},
    {Key::Value2, "NewCompDistrib", "Value2", KeyType::Integer, "0"},
    {Key::Value3, "NewCompDistrib", "Value3", KeyType::Integer, "0"},
    {Key::Value4, "NewCompDistrib", "Value4", KeyType::Integer, "0"},
    {Key::Value5, "NewCompDistrib", "Value5", KeyType::Integer, "0"},
    {Key::Value6, "NewCompDistrib", "Value6", KeyType::Integer, "0"},
    {Key::PerformanceShow, "C_Performance", "Show", KeyType::Boolean, "1"},
    {Key::CPU1, "C_Performance", "CPU1", KeyType::Integer, "200"},
    {Key::CPU2, "C_Performance", "CPU2", KeyType::Integer, "500"},
    {Key::CPU3, "C_Performance", "CPU3", KeyType::Integer, "1"},
    {Key::RAM1, "C_Performance", "RAM1", KeyType::Integer, "32"},
    {Key::RAM2, "C_Performance", "RAM2", KeyType::Integer, "60"},
    {Key::RAM3, "C_Performance", "RAM3", KeyType::Integer, "1"},
    {Key::HDD1, "C_Performance", "HDD1", KeyType::Integer, "1000"},
    {Key::HDD2, "C_Performance", "HDD2", KeyType::Integer, "6000"},
    {Key::HDD3, "C_Performance", "HDD3", KeyType::Integer, "1"},
    {Key::VersionPelgo, "Version_info", "Pelgo", KeyType::String, "", DynamicDefault::ProgramVersion},
    {Key::VersionScanlet, "Version_info", "Scanlet", KeyType::String, "?"},
    {Key::VersionSentinox, "Version_info", "Sentinox", KeyType::String, "?"},
    {Key::VersionStep, "Version_info", "Step", KeyType::Integer, "14"},
    {Key::VersionNextDate, "Version_info", "NextDate", KeyType::Integer, "", DynamicDefault::TodayPlusStep},
    {Key::LngFileDir, "Language", "LngFileDir", KeyType::String, "", DynamicDefault::BaseDirectory},
    {Key::Language, "Language", "Language", KeyType::Integer, "0"},
    {Key::BDELangDriver, "Language", "BDELangDriver", KeyType::String, "db866ru0"},
    {Key::FontCharSet, "Language", "FontCharSet", KeyType::Integer, "-1"},
}};

constexpr const KeyInfo& InfoOf(Key key) {
    return kKeyTable[static_cast<std::size_t>(key)];
}

constexpr bool TableFollowsKeyOrder() {
    for (std::size_t i = 0; i < kKeyTable.size(); ++i) {
        if (static_cast<std::size_t>(kKeyTable[i].key) != i) {
            return false;
        }
    }
    return true;
}
static_assert(TableFollowsKeyOrder(), "kKeyTable rows must follow the order of Key");

} // namespace pelgo::shell
