// The change monitor: its section, its settings file, its start and the ageing of its critical alarms.
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>

#include "companions/sentinox_alarms.h"
#include "companions/sentinox_monitor.h"
#include "companions/sentinox_settings.h"
#include "core/cp1251.h"
#include "core/profile_file.h"
#include "platform/dbf_table.h"
#include "structure/node_records_table.h"
#include "support/temp_dir.h"

namespace pelgo::companions {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

class RecordingLauncher : public platform::ProgramLauncher {
public:
    struct Call {
        std::string program;
        std::vector<std::string> arguments;
        std::string workingDirectory;
    };
    bool Launch(const std::string& program, const std::vector<std::string>& arguments,
                const std::string& workingDirectory) override {
        calls.push_back({program, arguments, workingDirectory});
        return true;
    }
    std::vector<Call> calls;
};

constexpr core::DateTime kToday{2026, 3, 9, 10, 15, 0};

// An installation whose base holds the monitor's executable; settings as the section would give them.
struct MonitorFixture {
    TempDir dir;
    shell::Settings settings{dir.Path()};
    RecordingLauncher launcher;
    SentinoxMonitor monitor{launcher};
    SentinoxSettings values;

    MonitorFixture() {
        settings.Paths().SetBaseDirectory(dir / "BASE");
        std::filesystem::create_directories(dir / "BASE");
        WriteBytes(dir / "BASE/sentinox.exe", "");
        values = SentinoxFromEntries({{"RunSentinox", "1"}, {"Text0", "Memory"}}, DataDirectory(settings));
    }
    std::string Executable() const { return dir / "BASE/sentinox.exe"; }
    std::string MonitorFile() const { return dir / "BASE/sentinox.ini"; }
    SentinoxMonitor::Outcome Start(int userRights, bool test = false) {
        return monitor.Start(values, EnvironmentOf(settings, userRights, kToday, dir / "BASE/other.dbf"), test);
    }
    std::string Read(const std::string& section, const std::string& key) {
        return core::ProfileFile(MonitorFile()).ReadString(section, key, "<absent>");
    }
};

TEST(SentinoxSettingsTest, SectionRoundTripAndDefaults) {
    TempDir dir;
    shell::Settings settings(dir.Path());
    settings.Paths().SetBaseDirectory(dir / "BASE");
    const SentinoxSettings defaults = ReadSentinoxSettings(settings);
    EXPECT_FALSE(defaults.runSentinox);
    EXPECT_EQ(settings.Paths().ToNative(defaults.snxPath), dir / "BASE/sentinox.exe");
    EXPECT_EQ(settings.Paths().ToNative(defaults.logDir), dir / "BASE/");
    EXPECT_EQ(defaults.snxUser, 0);
    EXPECT_TRUE(defaults.createLog);
    EXPECT_EQ(defaults.maxLines, 16);
    EXPECT_EQ(defaults.maxData, 100);
    EXPECT_TRUE(defaults.dirs.empty());
    EXPECT_TRUE(defaults.rows.empty());

    // Keys in any order and case; lists stop at the first gap; a row without a mode ignores.
    settings.sentinox = {{"text1", "Soft"},       {"MODE0", "1"},    {"Text0", "Memory"},  {"SnxDir0", "L:\\DATA"},
                         {"SnxDir2", "L:\\LOST"}, {"MaxData", "30"}, {"RunSentinox", "1"}, {"SnxUser", "1"}};
    const SentinoxSettings read = ReadSentinoxSettings(settings);
    EXPECT_EQ(read.dirs, std::vector<std::string>{"L:\\DATA"});
    EXPECT_EQ(read.rows, (std::vector<AnalysisRow>{{"Memory", 1}, {"Soft", 0}}));
    EXPECT_EQ(read.maxData, 30);

    StoreSentinoxSettings(settings, read);
    std::vector<std::string> keys;
    for (const auto& entry : settings.sentinox) {
        keys.push_back(entry.first);
    }
    EXPECT_EQ(keys, (std::vector<std::string>{"RunSentinox", "SnxPath", "SnxDir0", "SnxLogDir", "SnxUser", "CreateLog",
                                              "MaxLines", "MaxData", "Text0", "Mode0", "Text1", "Mode1"}));
    EXPECT_EQ(ReadSentinoxSettings(settings), read);
}

TEST(SentinoxSettingsTest, ListsStopAfter256Entries) {
    shell::Entries section;
    for (int n = 0; n < 300; ++n) {
        section.emplace_back("SnxDir" + std::to_string(n), "D" + std::to_string(n));
        section.emplace_back("Text" + std::to_string(n), "T" + std::to_string(n));
    }
    const SentinoxSettings read = SentinoxFromEntries(section, "");
    EXPECT_EQ(read.dirs.size(), kMaxNumberedEntries);
    EXPECT_EQ(read.rows.size(), kMaxNumberedEntries);
}

TEST(SentinoxSettingsTest, ModeFollowsTheCaptionByPrefix) {
    const struct {
        const char* caption;
        int mode;
    } cases[] = {{"Игнорировать", 0}, {"Отмечать (!)", 1}, {"Отме", 1}, {"", 0}, {"Отмечать всё", 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(ModeOfCaption(core::Utf8ToCp1251(c.caption)), c.mode) << c.caption;
    }
}

TEST(SentinoxStartTest, StartsOnceADayForTheUsersTheSettingsName) {
    const struct {
        const char* name;
        std::optional<std::string> lastRun; // nullopt: the key is absent
        int userRights;
        int snxUser;
        bool test;
        bool starts;
    } cases[] = {
        {"first start of the day", std::nullopt, 0, 0, false, true},
        {"ran today", "09.03.2026 08:01:02", 0, 0, false, false},
        {"ran yesterday", "08.03.2026 08:01:02", 0, 0, false, true},
        {"preparation unanswered", "", 0, 0, false, false},
        {"preparation unanswered, test run", "", 0, 0, true, true},
        {"read-only user, full control only", std::nullopt, 1, 0, false, false},
        {"read-only user, read-only users too", std::nullopt, 1, 1, false, true},
        {"full control, read-only users too", std::nullopt, 0, 1, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        MonitorFixture fixture;
        fixture.values.snxUser = c.snxUser;
        if (c.lastRun) {
            WriteBytes(fixture.MonitorFile(), "[Config]\r\nLastRunInPelgoMode=" + *c.lastRun + "\r\n");
        }
        const std::string before = ReadBytes(fixture.MonitorFile());
        fixture.Start(c.userRights, c.test);
        if (!c.starts) {
            EXPECT_TRUE(fixture.launcher.calls.empty());
            EXPECT_EQ(ReadBytes(fixture.MonitorFile()), before) << "the monitor's file is left alone";
            continue;
        }
        ASSERT_EQ(fixture.launcher.calls.size(), 1U);
        EXPECT_EQ(fixture.launcher.calls[0].program, fixture.Executable());
        EXPECT_TRUE(fixture.launcher.calls[0].arguments.empty());
        EXPECT_EQ(fixture.launcher.calls[0].workingDirectory, fixture.dir / "BASE");
        EXPECT_EQ(fixture.Read("Config", "LastRunInPelgoMode"), "");
        EXPECT_EQ(fixture.Read("Strings", "Text0"), "Memory");
    }
}

TEST(SentinoxStartTest, NotWantedStartsNothing) {
    MonitorFixture unticked;
    unticked.values.runSentinox = false;
    EXPECT_EQ(unticked.Start(0), SentinoxMonitor::Outcome::Skipped);
    MonitorFixture missing;
    std::filesystem::remove(missing.Executable());
    EXPECT_EQ(missing.Start(0), SentinoxMonitor::Outcome::Skipped);
    for (MonitorFixture* fixture : {&unticked, &missing}) {
        EXPECT_TRUE(fixture->launcher.calls.empty());
        EXPECT_FALSE(std::filesystem::exists(fixture->MonitorFile()));
        EXPECT_FALSE(fixture->monitor.StartedThisRun());
    }
}

TEST(SentinoxStartTest, OncePerRunButTheTestButtonAlwaysStarts) {
    MonitorFixture fixture;
    EXPECT_EQ(fixture.Start(0), SentinoxMonitor::Outcome::Started);
    // The monitor has not answered yet; even a new day would not start it again in this run.
    WriteBytes(fixture.MonitorFile(), "[Config]\r\nLastRunInPelgoMode=01.01.2020 00:00:00\r\n");
    EXPECT_EQ(fixture.Start(0), SentinoxMonitor::Outcome::Skipped);
    EXPECT_EQ(fixture.launcher.calls.size(), 1U);
    EXPECT_EQ(fixture.Start(0, true), SentinoxMonitor::Outcome::Started);
    EXPECT_EQ(fixture.launcher.calls.size(), 2U);
}

TEST(SentinoxStartTest, MonitorFileKeysInOrder) {
    MonitorFixture fixture;
    fixture.values.maxData = 100;
    fixture.values.maxLines = 40;
    fixture.values.dirs = {"L:\\CFG"};
    fixture.values.rows = {{"Memory", 1}};
    // A longer list of an earlier run survives beyond the current one.
    WriteBytes(fixture.MonitorFile(), "[Strings]\r\nText0=old\r\nMode0=0\r\nText1=older\r\nMode1=1\r\n");
    ASSERT_EQ(fixture.Start(0), SentinoxMonitor::Outcome::Started);
    const std::string base = fixture.dir / "BASE";
    const std::string expected = "[Strings]\r\nText0=Memory\r\nMode0=1\r\nText1=older\r\nMode1=1\r\n"
                                 "[Config]\r\nLastRunInPelgoMode=\r\nCloseIfAllOk=2\r\nLOG_FileName=" +
                                 base + "/sentinox.log\r\nLowPriority=1\r\nDeleteOld=0\r\nSmart_File=" + base +
                                 "/smart\r\nUseWorkDir=0\r\nWorkDir=" + fixture.settings.FilePath(shell::Key::WorkDir) +
                                 "\r\nMapWorkDrive=0\r\nAutoRun=1\r\nNoSignatureCheck=1\r\nExpandTree=0\r\n"
                                 "MaxLines=40\r\nMaxDate=100\r\nWorkTable=" +
                                 base + "/other.dbf\r\n[CheckDirs]\r\nPath_0=/mnt/l/CFG\r\n";
    EXPECT_EQ(ReadBytes(fixture.MonitorFile()), expected);
    EXPECT_EQ(fixture.Read("Config", "MaxData"), "<absent>");

    fixture.values.createLog = false;
    fixture.Start(0, true);
    EXPECT_EQ(fixture.Read("Config", "LOG_FileName"), "");
}

TEST(SentinoxStartTest, LoadedRulesMarkAboveOne) {
    TempDir dir;
    WriteBytes(dir / "other.ini", "[Strings]\r\nText0=Memory\r\nMode0=2\r\nText1=Soft\r\nText2=\r\nText3=Lost\r\n");
    EXPECT_EQ(LoadRules(dir / "other.ini"), (std::vector<AnalysisRow>{{"Memory", kModeMark}, {"Soft", kModeIgnore}}));
}

struct AlarmFixture {
    TempDir dir;
    core::Clock clock;
    core::WorkLog log{dir / "pelgo.log", clock};
    std::optional<platform::DbfTable> table;

    AlarmFixture() {
        clock.Set(kToday);
        platform::DbfTable::Create(dir / "other.dbf", platform::kOtherTableFields, clock);
        table = platform::DbfTable::Open(dir / "other.dbf", platform::DbfOpenMode::Shared, clock);
        table->SetIndex("UNO");
    }
    void Add(const std::string& name, const std::string& group, const std::string& text) {
        structure::NodeRecordsTable(*table).Append(kAlarmKey, group, name, text);
    }
    std::vector<std::string> Names() {
        std::vector<std::string> names;
        for (const structure::NodeRecord& record : ReadCriticalAlarms(*table)) {
            names.push_back(record.name);
        }
        return names;
    }
    std::string Log() { return ReadBytes(dir / "pelgo.log"); }
};

TEST(SentinoxAlarmsTest, ShownSixTimesLoggedOnce) {
    AlarmFixture fixture;
    fixture.Add("SENTINOX", "Disk C", "almost full");
    fixture.Add("XXXXX", "Memory", "128 -> 64");
    fixture.Add("XX", "CPU", "changed");
    const std::optional<std::string> message = ShowCriticalAlarms(*fixture.table, fixture.log, true);
    ASSERT_TRUE(message);
    EXPECT_EQ(*message, core::Utf8ToCp1251("ВНИМАНИЕ! Критические предупреждения от Sentinox.exe :\r\n"
                                           "Disk C=almost full\r\nMemory=128 -> 64\r\nCPU=changed\r\n\r\n"
                                           "(см.\"SENTINOX Alarm\" в журнале работы)"));
    EXPECT_EQ(fixture.Names(), (std::vector<std::string>{"X", "XXX"}));
    const std::string log = fixture.Log();
    EXPECT_NE(log.find("SENTINOX Alarm : Disk C=almost full"), std::string::npos) << log;
    EXPECT_EQ(log.find("Memory"), std::string::npos) << "an alarm shown before is not logged again";

    for (int shown = 2; shown <= 6; ++shown) {
        ASSERT_TRUE(ShowCriticalAlarms(*fixture.table, fixture.log, true));
    }
    EXPECT_TRUE(fixture.Names().empty());
    EXPECT_FALSE(ShowCriticalAlarms(*fixture.table, fixture.log, true));
    EXPECT_EQ(fixture.Log(), log) << "logged once only";
}

TEST(SentinoxAlarmsTest, LongMessagesEndInDotsButEveryAlarmAges) {
    AlarmFixture fixture;
    const std::string text(100, 'a');
    for (int n = 0; n < 9; ++n) {
        fixture.Add("SENTINOX", "G" + std::to_string(n), text);
    }
    const std::string message = *ShowCriticalAlarms(*fixture.table, fixture.log, true);
    // Lines of 105 characters after a header of 56: the sixth line brings it past 600.
    EXPECT_NE(message.find("G5=" + text + "\r\n...\r\n("), std::string::npos) << message;
    EXPECT_EQ(message.find("G6="), std::string::npos);
    EXPECT_EQ(fixture.Names(), std::vector<std::string>(9, "X"));
    EXPECT_NE(fixture.Log().find("SENTINOX Alarm : G8="), std::string::npos);
}

TEST(SentinoxAlarmsTest, WithoutAgeingNothingChanges) {
    AlarmFixture fixture;
    fixture.Add("XXXXX", "Disk C", "almost full");
    EXPECT_TRUE(ShowCriticalAlarms(*fixture.table, fixture.log, false));
    EXPECT_EQ(fixture.Names(), std::vector<std::string>{"XXXXX"});
}

TEST(SentinoxAlarmsTest, ListingTakesTheMonitorsRecordsInIndexOrder) {
    AlarmFixture fixture;
    structure::NodeRecordsTable records(*fixture.table);
    records.Append("0050BA1C2D3E", "09.03.2026 08:00", "SENTINOX", ">>>Memory 64");
    records.Append("0050BA1C2D3E", "aModel", "aModel", "P5K");
    fixture.Add("XX", "Disk C", "almost full");
    records.Append("00AA00000001", "08.03.2026 07:00", "SENTINOX", "CPU changed");
    const std::vector<MonitorRecord> listed = ListMonitorRecords(*fixture.table);
    ASSERT_EQ(listed.size(), 3U);
    EXPECT_EQ(listed[0].key, "0050BA1C2D3E");
    EXPECT_EQ(listed[0].text, ">>>Memory 64");
    EXPECT_EQ(listed[1].key, "00AA00000001");
    EXPECT_EQ(listed[2].key, kAlarmKey);
    EXPECT_EQ(listed[2].group, "Disk C");
}

} // namespace
} // namespace pelgo::companions
