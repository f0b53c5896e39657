// The collector agent's settings file: encodings, path resolution, load outcomes, what a save writes and what
// it leaves alone, and the list of known files.
#include "companions/scanlet_settings.h"

#include <gtest/gtest.h>

#include "core/cp1251.h"
#include "core/errors.h"
#include "core/file.h"
#include "core/profile_file.h"
#include "core/work_log.h"
#include "shell/paths.h"
#include "shell/settings.h"
#include "shell/settings_file.h"
#include "support/scripted_dialog.h"
#include "support/temp_dir.h"

namespace pelgo::companions {
namespace {

using testing::ReadBytes;
using testing::WriteBytes;

std::string Cp(const char* utf8) {
    return core::Utf8ToCp1251(utf8);
}

class ScanletSettingsTest : public ::testing::Test {
protected:
    ScanletSettingsTest() : log(dir / "pelgo.log", clock), paths(dir.Path()) { core::CreateDirectories(dir / "agent"); }

    std::string Entry() const { return dir / "agent"; }
    std::string File() const { return dir / "agent/scanlet.ini"; }
    void WriteFile(const std::string& utf8) { WriteBytes(File(), core::Utf8ToCp1251(utf8)); }
    std::string Saved(const char* section, const char* key) {
        return core::ProfileFile(File()).ReadString(section, key, "<absent>");
    }

    // Loads the file and saves it back answered Yes; the messages about rejected free lines.
    std::vector<std::string> LoadAndSave(ScanletSettings& model) {
        const LoadResult loaded = model.Load(Entry(), paths);
        EXPECT_EQ(loaded.status, LoadStatus::Loaded) << loaded.message;
        return model.Save(true, log);
    }

