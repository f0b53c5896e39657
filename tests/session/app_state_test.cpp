// The start sequence, the rights refusal, the version migration and the close request's duties.
#include "session/app_state.h"

#include <algorithm>
#include <gtest/gtest.h>

#include "core/cp1251.h"
#include "core/file.h"
#include "core/profile_file.h"
#include "platform/dbf_table.h"
#include "support/installation.h"
#include "support/scripted_dialog.h"
#include "support/temp_dir.h"
#include "support/unprivileged.h"

namespace pelgo::session {
namespace {

using testing::ReadBytes;
using testing::WriteBytes;

class AppStateTest : public ::testing::Test {
protected:
    AppStateTest() {
        clock.Set({2026, 3, 10, 15, 0, 0});
        testing::MakeInstallation(dir, clock, "Неоприходованная техника\r\nОтдел\r\n",
                                  "1 ; AAAAAAAAAAAA ;x\r\n1 ; BBBBBBBBBBBB ;y\r\n");
    }

    void WriteIni(const std::string& utf8) { WriteBytes(dir / "pelgo.ini", core::Utf8ToCp1251(utf8)); }
    std::string LogUtf8() const { return core::Cp1251ToUtf8(ReadBytes(dir / "pelgo.log")); }

    std::unique_ptr<AppState> Make(std::vector<std::string> arguments = {}) {
        auto state = std::make_unique<AppState>(
            StartOptions{dir.Path(), dir / "pelgo", std::move(arguments), "IVANOV", "WS-01"}, dialog, progress);
        state->Clock().Set(clock.Now());
        return state;
    }

    AppState::StartResult Start(AppState& state) {
        return state.Start([this](std::string_view step) { steps.emplace_back(step); });
    }

    // Live records of other.dbf as "UNO|NAME|TEXT".
    std::vector<std::string> OtherRecords() {
        auto table = platform::DbfTable::Open(dir / "BASE/other.dbf", platform::DbfOpenMode::ReadOnly, clock);
        std::vector<std::string> records;
        table.Walk([&](const platform::DbfRecord& r) {
            records.push_back(r.values[0] + "|" + r.values[2] + "|" + r.values[3]);
        });
        return records;
    }

    void AppendOther(const std::vector<std::string>& values) {
        auto table = platform::DbfTable::Open(dir / "BASE/other.dbf", platform::DbfOpenMode::Shared, clock);
        table.Append(values);
    }

