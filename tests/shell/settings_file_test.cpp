// Reading and writing "pelgo.ini": defaults, paths, version change, rights, lists and round trips.
#include "shell/settings_file.h"

#include <gtest/gtest.h>

#include "core/cp1251.h"
#include "core/file.h"
#include "support/scripted_dialog.h"
#include "support/temp_dir.h"
#include "support/unprivileged.h"

namespace pelgo::shell {
namespace {

using testing::ReadBytes;
using testing::WriteBytes;

class SettingsFileTest : public ::testing::Test {
protected:
    SettingsFileTest() : log(dir / "pelgo.log", clock), settings(dir.Path()) {
        clock.Set({2026, 3, 10, 15, 0, 0});
        core::CreateDirectories(dir / "BASE");
        WriteBytes(dir / "BASE/device.dbf", "");
        WriteBytes(dir / "BASE/other.dbf", "");
    }

    // Writes pelgo.ini from UTF-8 lines.
    void WriteIni(const std::string& utf8) { WriteBytes(Ini(), core::Utf8ToCp1251(utf8)); }
    std::string Ini() const { return dir / "pelgo.ini"; }
    std::string IniUtf8() const { return core::Cp1251ToUtf8(ReadBytes(Ini())); }

    SettingsFile Make(bool branding = false) {
        return SettingsFile(Ini(), settings, flags,
                            SettingsContext{log, dialog, clock, dir / "pelgo", "IVANOV", branding, {}});
    }