    testing::TempDir dir;
    core::Clock clock;
    core::WorkLog log;
    shell::PathRules paths;
};

TEST(ScanletEncodingTest, MacNamingShowsWhatTheCodeSelects) {
    const struct {
        int code;
        MacNaming shown;
    } cases[] = {
        {0, {0, 1}},
        {2, {2, 1}},
        {3, {kMacRunParameter, 1}},
        {4, {-1, 1}},
        {-3, {-1, 1}},
        {7, {kMacRunParameter, 1}},
        {15, {kMacRunParameter, 5}},
        {19, {kMacRunParameter, 9}},
        {25, {kMacRunParameter, 1}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DecodeMacNaming(c.code), c.shown) << c.code;
    }
    EXPECT_EQ(EncodeMacNaming({kMacRunParameter, 9}), 19);
    EXPECT_EQ(EncodeMacNaming({1, 4}), 1);
}

TEST(ScanletEncodingTest, ScheduleTicksDigitsAnywhereAndWritesThemInOrder) {
    const struct {
        const char* stored;
        const char* saved;
    } cases[] = {
        {"7_once", "7_ONCE"}, {"531", "135"}, {"67_ONCE", "67_ONCE"}, {"once", "_ONCE"}, {"", ""}, {"8x9", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FormatSchedule(ParseSchedule(c.stored)), c.saved) << c.stored;
    }
    const Schedule sundayOnce = ParseSchedule("7_once");
    EXPECT_TRUE(sundayOnce.days[6]);
    EXPECT_TRUE(sundayOnce.once);
}

TEST(ScanletEncodingTest, PathEntriesNameTheirFile) {
    const struct {
        const char* entry;
        const char* shown;
        const char* file;
    } cases[] = {
        {"\\\\srv\\share\\", "\\\\srv\\share", "\\\\srv\\share\\scanlet.ini"},
        {"D:\\x\\SCANLET.INI", "D:\\x\\SCANLET.INI", "D:\\x\\SCANLET.INI"},
        {"D:\\x\\agent.Ini\\", "D:\\x\\agent.Ini", "D:\\x\\agent.Ini"},
        {"/srv/agent/", "/srv/agent", "/srv/agent/scanlet.ini"},
        {"C:\\", "C:", "C:\\scanlet.ini"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TrimPathEntry(c.entry), c.shown) << c.entry;
        EXPECT_EQ(ScanletFilePath(TrimPathEntry(c.entry)), c.file) << c.entry;
    }
}

TEST(ScanletEncodingTest, NetDiskFollowsOutputDir) {
    EXPECT_EQ(NetDiskItemOf("z:"), "Z:");
    EXPECT_EQ(NetDiskItemOf("AA:"), Cp("нет"));
    EXPECT_TRUE(NetDiskEnabledAfter("\\\\srv", false));
    EXPECT_FALSE(NetDiskEnabledAfter("C:\\out", true));
    EXPECT_TRUE(NetDiskEnabledAfter("\\\\s", true)) << "three characters leave the state";
    EXPECT_FALSE(NetDiskEnabledAfter("\\\\s", false));
}

// Each case: lines for [Program] in front of its OutputDir, further sections, the key looked at after a save
// and its value there.
TEST_F(ScanletSettingsTest, ValuesAreWrittenBackAsTheDialogReadsThem) {
    const struct {
        const char* program;
        const char* sections;
        const char* section;
        const char* key;
        const char* saved;
    } cases[] = {
        {"MACaddrToFileName=15\r\n", "", "Program", "MACaddrToFileName", "15"},
        {"MACaddrToFileName=7\r\n", "", "Program", "MACaddrToFileName", "11"},
        {"MACaddrToFileName=3\r\n", "", "Program", "MACaddrToFileName", "11"},
        {"MACaddrToFileName=4\r\n", "", "Program", "MACaddrToFileName", "4"},
        {"MACaddrToFileName=-2\r\n", "", "Program", "MACaddrToFileName", "-2"},
        {"", "", "Program", "MACaddrToFileName", "1"},
        {"DOSFileName=yes\r\n", "", "Program", "DOSFileName", "0"},
        {"WindowsCountersAlarms=on\r\n", "", "Program", "WindowsCountersAlarms", "1"},
        {"CPUspeedAlarm=5\r\n", "", "Program", "CPUspeedAlarm", "1"},
        {"MaxConfigChanges=abc\r\n", "", "Program", "MaxConfigChanges", "12"},
        {"MaxNameLength=3\r\n", "", "Program", "MaxNameLength", "5"},
        {"RemoveSharedDirs=7\r\n", "", "Program", "RemoveSharedDirs", "7"},
        {"RunMode=-1\r\n", "", "Program", "RunMode", "-1"},
        {"MapNetDisk=y:\r\n", "", "Program", "MapNetDisk", "нет"},
        {"", "[HardDisk]\r\nmin_drv=30\r\nmax_drv=0\r\n", "HardDisk", "min_drv", "30"},
        {"", "[HardDisk]\r\nmin_drv=30\r\nmax_drv=0\r\n", "HardDisk", "max_drv", "0"},
        {"", "[Modules]\r\nHistory=7\r\nSharing=x\r\n", "Modules", "History", "7"},
        {"", "[Modules]\r\nHistory=7\r\nSharing=x\r\n", "Modules", "Sharing", "1"},
        {"", "[Additional_Software]\r\nOS=5\r\n", "Additional_Software", "OS", "5"},
        {"", "[Additional_Software]\r\nDayOfWeek=7_once\r\n", "Additional_Software", "DayOfWeek", "7_ONCE"},
        {"", "[Additional_Software]\r\nOutputDir=D:\\out\r\n", "Additional_Software", "OutputDir", "D:\\out\\"},
        {"", "", "Additional_Software", "EXEfile", "C:\\"},
    };
    for (const auto& c : cases) {
        WriteFile(std::string("[Program]\r\n") + c.program + "OutputDir=C:\\out\r\n" + c.sections);
        ScanletSettings model;
        LoadAndSave(model);
        EXPECT_EQ(Saved(c.section, c.key), Cp(c.saved)) << c.program << c.sections << c.key;
    }
}

TEST_F(ScanletSettingsTest, MapNetDiskIsWrittenOnlyWhileOutputDirIsAShare) {
    WriteFile("[Program]\r\nOutputDir=\\\\srv\\out\r\nMapNetDisk=z:\r\n");
    ScanletSettings model;
    LoadAndSave(model);
    EXPECT_EQ(Saved("Program", "MapNetDisk"), "Z:");

    ASSERT_TRUE(SetFromText(model.values, model.modules, "Program", "OutputDir", "D:\\out"));
    model.Save(true, log);
    EXPECT_EQ(Saved("Program", "MapNetDisk"), Cp("нет"));
}

TEST_F(ScanletSettingsTest, LoadOutcomes) {
    WriteBytes(dir / "agent/SCANLET.INI", "[Program]\r\nOutputDir=C:\\x\r\n");
    WriteBytes(dir / "agent/short.ini", "[Program]\r\nOutputDir=C\r\n");
    const struct {
        std::optional<std::string> entry;
        LoadStatus status;
        std::string message;
    } cases[] = {
        {std::nullopt, LoadStatus::NoPath, Cp("Укажите путь к файлам Scanlet.ini !")},
        // Names typed on Windows find their file whatever its letter case.
        {Entry() + "\\", LoadStatus::Loaded, ""},
        {dir / "nowhere\\", LoadStatus::Missing, Cp("НЕВЕРНО:") + dir / "nowhere/scanlet.ini"},
        {Entry() + "/SCANLET.INI", LoadStatus::Loaded, ""},
        {Entry() + "/short.ini", LoadStatus::Invalid, Cp("Ошибка чтения или неверный INI-файл")},
    };
    for (const auto& c : cases) {
        ScanletSettings model;
        const LoadResult result = model.Load(c.entry, paths);
        EXPECT_EQ(result.status, c.status) << c.entry.value_or("no path");
        EXPECT_EQ(result.message, c.message);
        EXPECT_EQ(model.IsOpen(), c.status == LoadStatus::Loaded);
    }
}

TEST_F(ScanletSettingsTest, FailedLoadClosesTheFileAndKeepsTheValues) {
    WriteFile("[Program]\r\nOutputDir=C:\\x\r\nRunMode=2\r\n");
    ScanletSettings model;
    ASSERT_EQ(model.Load(Entry(), paths).status, LoadStatus::Loaded);
    EXPECT_EQ(model.Load(dir / "nowhere", paths).status, LoadStatus::Missing);
    EXPECT_EQ(model.values.runMode, 2);
    const std::string before = ReadBytes(File());
    EXPECT_TRUE(model.Save(true, log).empty());
    EXPECT_EQ(ReadBytes(File()), before) << "no file is open after a failed load";
}

TEST_F(ScanletSettingsTest, FreeLinesKeepTheirBlanksAndSkipLinesWithoutEquals) {
    WriteFile("[Modules]\r\nAdditional=1\r\n[Program]\r\nOutputDir=C:\\x\r\n"
              "[Additional_Software]\r\nexefile=C:\\a.exe\r\nFile = x.ini\r\nDir=D:\\\r\n[Tail]\r\nT=1\r\n");
    ScanletSettings model;
    ASSERT_EQ(model.Load(Entry(), paths).status, LoadStatus::Loaded);
    EXPECT_EQ(model.values.exeFile, "C:\\a.exe");
    EXPECT_EQ(model.values.freeLines, (std::vector<std::string>{"File=x.ini", "Dir=D:\\"}));

    model.values.freeLines = {" a = b ", "", "no equals", "File=y.ini", "Long=" + std::string(300, 'v')};
    const std::vector<std::string> rejected = model.Save(true, log);
    EXPECT_EQ(rejected, (std::vector<std::string>{Cp("Неверная строка №3 (нет =)\r\nno equals")}));
    const std::string file = ReadBytes(File());
    const std::string section = file.substr(file.find("[Additional_Software]"));
    EXPECT_EQ(section, "[Additional_Software]\r\nOS=0\r\nDayOfWeek=\r\nEXEfile=C:\\a.exe\r\nEXEparam=\r\n"
                       "OutputDir=C:\\\r\nOutputFile=\r\na = b\r\nFile=y.ini\r\nLong=" +
                           std::string(255, 'v') + "\r\n");
    EXPECT_NE(file.find("[Tail]\r\nT=1\r\n"), std::string::npos);
}

// A save rewrites every [Additional_Software] as one, so the keys of a repeated one are shown and kept.
TEST_F(ScanletSettingsTest, RepeatedAdditionalSectionsAreSavedAsOne) {
    WriteFile("[Additional_Software]\r\nOS=1\r\nA=1\r\n[Program]\r\nOutputDir=C:\\x\r\n"
              "[Additional_Software]\r\nB=2\r\nOS=2\r\n");
    ScanletSettings model;
    LoadAndSave(model);
    EXPECT_EQ(model.values.os, 1);
    EXPECT_EQ(model.values.freeLines, (std::vector<std::string>{"A=1", "B=2"}));
    const std::string file = ReadBytes(File());
    EXPECT_EQ(file.find("[Additional_Software]"), file.rfind("[Additional_Software]"));
    EXPECT_NE(file.find("OS=1\r\nDayOfWeek="), std::string::npos);
    EXPECT_NE(file.find("A=1\r\nB=2\r\n"), std::string::npos);
}

// The file is only ever replaced: one removed since the load is not made anew, and nothing is logged.
TEST_F(ScanletSettingsTest, AFileGoneSinceTheLoadIsNotMadeAnew) {
    WriteFile("[Program]\r\nOutputDir=C:\\x\r\n");
    ScanletSettings model;
    ASSERT_EQ(model.Load(Entry(), paths).status, LoadStatus::Loaded);
    ASSERT_TRUE(core::RemoveFile(File()));
    EXPECT_THROW(model.Save(true, log), core::FileError);
    EXPECT_FALSE(core::FileExists(File()));
    EXPECT_FALSE(core::FileExists(dir / "pelgo.log"));
}

TEST_F(ScanletSettingsTest, AdditionalNotUpdatedLeavesItsSectionAlone) {
    const std::string additional = "[Additional_Software]\r\n; typed by hand\r\nOS = 1\r\nFile=x\r\n\r\n";
    WriteFile("[Modules]\r\nAdditional=0\r\n" + additional + "[Program]\r\nOutputDir=C:\\x\r\n");
    ScanletSettings model;
    ASSERT_EQ(model.Load(Entry(), paths).status, LoadStatus::Loaded);
    model.values.exeFile = "D:\\other.exe";
    model.values.freeLines = {"no equals"};
    EXPECT_TRUE(model.Save(true, log).empty());
    EXPECT_NE(ReadBytes(File()).find(additional), std::string::npos);
}

TEST_F(ScanletSettingsTest, SaveRewritesItsKeysOnlyAndLogsTheFile) {
    WriteFile("; agent settings\r\n[Program]\r\nProgram=Scanlet v.1.31\r\nOutputDir = \\\\srv\\out\r\n"
              "; keep this\r\nUnknown=  x y\r\nMapNetDisk=z:\r\n\r\n[HardDisk]\r\nmin_drv=3\r\n"
              "[Other]\r\nFoo=bar ; not a comment\r\n[Modules]\r\nAdditional=0\r\n");
    ScanletSettings model;
    ASSERT_EQ(model.Load(Entry(), paths).status, LoadStatus::Loaded);
    EXPECT_EQ(model.values.program, "Scanlet v.1.31");
    model.values.dosFileName = true;
    EXPECT_TRUE(model.Save(false, log).empty());
    model.Save(true, log);

    const std::string modules = "Additional=0\r\nS.M.A.R.T.=1\r\nCurrent_Config=1\r\nWindows_Devices=1\r\n"
                                "Windows_Updates=1\r\nWindows_StartUp=1\r\nWindows_Soft=1\r\nPost_Accounts=1\r\n"
                                "Remote_Access=1\r\nSharing=1\r\nScanlet_Log=1\r\nHistory=1\r\n";
    EXPECT_EQ(ReadBytes(File()),
              "; agent settings\r\n[Program]\r\nProgram=Scanlet v.1.31\r\nOutputDir=\\\\srv\\out\r\n"
              "; keep this\r\nUnknown=  x y\r\nMapNetDisk=Z:\r\nMaxConfigChanges=12\r\nDOSFileName=1\r\n"
              "MACaddrToFileName=1\r\nNoBadMACaddr=0\r\nWindowsCountersAlarms=1\r\nCPUspeedAlarm=0\r\n"
              "RemoveSharedDirs=0\r\nRunMode=0\r\nClearThisFile=0\r\nMaxNameLength=12\r\n\r\n"
              "[HardDisk]\r\nmin_drv=3\r\nmax_drv=12\r\nFreeAlarmPercent=10\r\nMaxChangeOfFreeSpace_Mb=100\r\n"
              "[Other]\r\nFoo=bar ; not a comment\r\n[Modules]\r\n" +
                  modules);
    const std::string logText = ReadBytes(dir / "pelgo.log");
    EXPECT_NE(logText.find(Cp("Изменены настройки ") + File()), std::string::npos);
    EXPECT_EQ(logText.find(Cp("Изменены настройки ")), logText.rfind(Cp("Изменены настройки ")))
        << "the unanswered save logs nothing";
}

TEST_F(ScanletSettingsTest, SetFromTextReadsAsALoadDoesAndRefusesUnknownKeys) {
    ScanletSettings model;
    EXPECT_TRUE(SetFromText(model.values, model.modules, "program", "macaddrtofilename", "13"));
    EXPECT_EQ(DecodeMacNaming(model.values.macAddrToFileName), (MacNaming{kMacRunParameter, 3}));
    EXPECT_TRUE(SetFromText(model.values, model.modules, "Modules", "Windows_Soft", "2"));
    EXPECT_EQ(model.modules[6], kModuleDelete);
    EXPECT_TRUE(SetFromText(model.values, model.modules, "Program", "DOSFileName", "x"));
    EXPECT_FALSE(model.values.dosFileName);
    for (const auto& [section, key] : std::initializer_list<std::pair<const char*, const char*>>{
             {"Program", "Program"}, {"Program", "Nope"}, {"Additional_Software", "File"}, {"Other", "OS"}}) {
        EXPECT_FALSE(SetFromText(model.values, model.modules, section, key, "1")) << section << "." << key;
    }
}

TEST(ScanletModulesTest, TwelveModulesWithTheirDescriptions) {
    EXPECT_STREQ(ScanletModules()[0].key, "Additional");
    EXPECT_STREQ(ScanletModules()[11].key, "History");
    EXPECT_EQ(ModuleHelp(3), Cp("Данные выводятся как\r\n[Win_Devices]\r\nЗарегистрированные в Windows устройства"));
}

// The path list lives in pelgo.ini; a section too long to be taken survives saves until the list is edited.
TEST(ScanletPathListTest, HundredAndOneEntriesFallBackAndSurviveUntilEdited) {
    testing::TempDir dir;
    core::Clock clock;
    core::WorkLog log(dir / "pelgo.log", clock);
    testing::ScriptedDialog dialog;
    core::CreateDirectories(dir / "BASE");
    WriteBytes(dir / "BASE/device.dbf", "");
    WriteBytes(dir / "BASE/other.dbf", "");
    std::string stored = "[ScanletPatches]\r\n";
    for (int i = 0; i <= 100; ++i) {
        stored += std::to_string(i) + "=\\\\srv\\p" + std::to_string(i) + "\r\n";
    }
    WriteBytes(dir / "pelgo.ini", "[UpdPatches]\r\n0=/data/a\r\n1=/data/b\r\n" + stored);

    shell::Settings settings(dir.Path());
    shell::ProtectionFlags flags;
    shell::SettingsFile file(dir / "pelgo.ini", settings, flags,
                             shell::SettingsContext{log, dialog, clock, dir / "pelgo", "IVANOV", false, {}});
    file.ReadIni(1);
    EXPECT_EQ(ScanletPaths(settings), (std::vector<std::string>{"/data/a", "/data/b"}));
    file.ReadIni(0);
    EXPECT_NE(ReadBytes(dir / "pelgo.ini").find(stored), std::string::npos);

    EditScanletPaths(settings, {"\\\\srv\\one\\"});
    EXPECT_EQ(ScanletPaths(settings), (std::vector<std::string>{"\\\\srv\\one\\"}));
    file.ReadIni(0);
    core::StringList keys;
    core::ProfileFile(dir / "pelgo.ini").ReadSectionValues("ScanletPatches", keys);
    EXPECT_EQ(keys, (core::StringList{"0=\\\\srv\\one\\"}));
}

} // namespace
} // namespace pelgo::companions