    testing::TempDir dir;
    core::Clock clock;
    testing::ScriptedDialog dialog;
    testing::RecordingProgress progress;
    std::vector<std::string> steps;
};

TEST_F(AppStateTest, StartRunsItsStepsInOrderAndBacksUpByTheSetting) {
    struct Case {
        int createBackup;
        std::vector<std::string> backupSteps;
        bool tablesBackedUp;
    };
    const Case cases[] = {
        {0, {}, false},
        {1, {"Backup DeviceTable", "Backup DeviceTable", "Backup ConfigFiles"}, true},
        {2, {"Backup ConfigFiles"}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.createBackup);
        core::RemoveFile(dir / "BASE/device.bak");
        steps.clear();
        WriteIni("[Setup]\r\nCreateBackup=" + std::to_string(c.createBackup) + "\r\n");
        auto state = Make();
        ASSERT_EQ(Start(*state), AppState::StartResult::Running);
        std::vector<std::string> expected = {"Preparation...", "Read Config...", "Create Menu..."};
        expected.insert(expected.end(), c.backupSteps.begin(), c.backupSteps.end());
        expected.insert(expected.end(),
                        {"Create Forms", "Reindex Tables", "Open DeviceTable", "Open OtherTable", "Run Application"});
        EXPECT_EQ(steps, expected);
        EXPECT_EQ(core::FileExists(dir / "BASE/device.bak"), c.tablesBackedUp);
        EXPECT_TRUE(state->DeviceTable().IsOpen());
        EXPECT_FALSE(state->ProtectData());
        state->CloseRequest();
    }
    const std::string log = LogUtf8();
    EXPECT_NE(log.find("IVANOV Чтение " + dir / "pelgo.ini"), std::string::npos);
    EXPECT_NE(log.find("IVANOV начал работу . Компьютер WS-01"), std::string::npos);
}

TEST_F(AppStateTest, TreeFilesAreNotBackedUpWhileAWritersFilesLieAbout) {
    WriteIni("[Setup]\r\nCreateBackup=2\r\n");
    const std::string image = ReadBytes(dir / "BASE/image");
    WriteBytes(dir / "BASE/struct.tmp", "Склад\r\n");
    WriteBytes(dir / "BASE/image.tmp", image.substr(0, image.find('\n') + 1));
    WriteBytes(dir / "BASE/add_Data.tmp", "");
    WriteBytes(dir / "BASE/struct.commit", ""); // a writer died after its commit point
    auto state = Make();
    ASSERT_EQ(Start(*state), AppState::StartResult::Running);
    EXPECT_FALSE(core::FileExists(dir / "BASE/struct.bak")) << "a copy now would mix the old and the new set";
    EXPECT_NE(LogUtf8().find("Backup ConfigFiles: skipped"), std::string::npos);
    EXPECT_EQ(state->Tree().Count(), 1) << "the load finished the dead writer's commit";
    state->CloseRequest();
}

TEST_F(AppStateTest, FailureFlagRaisedInTheSettingsFileByAnotherInstanceStopsTheNextSave) {
    auto state = Make();
    ASSERT_EQ(Start(*state), AppState::StartResult::Running);
    state->Activate();
    const std::string tree = ReadBytes(dir / "BASE/struct");
    core::ProfileFile(dir / "pelgo.ini").WriteString("Setup", "ProtectData_SBOI", "1");
    state->Tree().SetText(*state->Tree().First(), "renamed");
    state->TreeStorage()->SetTreeModified(true);
    state->SaveAll();
    EXPECT_EQ(ReadBytes(dir / "BASE/struct"), tree);
    EXPECT_TRUE(state->Flags().sboiFlag);
    EXPECT_TRUE(state->ProtectData());
    EXPECT_TRUE(state->TreeStorage()->TreeModified());
    state->CloseRequest();
}

TEST_F(AppStateTest, UsersWithoutRightsAreRefusedBeforeTheTablesOpen) {
    WriteIni("[Users]\r\nIVANOV=2\r\n");
    dialog.ExpectMessage("Excuse, you do not have rights for usage this program.");
    auto state = Make();
    EXPECT_EQ(Start(*state), AppState::StartResult::NoRights);
    EXPECT_FALSE(state->DeviceTable().IsOpen());
    EXPECT_EQ(steps.back(), "Create Forms");
    const std::string log = LogUtf8();
    EXPECT_NE(log.find("IVANOV not have rights for usage this program"), std::string::npos);
    EXPECT_NE(log.find("--- LOG File is closed for WS-01"), std::string::npos);
    EXPECT_EQ(core::StampOf(dir / "BASE/device.bak"), std::nullopt) << "nothing is backed up for them";
}

TEST_F(AppStateTest, ProtectedStartAndReadOnlyRights) {
    struct Case {
        std::vector<std::string> arguments;
        const char* ini;
        bool isProtected;
    };
    const Case cases[] = {
        {{"/r"}, "", true},
        {{"/R"}, "", true},
        {{"/X"}, "", false},
        {{}, "[Users]\r\nIVANOV=1\r\n", true},
        {{}, "[Setup]\r\nProtectStructTree=1\r\n", true},
    };
    for (const auto& c : cases) {
        WriteIni(c.ini);
        auto state = Make(c.arguments);
        ASSERT_EQ(Start(*state), AppState::StartResult::Running);
        EXPECT_EQ(state->ProtectData(), c.isProtected) << c.ini;
        EXPECT_EQ(state->StatusText(), c.isProtected ? core::Utf8ToCp1251("Включена защита данных") : "");
        state->CloseRequest();
    }
}

TEST_F(AppStateTest, OversizedLogIsRotatedAtStart) {
    WriteIni("[Setup]\r\nLogOfMovingSize=1\r\n");
    WriteBytes(dir / "pelgo.log", std::string(1048577, 'x'));
    auto state = Make();
    ASSERT_EQ(Start(*state), AppState::StartResult::Running);
    EXPECT_EQ(ReadBytes(dir / "pelgo.bak").substr(0, 1048577), std::string(1048577, 'x'));
    EXPECT_EQ(LogUtf8().find(std::string(100, 'x')), std::string::npos);
    EXPECT_NE(LogUtf8().find("--- LOG File is open for WS-01"), std::string::npos);
}

TEST_F(AppStateTest, LogWhoseCopyFailsIsKept) {
    WriteIni("[Setup]\r\nLogOfMovingSize=1\r\n");
    WriteBytes(dir / "pelgo.log", std::string(1048577, 'x'));
    core::CreateDirectories(dir / "pelgo.ba_/occupied"); // the copy cannot take its name
    dialog.ExpectMessage("Ошибка создания резервной копии");
    auto state = Make();
    ASSERT_EQ(Start(*state), AppState::StartResult::Running);
    EXPECT_FALSE(core::FileExists(dir / "pelgo.bak"));
    EXPECT_EQ(ReadBytes(dir / "pelgo.log").substr(0, 1048577), std::string(1048577, 'x'));
}

TEST_F(AppStateTest, SettingsFileOfAnOldLayoutIsMoved) {
    WriteBytes(dir / "BASE/pelgo.ini", "[Setup]\r\nBackupCount=5\r\n");
    dialog.ExpectMessage("Файл конфигурации переносится из");
    auto state = Make();
    ASSERT_EQ(Start(*state), AppState::StartResult::Running);
    EXPECT_FALSE(core::FileExists(dir / "BASE/pelgo.ini"));
    EXPECT_EQ(state->Settings().Int(shell::Key::BackupCount), 5);
}

TEST_F(AppStateTest, CloseRequestTidiesTheNodeTableOnlyWhenFreeToWrite) {
    struct Case {
        std::vector<std::string> arguments;
        bool activate;
        bool tidied;
    };
    const Case cases[] = {{{}, true, true}, {{"/R"}, true, false}, {{}, false, false}};
    for (const auto& c : cases) {
        platform::DbfTable::Create(dir / "BASE/other.dbf", platform::kOtherTableFields, clock);
        AppendOther({"UNO000000001", "", "aModel", "P4"});
        AppendOther({"UNO000000001", "", "aZavNum", ""});
        AppendOther({"_Multi_User_", "", "PETROVWS-02_____", "PETROV ..."}); // another instance's presence
        auto state = Make(c.arguments);
        ASSERT_EQ(Start(*state), AppState::StartResult::Running);
        if (c.activate) {
            state->Activate();
        }
        state->CloseRequest();
        state->CloseRequest(); // runs once
        const std::vector<std::string> all = {"UNO000000001|aModel|P4", "UNO000000001|aZavNum|",
                                              "_Multi_User_|PETROVWS-02_____|PETROV ..."};
        const std::vector<std::string> tidy = {"UNO000000001|aModel|P4"};
        EXPECT_EQ(OtherRecords(), c.tidied ? tidy : all);
        if (c.tidied) {
            EXPECT_EQ(
                platform::DbfTable::Open(dir / "BASE/other.dbf", platform::DbfOpenMode::ReadOnly, clock).RecordCount(),
                2u)
                << "empty records (our cleared presence among them) are packed away; the other presence record is "
                   "marked deleted after the pack";
        }
        EXPECT_EQ(LogUtf8().find("WARNING: Program has started incorrectly") != std::string::npos, !c.activate);
    }
}

TEST_F(AppStateTest, VersionChangeMigratesBothTablesAtTheFirstActivation) {
    WriteIni("[Program]\r\nMainProgram=/old/pelgo 2.21.07\r\n");
    {
        auto device = platform::DbfTable::Open(dir / "BASE/device.dbf", platform::DbfOpenMode::Shared, clock);
        device.Append({"00A0C9123456", core::Utf8ToCp1251("Журнал изменений"), "1", "x"});
        device.Append({"00A0C9123456", "Info", "CPU", "P4"});
    }
    AppendOther({"UNO000000001", "", core::Utf8ToCp1251("ЗавНомер"), "123"});
    AppendOther({"UNO000000001", "", core::Utf8ToCp1251("Файл_2"), "a.doc"});
    AppendOther({"UNO000000001", "", "Other", "keep"});
    dialog.ExpectMessage("Новая версия программы \r\nПодождите, пожалуйста...\r\nv 2.22.05");
    dialog.ExpectMessage("пожалуйста, перезапустите программу.");
    auto state = Make();
    ASSERT_EQ(Start(*state), AppState::StartResult::Running);
    state->Activate();
    state->Activate(); // consumed once

    auto device = platform::DbfTable::Open(dir / "BASE/device.dbf", platform::DbfOpenMode::ReadOnly, clock);
    std::vector<std::string> groups;
    device.Walk([&](const platform::DbfRecord& r) { groups.push_back(r.values[1]); });
    EXPECT_EQ(groups, (std::vector<std::string>{"_Config_log_", "Info"}));
    state->CloseRequest();
    const std::vector<std::string> expected = {"UNO000000001|aZavNum|123", "UNO000000001|File_2|a.doc",
                                               "UNO000000001|Other|keep"};
    EXPECT_EQ(OtherRecords(), expected);
    EXPECT_NE(core::Cp1251ToUtf8(ReadBytes(dir / "pelgo.ini")).find("MainProgram=" + dir / "pelgo 2.22.05"),
              std::string::npos);
}

TEST_F(AppStateTest, VersionChangeUnderProtectionSetsTheFailureFlag) {
    WriteIni("[Program]\r\nMainProgram=/old/pelgo 2.21.07\r\n");
    dialog.ExpectMessage("Новая версия программы");
    dialog.ExpectMessage("Ошибка смены версии !");
    auto state = Make({"/R"});
    ASSERT_EQ(Start(*state), AppState::StartResult::Running);
    state->Activate();
    EXPECT_TRUE(state->Flags().sboiFlag);
    EXPECT_NE(core::Cp1251ToUtf8(ReadBytes(dir / "pelgo.ini")).find("ProtectData_SBOI=1"), std::string::npos);
}

} // namespace
} // namespace pelgo::session