    testing::TempDir dir;
    core::Clock clock;
    core::WorkLog log;
    testing::ScriptedDialog dialog;
    Settings settings;
    ProtectionFlags flags;
};

TEST_F(SettingsFileTest, MissingFileGivesEveryDefault) {
    auto file = Make();
    file.ReadIni(1);
    EXPECT_FALSE(file.NewVersion()) << "no [Program] is no version change";
    EXPECT_EQ(settings.BaseDirectory(), dir / "BASE/");
    EXPECT_EQ(settings.FilePath(Key::StructTreeView), dir / "BASE/struct");
    EXPECT_EQ(settings.Int(Key::BackupCount), 2);
    EXPECT_EQ(settings.Int(Key::FontCharSet), -1);
    EXPECT_EQ(settings.Text(Key::NCNedit), core::Utf8ToCp1251("Компьютер"));
    EXPECT_EQ(settings.Int(Key::VersionNextDate), core::DayNumber(clock.Now()) + 14);
    EXPECT_EQ(settings.Text(Key::LngFileDir), ".\\BASE\\");
    EXPECT_EQ(flags.userRights, 0);
    EXPECT_FALSE(flags.sboiFlag);
    EXPECT_FALSE(core::FileExists(Ini())) << "reading never creates the file";
}

TEST_F(SettingsFileTest, VersionChangeIsSeenAndLogged) {
    WriteIni("[Program]\r\nMainProgram=/old/pelgo 2.21.07\r\n");
    auto file = Make();
    file.ReadIni(1);
    EXPECT_TRUE(file.NewVersion());
    EXPECT_NE(core::Cp1251ToUtf8(ReadBytes(log.Path())).find("Новая версия программы 2.22.05"), std::string::npos);
}

TEST_F(SettingsFileTest, PathsResolveAndAreWrittenInTheirStoredForms) {
    core::CreateDirectories(dir / "data/sub");
    WriteBytes(dir / "data/sub/device.dbf", "");
    WriteBytes(dir / "data/sub/other.dbf", "");
    WriteIni("[Setup]\r\nPath=.\\data\\sub\\\r\nStructTreeView=C:\\trees\\struct\r\nImageTreeView=image\r\n"
             "AddDataFile=" +
             dir / "data/sub/add_Data" + "\r\n");
    auto file = Make();
    file.ReadIni(1);
    EXPECT_EQ(settings.BaseDirectory(), dir / "data/sub/");
    EXPECT_EQ(settings.FilePath(Key::DeviceTable), dir / "data/sub/device.dbf");
    EXPECT_EQ(settings.FilePath(Key::ImageTreeView), dir / "data/sub/image");
    EXPECT_EQ(settings.FilePath(Key::StructTreeView).substr(settings.FilePath(Key::StructTreeView).size() - 13),
              "/trees/struct");

    settings.SetFilePath(Key::AddDataFile, settings.FilePath(Key::AddDataFile));
    file.ReadIni(0);
    const std::string ini = IniUtf8();
    EXPECT_NE(ini.find("Path=.\\data\\sub\\\r\n"), std::string::npos);
    EXPECT_NE(ini.find("StructTreeView=C:\\trees\\struct\r\n"), std::string::npos);
    EXPECT_NE(ini.find("ImageTreeView=image\r\n"), std::string::npos);
    EXPECT_NE(ini.find("AddDataFile=add_Data\r\n"), std::string::npos) << "the base directory is stripped";
}

TEST_F(SettingsFileTest, MissingTablesProtectTheData) {
    core::RemoveFile(dir / "BASE/other.dbf");
    WriteIni("[Setup]\r\nOtherTable=elsewhere.dbf\r\n");
    dialog.ExpectMessage("ВНИМАНИЕ ! Проблема :\r\nНе найдена база данных \r\n" + dir / "BASE/elsewhere.dbf");
    auto file = Make();
    file.ReadIni(1);
    EXPECT_TRUE(flags.sboiFlag);
    EXPECT_EQ(IniUtf8().find("OtherTable"), std::string::npos) << "the key is deleted";
    EXPECT_EQ(settings.FilePath(Key::DeviceTable), dir / "BASE/device.dbf");
}

TEST_F(SettingsFileTest, NoTablesInTheBaseDirectoryOffersAnother) {
    core::CreateDirectories(dir / "moved");
    WriteBytes(dir / "moved/device.dbf", "");
    WriteBytes(dir / "moved/other.dbf", "");
    WriteIni("[Setup]\r\nPath=.\\empty\\\r\n");
    dialog.ExpectMessage("Не могу найти dbf-файлы с данными !");
    dialog.ExpectFileChoice(dir / "moved/device.dbf");
    auto file = Make();
    file.ReadIni(1);
    EXPECT_EQ(settings.BaseDirectory(), dir / "moved/");
    EXPECT_NE(IniUtf8().find("Path=.\\moved\\\r\n"), std::string::npos) << "the new path is written at once";
    EXPECT_FALSE(flags.sboiFlag);
}

TEST_F(SettingsFileTest, UserRightsFromTheFirstDigit) {
    struct Case {
        const char* users;
        int rights;
    };
    const Case cases[] = {
        {"IVANOV=1 Write 01.03.2026 10:00:00", 1},
        {"ivanov=1", 1},
        {"IVANOV=Full", 3 /* defUserAccess */},
        {"PETROV=0", 3},
        {"IVANOV=7", 2},
        {"IVANOV=0", 0},
    };
    for (const auto& c : cases) {
        WriteIni(std::string("[Setup]\r\ndefUserAccess=3\r\n[Users]\r\n") + c.users + "\r\n");
        Make().ReadIni(1);
        EXPECT_EQ(flags.userRights, std::min(c.rights, 2)) << c.users;
    }
}

TEST_F(SettingsFileTest, NoFullAccessWarningWhenEveryoneIsLimited) {
    for (const bool someoneHasFullAccess : {false, true}) {
        WriteIni(std::string("[Setup]\r\ndefUserAccess=1\r\n[Users]\r\nIVANOV=0\r\nPETROV=1\r\nSIDOROV=") +
                 (someoneHasFullAccess ? "0" : "2") + "\r\n");
        auto file = Make();
        file.ReadIni(1);
        if (!someoneHasFullAccess) {
            dialog.ExpectMessage("ПРЕДУПРЕЖДЕНИЕ : Никто из пользователей программы");
        }
        settings.users[0].second = "1"; // the user's own row counts too
        file.ReadIni(0);
    }
}

TEST_F(SettingsFileTest, BrandingLeavesOutTheCredit) {
    for (const bool branding : {false, true}) {
        core::RemoveFile(Ini());
        auto file = Make(branding);
        file.ReadIni(1);
        file.ReadIni(0);
        EXPECT_EQ(IniUtf8().find("Autor=") != std::string::npos, !branding);
    }
}

TEST_F(SettingsFileTest, HundredAndOneCollectorPathsFallBackToTheUpdateList) {
    std::string ini = "[UpdPatches]\r\n0=/data/a\r\n1=/data/b\r\n[ScanletPatches]\r\n";
    for (int i = 0; i <= 100; ++i) {
        ini += std::to_string(i) + "=/p" + std::to_string(i) + "\r\n";
    }
    WriteIni(ini);
    Make().ReadIni(1);
    EXPECT_EQ(settings.scanletPatches, (std::vector<std::string>{"/data/a", "/data/b"}));
}

TEST_F(SettingsFileTest, ListsAndJournalTypesSurviveARoundTrip) {
    WriteIni("[RepairTree]\r\nЗаправки=37\r\nПоверки=\r\n[RepairTreeEdit]\r\n0=Картридж\r\n1=Дата\r\n"
             "[RepairTreeEditDefault]\r\n1=%DATE%\r\n[Reports]\r\nПаспорт=pasp.rtf\r\n"
             "[NewCompDistrib]\r\nNCNedit=^ ПК\r\n[Reports_IVANOV]\r\n0=Info|CPU|Есть|*\r\n"
             "[IP_Service]\r\nSoft0=ping\r\nName0=Ping\r\nParam0=-c 4\r\nSoft2=skipped\r\n"
             "[Sentinox]\r\nRunSentinox=1\r\nSnxDir0=/srv\r\n");
    auto file = Make();
    file.ReadIni(1);
    ASSERT_EQ(settings.journalTypes.size(), 2u);
    EXPECT_EQ(settings.journalTypes[0].code, "37");
    EXPECT_EQ(settings.journalTypes[1].code, "0");
    EXPECT_EQ(settings.journalTypes[0].captions[1], core::Utf8ToCp1251("Дата"));
    EXPECT_EQ(settings.journalTypes[0].captions[2], "Error_7");
    EXPECT_EQ(settings.journalTypes[0].defaults[1], "%DATE%");
    EXPECT_EQ(settings.Text(Key::NCNedit), core::Utf8ToCp1251(" ПК"));
    EXPECT_EQ(settings.ipService.size(), 1u);

    file.ReadIni(0);
    const std::string firstWrite = ReadBytes(Ini());
    Settings again(dir.Path());
    ProtectionFlags againFlags;
    SettingsFile reread(Ini(), again, againFlags,
                        SettingsContext{log, dialog, clock, dir / "pelgo", "IVANOV", false, {}});
    reread.ReadIni(1);
    for (const KeyInfo& info : kKeyTable) {
        EXPECT_EQ(again.Text(info.key), settings.Text(info.key)) << info.name;
    }
    EXPECT_EQ(again.reportRows, settings.reportRows);
    EXPECT_EQ(again.sentinox, settings.sentinox);
    reread.ReadIni(0);
    const std::string secondWrite = ReadBytes(Ini());
    reread.ReadIni(0);
    EXPECT_EQ(ReadBytes(Ini()), secondWrite) << "rewritten lists settle at the end; nothing else moves";
    EXPECT_EQ(secondWrite.size(), firstWrite.size());
    const std::string ini = IniUtf8();
    EXPECT_NE(ini.find("NCNedit=^ ПК\r\n"), std::string::npos);
    EXPECT_NE(ini.find("IVANOV=0 Write 10.03.2026 15:00:00\r\n"), std::string::npos);
}

TEST_F(SettingsFileTest, BookmarksAreWrittenOnlyWithACommitOfTheTree) {
    WriteIni("[BookMarks]\r\nBM1=3\r\n");
    auto file = Make();
    file.ReadIni(1);
    settings.SetInt(Key::BM1, 7); // a slot of a tree not committed yet
    file.ReadIni(0);
    EXPECT_NE(IniUtf8().find("BM1=3\r\n"), std::string::npos) << "the settings' write leaves them";
    file.WriteBookmarks();
    EXPECT_NE(IniUtf8().find("BM1=7\r\n"), std::string::npos);
}

TEST_F(SettingsFileTest, ProtectedDataAreNotWrittenButTreeProtectionCanBeSwitchedOff) {
    WriteIni("[Setup]\r\nProtectStructTree=1\r\nBackupCount=5\r\n");
    auto file = Make();
    file.ReadIni(1);
    flags.readOnlyStart = true;
    settings.SetInt(Key::BackupCount, 3);
    settings.SetBool(Key::ProtectStructTree, false);
    file.ReadIni(0);
    const std::string ini = IniUtf8();
    EXPECT_NE(ini.find("ProtectStructTree=0"), std::string::npos);
    EXPECT_NE(ini.find("BackupCount=5"), std::string::npos);
}

TEST_F(SettingsFileTest, FailureFlagIsPersistedOnlyWhenItChanges) {
    auto file = Make();
    file.LockSboi();
    EXPECT_FALSE(core::FileExists(Ini())) << "nothing to persist while the flag is down";
    flags.sboiFlag = true;
    file.LockSboi();
    EXPECT_NE(IniUtf8().find("ProtectData_SBOI=1"), std::string::npos);
    flags.sboiFlag = false;
    file.LockSboi();
    EXPECT_NE(IniUtf8().find("ProtectData_SBOI=0"), std::string::npos);

    file.ReadIni(1);
    EXPECT_FALSE(flags.sboiFlag);
    WriteIni("[Setup]\r\nProtectData_SBOI=1\r\n");
    file.ReadIni(1);
    EXPECT_TRUE(flags.sboiFlag) << "the persisted flag is read at start";
}

TEST_F(SettingsFileTest, OwnRowKeepsTheWriteStampWithTheRightsOfTheList) {
    struct Case {
        const char* ownRow; // as the settings dialog left it; null: the user is not listed
        const char* written;
    };
    const Case cases[] = {
        {"1", "IVANOV=1 Write 10.03.2026 15:00:00"},
        {"2 Write 01.03.2026 10:00:00", "IVANOV=2 Write 10.03.2026 15:00:00"},
        {nullptr, "IVANOV=1 Write 10.03.2026 15:00:00"}, // defUserAccess
    };
    for (const Case& c : cases) {
        WriteIni("[Setup]\r\ndefUserAccess=1\r\n[Users]\r\nivanov=0 Write 01.03.2026 10:00:00\r\nPETROV=0\r\n");
        auto file = Make();
        file.ReadIni(1);
        if (c.ownRow != nullptr) {
            settings.users[0].second = c.ownRow;
        } else {
            settings.users.erase(settings.users.begin());
        }
        file.ReadIni(0);
        EXPECT_NE(IniUtf8().find(std::string("[Users]\r\n") + c.written + "\r\n"), std::string::npos) << IniUtf8();
        EXPECT_EQ(flags.userRights, 0) << "the rights of this run stay as read at start";
    }
}

TEST_F(SettingsFileTest, UnwritableFileIsReportedOnceAndNothingThrows) {
    WriteIni("[Setup]\r\nProtectStructTree=0\r\n[Users]\r\nIVANOV=0\r\n");
    const std::string before = ReadBytes(Ini());
    testing::OpenToEveryone(dir.Path());
    std::filesystem::permissions(Ini(), std::filesystem::perms::owner_read | std::filesystem::perms::group_read |
                                            std::filesystem::perms::others_read);
    const std::string refused = "Cannot write file " + Ini() + " (Permission denied)";
    EXPECT_TRUE(testing::PassesUnprivileged([&] {
        testing::ScriptedDialog childDialog;
        SettingsFile file(Ini(), settings, flags,
                          SettingsContext{log, childDialog, clock, dir / "pelgo", "IVANOV", false, {}});
        EXPECT_TRUE(file.ReadIni(1));
        childDialog.ExpectMessage(refused);
        EXPECT_FALSE(file.ReadIni(0));
        file.SaveReportsSetup(); // the same failure: no second message
        flags.sboiFlag = true;
        file.LockSboi();
        file.LockSboi();
        EXPECT_TRUE(file.ReadIni(0)) << "protected: only the tree protection is written, and it is there already";
    }));
    EXPECT_EQ(ReadBytes(Ini()), before);
    const std::string logged = core::Cp1251ToUtf8(ReadBytes(log.Path()));
    std::size_t reports = 0;
    for (std::size_t at = logged.find(refused); at != std::string::npos; at = logged.find(refused, at + 1)) {
        ++reports;
    }
    EXPECT_EQ(reports, 1u) << logged;
}

} // namespace
} // namespace pelgo::shell
