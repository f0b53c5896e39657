// Backup rotation: the newest copy, dated generations, the month form and the failure path.
#include "shell/backup.h"

#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "core/cp1251.h"
#include "core/file.h"
#include "support/scripted_dialog.h"
#include "support/temp_dir.h"

namespace pelgo::shell {
namespace {

using testing::ReadBytes;
using testing::WriteBytes;

// What a process may write into one file in the tests of a failing copy, as if the disk were full there.
constexpr rlim_t kFileSizeLimit = 4096;

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

    // Every file in the folder but the log, with its content and modification time.
    std::map<std::string, std::string> Folder() {
        std::map<std::string, std::string> files;
        for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
            const std::string path = entry.path().string();
            if (path != log.Path()) {
                files[entry.path().filename().string()] =
                    ReadBytes(path) + " @" + std::to_string(core::StampOf(path)->modifiedNs);
            }
        }
        return files;
    }

    // Backs up "struct" in a child process that cannot write a file over kFileSizeLimit; the copy of
    // `failedSource` to `failedTarget` must fail with the warning.
    void BackupUnderFileSizeLimit(const std::string& failedSource, const std::string& failedTarget) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            const rlimit limit{kFileSizeLimit, kFileSizeLimit};
            if (::signal(SIGXFSZ, SIG_IGN) == SIG_ERR || ::setrlimit(RLIMIT_FSIZE, &limit) != 0) {
                ::_exit(2);
            }
            {
                testing::ScriptedDialog childDialog;
                childDialog.ExpectMessage("\r\nИз " + failedSource + "\r\nВ " + failedTarget);
                Backups(settings, log, childDialog, clock).Backup(File(""));
            }
            ::_exit(::testing::Test::HasFailure() ? 1 : 0);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status)) << "the child ended by signal " << WTERMSIG(status);
        ASSERT_EQ(WEXITSTATUS(status), 0);
    }

    testing::TempDir dir;
    core::Clock clock;
    core::WorkLog log;
    testing::ScriptedDialog dialog;
    BackupSettings settings;
};

TEST_F(BackupTest, UnchangedFileIsCopiedOnce) {
    std::string content(2 * 1024 * 1024 + 3, '\0'); // spans several pieces of the streaming copy
    for (std::size_t i = 0; i < content.size(); ++i) {
        content[i] = static_cast<char>(i * 7 % 251);
    }
    WriteDated(File(""), content, 0);
    Make().Backup(File(""));
    EXPECT_EQ(ReadBytes(File(".bak")), content);
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

TEST_F(BackupTest, FailedNewCopyLeavesEveryBackupAsItWas) {
    WriteDated(File(".ba1"), "two days ago", 2);
    WriteDated(File(".bak"), "yesterday", 1);
    WriteDated(File(""), std::string(4 * kFileSizeLimit, 'x'), 0);
    const auto before = Folder();

    BackupUnderFileSizeLimit(File(""), File(".ba_"));

    EXPECT_EQ(Folder(), before) << "no backup replaced, no partial copy or temporary file left";
    EXPECT_NE(ReadBytes(log.Path()).find(core::Utf8ToCp1251("Ошибка создания ") + File(".ba_")), std::string::npos);
}

TEST_F(BackupTest, GenerationThatCannotBeCopiedKeepsTheBackupUntilTheNextRotation) {
    settings.createBackup = 2;
    WriteDated(File(".b31"), "two days ago", 2);
    WriteDated(File(".bak"), std::string(4 * kFileSizeLimit, 'y'), 1);
    WriteDated(File(""), "today", 0);
    const auto before = Folder();

    BackupUnderFileSizeLimit(File(".bak"), File(".b31"));

    auto expected = before;
    expected["struct.b32"] = before.at("struct.b31");
    expected["struct.ba_"] = before.at("struct"); // complete, waiting to become struct.bak
    EXPECT_EQ(Folder(), expected);
    EXPECT_NE(ReadBytes(log.Path()).find(core::Utf8ToCp1251("Ошибка создания ") + File(".b31")), std::string::npos);

    Make().Backup(File(""));
    EXPECT_EQ(Folder(), (std::map<std::string, std::string>{{"struct", before.at("struct")},
                                                            {"struct.bak", before.at("struct")},
                                                            {"struct.b31", before.at("struct.bak")},
                                                            {"struct.b32", before.at("struct.b31")}}));
}

TEST_F(BackupTest, DataFileIsCopiedWhateverItsNameLooksLike) {
    ASSERT_TRUE(core::CreateDirectories(dir / "data.backup"));
    for (const char* name : {"data.backup/struct", "tree.base", "run.bat"}) {
        SCOPED_TRACE(name);
        const std::string file = dir / name;
        WriteDated(file, "live", 0);
        Make().Backup(file);
        EXPECT_EQ(ReadBytes(file), "live");
        EXPECT_EQ(ReadBytes(core::ChangeFileExt(file, ".bak")), "live");
    }
}

TEST_F(BackupTest, BackupCountIsHeldToOneToNine) {
    struct Case {
        int setting;
        int shifted; // generations the rotation rewrites: none with one generation
    };
    for (const Case c : {Case{-3, 0}, Case{0, 0}, Case{1, 0}, Case{3, 3}, Case{9, 9}, Case{15, 9}}) {
        SCOPED_TRACE(c.setting);
        settings.backupCount = c.setting;
        WriteDated(File(".bak"), "g0", 1);
        for (int n = 1; n <= 9; ++n) {
            WriteDated(File(".ba" + std::to_string(n)), "g" + std::to_string(n), n + 1);
        }
        WriteDated(File(""), "new", 0);

        Make().Backup(File(""));

        EXPECT_EQ(ReadBytes(File(".bak")), "new");
        for (int n = 1; n <= 9; ++n) {
            EXPECT_EQ(ReadBytes(File(".ba" + std::to_string(n))), "g" + std::to_string(n <= c.shifted ? n - 1 : n))
                << n;
        }
        for (int n = 10; n <= 15; ++n) {
            EXPECT_FALSE(core::FileExists(File(".ba" + std::to_string(n)))) << n;
        }
    }
}

TEST_F(BackupTest, MissingSourceDoesNothing) {
    EXPECT_FALSE(Make().SubBackup(File(""), ".ba_", false));
    Make().Backup(File(""));
    EXPECT_FALSE(core::FileExists(File(".bak")));
}

} // namespace
} // namespace pelgo::shell