namespace pelgo::session {
namespace {

TEST_F(AppStateTest, UnreadableFilesDoNotStopTheStart) {
    struct Case {
        const char* file;
        bool isProtected; // the table's message and the reindex offer, declined
        core::StringList languages;
        std::string logged;
    };
    const Case cases[] = {
        {"BASE/device.dbf", true, {"Deutsch", "English"}, "IVANOV начал работу Включена защита данных. Компьютер"},
        {"BASE/de.lng", false, {"English"}, "IVANOV Language file skipped: Cannot open file " + dir / "BASE/de.lng"},
    };
    WriteBytes(dir / "BASE/de.lng", "[Strings]\r\nLanguageName=Deutsch\r\n");
    WriteBytes(dir / "BASE/en.lng", "[Strings]\r\nLanguageName=English\r\n");
    WriteIni("[Setup]\r\nCreateBackup=0\r\n");
    testing::OpenToEveryone(dir.Path());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string unreadable = dir / c.file;
        testing::MakeUnreadable(unreadable);
        const bool passed = testing::PassesUnprivileged([&] {
            testing::ScriptedDialog childDialog;
            if (c.isProtected) {
                childDialog.ExpectMessage("ВНИМАНИЕ! Ошибка открытия базы " + unreadable + "\r\n\r\nCannot open file " +
                                          unreadable);
                childDialog.ExpectQuestion("Переиндексировать базу данных " + unreadable, platform::Answer::No);
            }
            AppState state(StartOptions{dir.Path(), dir / "pelgo", {}, "IVANOV", "WS-01"}, childDialog, progress);
            ASSERT_EQ(Start(state), AppState::StartResult::Running);
            EXPECT_EQ(state.ProtectData(), c.isProtected);
            EXPECT_EQ(state.Translator().LanguageNames(), c.languages);
            state.CloseRequest();
        });
        EXPECT_TRUE(passed) << "the start as an unprivileged user";
        std::filesystem::permissions(unreadable, std::filesystem::perms::all);
        EXPECT_NE(LogUtf8().find(c.logged), std::string::npos);
    }
}

TEST_F(AppStateTest, TheSmartTableIsLoadedAtTheStartWhenItsFileIsThere) {
    for (const bool present : {false, true}) {
        SCOPED_TRACE(present);
        if (present) {
            WriteBytes(dir / "BASE/smart", "[Main]\r\nParamName=ENG\r\n[ENG]\r\n5=Reallocated Sectors Count\r\n");
        }
        auto state = Make();
        ASSERT_EQ(Start(*state), AppState::StartResult::Running);
        ASSERT_EQ(state->Smart() != nullptr, present);
        if (present) {
            EXPECT_EQ(state->Smart()->DisplayName(5), "[5] Reallocated Sectors Count :");
        }
        state->CloseRequest();
    }
}

TEST_F(AppStateTest, FailedStartWritesTheCloseLines) {
    struct Case {
        const char* name;
        AppState::StartResult result;
    };
    const Case cases[] = {{"a table that does not open after the reindex", AppState::StartResult::TableFailure},
                          {"an error in a start step", AppState::StartResult::Failed}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        core::RemoveFile(dir / "pelgo.log");
        StepReport report = [](std::string_view) {};
        if (c.result == AppState::StartResult::TableFailure) {
            WriteBytes(dir / "BASE/device.dbf", "garbage");
            dialog.ExpectMessage("ВНИМАНИЕ! Ошибка открытия базы");
            dialog.ExpectQuestion("Переиндексировать базу данных", platform::Answer::Yes);
            dialog.ExpectMessage("ВНИМАНИЕ! Ошибка открытия базы");
            dialog.ExpectMessage("Работа программы будет завершена !");
        } else {
            platform::DbfTable::Create(dir / "BASE/device.dbf", platform::kDeviceTableFields, clock);
            // The window's step report runs the event loop, where any error may come up.
            report = [](std::string_view step) {
                if (step == "Open OtherTable") {
                    throw core::FileError("Cannot read file other.dbf");
                }
            };
            dialog.ExpectMessage("Cannot read file other.dbf");
        }
        auto state = Make();
        EXPECT_EQ(state->Start(report), c.result);
        EXPECT_TRUE(state->Closing());
        EXPECT_FALSE(state->DeviceTable().IsOpen());
        const std::string log = LogUtf8();
        const std::size_t finished = log.find("IVANOV закончил работу\r\n");
        ASSERT_NE(finished, std::string::npos) << log;
        EXPECT_NE(log.find("IVANOV WARNING: Program has started incorrectly - the data are not saved !", finished),
                  std::string::npos);
        EXPECT_NE(log.find("--- LOG File is closed for WS-01", finished), std::string::npos);
        if (c.result == AppState::StartResult::Failed) {
            EXPECT_LT(log.find("IVANOV ERROR! Cannot read file other.dbf"), finished);
        }
    }
}

TEST_F(AppStateTest, ReindexThatRepairsATableLeavesTheRunWritable) {
    // A crash after writing a record but before the header's count: the open finds the table damaged.
    std::string bytes = ReadBytes(dir / "BASE/device.dbf");
    bytes.pop_back();
    WriteBytes(dir / "BASE/device.dbf", bytes + " 00A0C9123456" + std::string(32 + 64 + 254, ' '));
    dialog.ExpectMessage("ВНИМАНИЕ! Ошибка открытия базы " + dir / "BASE/device.dbf");
    dialog.ExpectQuestion("Переиндексировать базу данных", platform::Answer::Yes);
    auto state = Make();
    ASSERT_EQ(Start(*state), AppState::StartResult::Running);
    EXPECT_EQ(state->DeviceTable().table->Mode(), platform::DbfOpenMode::Shared);
    EXPECT_FALSE(state->ProtectData());
    EXPECT_EQ(state->DeviceTable().table->Find("00A0C9123456").size(), 1u);
    state->CloseRequest();
}

TEST_F(AppStateTest, ProtectedStartKeepsTablesWritableAndCanBeLifted) {
    auto state = Make({"/R"});
    ASSERT_EQ(Start(*state), AppState::StartResult::Running);
    state->Activate();
    EXPECT_TRUE(state->ProtectData());
    EXPECT_FALSE(state->OtherTable().readOnly) << "a protected start alone leaves the tables writable";
    EXPECT_FALSE(state->MultiUser().MultiUserFind(*state->OtherTable().table)) << "no presence while protected";

    EXPECT_TRUE(state->LiftProtection());
    EXPECT_FALSE(state->ProtectData());
    EXPECT_TRUE(state->MultiUser().MultiUserFind(*state->OtherTable().table));
    EXPECT_NE(LogUtf8().find("IVANOV Отключить \"Защиту данных\""), std::string::npos);
    state->CloseRequest();
}

TEST_F(AppStateTest, OtherProtectionReopensTheTablesReadOnlyAndSaysWhy) {
    WriteIni("[Users]\r\nIVANOV=1\r\n");
    auto state = Make();
    ASSERT_EQ(Start(*state), AppState::StartResult::Running);
    EXPECT_TRUE(state->DeviceTable().readOnly);
    EXPECT_TRUE(state->OtherTable().readOnly);
    EXPECT_EQ(state->OtherTable().table->Mode(), platform::DbfOpenMode::ReadOnly);
    EXPECT_FALSE(state->LiftProtection());
    const std::string log = LogUtf8();
    EXPECT_NE(log.find("Protect data flags : CurrentUserRights \r\n"), std::string::npos);
    EXPECT_NE(log.find(dir / "BASE/device.dbf," + dir / "BASE/other.dbf - Status changed to ReadOnly !"),
              std::string::npos);
    state->CloseRequest();
}

TEST_F(AppStateTest, ClearingTheFailureFlagPersistsItAndAsksForARestart) {
    core::RemoveFile(dir / "BASE/image"); // the tree loads without its UNOs: a failure
    auto state = Make();
    ASSERT_EQ(Start(*state), AppState::StartResult::Running);
    EXPECT_TRUE(state->ProtectData());
    EXPECT_EQ(core::Cp1251ToUtf8(state->StatusText()), "СБОЙ! Включена защита данных");

    dialog.ExpectQuestion("Снять предупреждение \" СБОЙ! \" ???", platform::Answer::No);
    state->ClearFailure();
    EXPECT_TRUE(state->Flags().sboiFlag);

    dialog.ExpectQuestion("Снять предупреждение", platform::Answer::Yes);
    dialog.ExpectMessage("пожалуйста, перезапустите программу.");
    state->ClearFailure();
    EXPECT_FALSE(state->Flags().sboiFlag);
    EXPECT_TRUE(state->OtherTable().readOnly) << "the tables stay read-only until the restart";
    EXPECT_NE(core::Cp1251ToUtf8(ReadBytes(dir / "pelgo.ini")).find("ProtectData_SBOI=0"), std::string::npos);
    EXPECT_NE(LogUtf8().find("Отмена \" СБОЙ! \""), std::string::npos);
    state->CloseRequest();
}

TEST_F(AppStateTest, BuiltInJournalsFollowTheLanguage) {
    WriteBytes(dir / "BASE/en.lng", "[Strings]\r\nLanguageName=English\r\n1030=Repairs\r\n1033=Fault\r\n");
    WriteBytes(dir / "BASE/ru.lng", core::Utf8ToCp1251("[Strings]\r\nLanguageName=Русский\r\n"));
    WriteIni("[RepairTree]\r\nЗаправки=37\r\n");
    auto state = Make();
    ASSERT_EQ(Start(*state), AppState::StartResult::Running);
    ASSERT_EQ(state->JournalTypes().size(), 3u);
    EXPECT_EQ(state->JournalTypes()[0].name, "Repairs");
    EXPECT_EQ(state->JournalTypes()[0].captions[1], "Fault");
    EXPECT_EQ(state->JournalTypes()[1].name, core::Utf8ToCp1251("Модернизации"));

    state->Translator().ChooseNextLanguage();
    state->RetranslateTexts();
    EXPECT_EQ(state->JournalTypes()[0].name, core::Utf8ToCp1251("Ремонты")) << "switching back restores Russian";
    EXPECT_EQ(state->JournalTypes()[2].name, core::Utf8ToCp1251("Заправки")) << "configured journals keep names";
    state->CloseRequest();
}

TEST_F(AppStateTest, FirstRunBuildsTheSampleTreeAndTheCloseSavesIt) {
    core::RemoveFile(dir / "BASE/struct");
    core::RemoveFile(dir / "BASE/image");
    dialog.ExpectMessage("Здравствуйте !");
    dialog.ExpectQuestion("Создать пример дерева структуры Вашего предприятия ?", platform::Answer::Yes);
    auto state = Make();
    ASSERT_EQ(Start(*state), AppState::StartResult::Running);
    EXPECT_EQ(core::Cp1251ToUtf8(state->Tree().First()->Text()), "Неоприходованная техника");
    EXPECT_GT(state->Tree().Count(), 2);
    state->Activate();
    state->CloseRequest();
    EXPECT_NE(core::Cp1251ToUtf8(ReadBytes(dir / "BASE/struct")).find("\tБухгалтерия\r\n"), std::string::npos);
    EXPECT_TRUE(core::FileExists(dir / "BASE/image"));
}

TEST_F(AppStateTest, NewUnoStepsPastKeysOfTheNodeRecordTable) {
    auto state = Make();
    ASSERT_EQ(Start(*state), AppState::StartResult::Running);
    structure::TreeNode& node = state->Tree().AddChild(state->Tree().First(), -1, "PC", structure::kIconComputer);
    const std::string taken = structure::CreateUNO(node.Icon(), node.Handle(), state->Clock().Now());
    state->OtherTable().table->Append({taken, "Main", "Model", "left by a deleted node of another instance"});
    EXPECT_EQ(state->Identity().NodeUno(&node), structure::NextUno(taken));
    state->CloseRequest();
}

TEST_F(AppStateTest, SharedDataUnchangedAtCloseAreNotSaved) {
    const std::string tree = ReadBytes(dir / "BASE/struct");
    auto held = platform::DbfTable::Open(dir / "BASE/other.dbf", platform::DbfOpenMode::Shared, clock);
    auto state = Make();
    ASSERT_EQ(Start(*state), AppState::StartResult::Running);
    EXPECT_TRUE(state->Flags().multiUserAccess);
    state->Activate();
    state->CloseRequest();
    EXPECT_NE(LogUtf8().find("Многопользовательский доступ - no changes,no save"), std::string::npos);
    EXPECT_EQ(core::StampOf(dir / "BASE/struct.xxx"), std::nullopt);
    EXPECT_EQ(ReadBytes(dir / "BASE/struct"), tree);
}

} // namespace
} // namespace pelgo::session

