// Backup rotation: the newest copy, dated generations, the month form and the failure path.
#include "shell/backup.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "core/cp1251.h"
#include "core/file.h"
#include "support/scripted_dialog.h"
#include "support/temp_dir.h"

namespace pelgo::shell {
namespace {

using testing::ReadBytes;
using testing::WriteBytes;

// Writes a file and dates it `daysAgo` days before the fixed today, at noon.
void WriteDated(const std::string& path, const std::string& bytes, int daysAgo) {
    WriteBytes(path, bytes);
    std::tm noon{};
    noon.tm_year = 2026 - 1900;
    noon.tm_mon = 2; // March
    noon.tm_mday = 10 - daysAgo;
    noon.tm_hour = 12;
    noon.tm_isdst = -1;
    const struct timespec times[2] = {{std::mktime(&noon), 0}, {std::mktime(&noon), 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

class BackupTest : public ::testing::Test {
protected:
    BackupTest() : log(dir / "pelgo.log", clock) { clock.Set({2026, 3, 10, 15, 0, 0}); }

    Backups Make() { return Backups(settings, log, dialog, clock); }
    std::string File(const std::string& ext) { return dir / ("struct" + ext); }

    testing::TempDir dir;
    core::Clock clock;
    core::WorkLog log;
    testing::ScriptedDialog dialog;
    BackupSettings settings;
};

TEST_F(BackupTest, UnchangedFileIsCopiedOnce) {
    WriteDated(File(""), "v1", 0);
    Make().Backup(File(""));
    EXPECT_EQ(ReadBytes(File(".bak")), "v1");
    EXPECT_EQ(core::StampOf(File(".bak"))->modifiedNs, core::StampOf(File(""))->modifiedNs);
    const std::string logAfterFirst = ReadBytes(log.Path());

    Make().Backup(File(""));
    EXPECT_EQ(ReadBytes(log.Path()), logAfterFirst) << "a second backup of an unchanged file logs nothing";
    EXPECT_FALSE(core::FileExists(File(".ba_")));
    EXPECT_FALSE(core::FileExists(File(".ba1")));
}

TEST_F(BackupTest, GenerationsRotateOnTheFirstChangeOfANewDay) {
    struct Case {
        int backupCount;
        bool expectGenerations;
    };
    for (const Case c : {Case{1, false}, Case{2, true}}) {
        SCOPED_TRACE(c.backupCount);
        settings.backupCount = c.backupCount;
        for (const char* ext : {".ba1", ".ba2"}) {
            core::RemoveFile(File(ext));
        }
        WriteDated(File(".bak"), "yesterday", 1);
        if (c.expectGenerations) {
            WriteDated(File(".ba1"), "two days ago", 2);
        }
        WriteDated(File(""), "today", 0);

        Make().Backup(File(""));

        EXPECT_EQ(ReadBytes(File(".bak")), "today");
        EXPECT_FALSE(core::FileExists(File(".ba_")));
        if (c.expectGenerations) {
            EXPECT_EQ(ReadBytes(File(".ba1")), "yesterday");
            EXPECT_EQ(ReadBytes(File(".ba2")), "two days ago");
        } else {
            EXPECT_FALSE(core::FileExists(File(".ba1")));
        }
    }
}

TEST_F(BackupTest, MonthFormCopiesGenerations) {
    settings.createBackup = 2;
    settings.backupCount = 3;
    WriteDated(File(".b31"), "b31", 2);
    WriteDated(File(".bak"), "yesterday", 1);
    WriteDated(File(""), "today", 0);

    Make().Backup(File(""));

    EXPECT_EQ(ReadBytes(File(".b32")), "b31");
    EXPECT_EQ(ReadBytes(File(".b31")), "yesterday");
    EXPECT_EQ(ReadBytes(File(".bak")), "today");
    EXPECT_FALSE(core::FileExists(File(".ba1")));
}

TEST_F(BackupTest, LeftoverPendingCopyBecomesTheBackup) {
    WriteDated(File(""), "data", 0);
    WriteDated(File(".bak"), "data", 0);
    WriteDated(File(".ba_"), "left from a crash", 0);
    // F.bak has F's time, so no new copy is taken; the leftover still replaces F.bak.
    Make().Backup(File(""));
    EXPECT_EQ(ReadBytes(File(".bak")), "left from a crash");
    EXPECT_FALSE(core::FileExists(File(".ba_")));
}

TEST_F(BackupTest, FailedCopyWarnsAndLogs) {
    WriteDated(File(""), "data", 0);
    ASSERT_EQ(::mkdir(File(".ba_").c_str(), 0777), 0); // a folder where the copy must go
    dialog.ExpectMessage("Ошибка создания резервной копии\r\nИз " + File("") + "\r\nВ " + File(".ba_"));
    EXPECT_FALSE(Make().SubBackup(File(""), ".ba_", true));
    EXPECT_NE(ReadBytes(log.Path()).find(core::Utf8ToCp1251("Ошибка создания ") + File(".ba_")), std::string::npos);

    settings.showBackupError = false;
    EXPECT_FALSE(Make().SubBackup(File(""), ".ba_", true)); // silent: the dialog expects nothing more
}

TEST_F(BackupTest, LiveFileInAFolderNamedLikeABackupIsCopiedNotRenamed) {
    const std::string folder = dir / "data.backup";
    ASSERT_TRUE(core::CreateDirectories(folder));
    const std::string file = folder + "/struct";
    WriteDated(file, "live", 0);
    Make().Backup(file);
    EXPECT_EQ(ReadBytes(file), "live");
    EXPECT_EQ(ReadBytes(folder + "/struct.bak"), "live");
}

TEST_F(BackupTest, MissingSourceDoesNothing) {
    EXPECT_FALSE(Make().SubBackup(File(""), ".ba_", false));
    Make().Backup(File(""));
    EXPECT_FALSE(core::FileExists(File(".bak")));
}

} // namespace
} // namespace pelgo::shell