namespace pelgo::session {
namespace {

TEST_F(AppStateTest, UnwritableSettingsFileIsReportedAndTheWorkGoesOn) {
    struct Case {
        const char* name;
        const char* ini;
        bool imageMissing; // the load raises the failure flag, which the start must persist
        bool failure;      // the run is protected: nothing is saved
        int reports;       // one per run for the same failure
    };
    const char* const plain = "[Setup]\r\nCreateBackup=0\r\n";
    const Case cases[] = {
        {"a start, a save and a close", plain, false, false, 1},
        {"a start with the flag in the file", "[Setup]\r\nCreateBackup=0\r\nProtectData_SBOI=1\r\n", false, true, 0},
        {"a start that raises the flag", plain, true, true, 1},
    };
    testing::OpenToEveryone(dir.Path());
    const std::string refused = "Cannot write file " + dir / "pelgo.ini" + " (Permission denied)";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteIni(c.ini);
        std::filesystem::permissions(dir / "pelgo.ini", std::filesystem::perms::owner_read |
                                                            std::filesystem::perms::group_read |
                                                            std::filesystem::perms::others_read);
        core::RemoveFile(dir / "pelgo.log");
        if (c.imageMissing) {
            core::RemoveFile(dir / "BASE/image");
        }
        EXPECT_TRUE(testing::PassesUnprivileged([&] {
            testing::ScriptedDialog childDialog;
            AppState state(StartOptions{dir.Path(), dir / "pelgo", {}, "IVANOV", "WS-01"}, childDialog, progress);
            for (int i = 0; i < c.reports; ++i) {
                childDialog.ExpectMessage(refused);
            }
            ASSERT_EQ(Start(state), AppState::StartResult::Running);
            EXPECT_EQ(state.Flags().sboiFlag, c.failure);
            state.Activate();
            if (!c.failure) {
                state.Tree().SetText(*state.Tree().First(), "renamed");
                state.TreeStorage()->SetTreeModified(true);
                state.SaveAll();
                EXPECT_FALSE(state.TreeStorage()->TreeModified()) << "the tree is saved all the same";
            }
            state.CloseRequest();
        }));
        EXPECT_EQ(core::Cp1251ToUtf8(ReadBytes(dir / "pelgo.ini")), c.ini);
        const std::string log = LogUtf8();
        std::size_t logged = 0;
        for (std::size_t at = log.find(refused); at != std::string::npos; at = log.find(refused, at + 1)) {
            ++logged;
        }
        EXPECT_EQ(logged, static_cast<std::size_t>(c.reports)) << log;
        EXPECT_NE(log.find("IVANOV закончил работу\r\n"), std::string::npos) << log;
        EXPECT_TRUE(log.ends_with("--- LOG File is closed for WS-01\r\n")) << log;
        if (!c.failure) {
            EXPECT_TRUE(ReadBytes(dir / "BASE/struct").starts_with("renamed\r\n"));
            for (const std::string& record : OtherRecords()) {
                EXPECT_FALSE(record.starts_with("_Multi_User_")) << "presence cleared: " << record;
            }
        }
    }
}

TEST_F(AppStateTest, LogSwitchedOffHoldsFromTheFirstLine) {
    WriteIni("[Program]\r\nMainProgram=/old/pelgo 2.21.07\r\n[Setup]\r\nLogOfMovingSize=0\r\n");
    auto state = Make();
    ASSERT_EQ(Start(*state), AppState::StartResult::Running);
    EXPECT_FALSE(core::FileExists(dir / "pelgo.log")) << LogUtf8();
    state->CloseRequest();
    const std::string log = LogUtf8();
    EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 2) << "only the open and the close marker: " << log;
    EXPECT_NE(log.find("--- LOG File is open for WS-01\r\n"), std::string::npos) << log;
    EXPECT_TRUE(log.ends_with("--- LOG File is closed for WS-01\r\n")) << log;
}

} // namespace
} // namespace pelgo::session
