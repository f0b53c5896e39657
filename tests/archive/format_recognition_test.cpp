// Recognising a collector file's format and converting AIDA32 reports with the shipped rules.
#include "archive/format_recognition.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "archive/aida_conversion.h"
#include "core/cp1251.h"
#include "core/file.h"
#include "core/kel_ini_file.h"
#include "core/work_log.h"
#include "shell/settings.h"
#include "support/temp_dir.h"

namespace pelgo::archive {
namespace {

class FormatRecognitionTest : public ::testing::Test {
protected:
    FormatRecognitionTest() : m_log(m_dir / "pelgo.log", m_clock) {
        std::filesystem::create_directory(m_dir / "BASE");
        m_paths = {m_dir / "BASE/cfg_conv", m_dir / "work/pelgotmp.ini"};
        std::filesystem::copy_file(std::string(PELGO_REFERENCE_DATA) + "/cfg_conv", m_paths.rules);
    }

    std::string Recognise(const std::string& path) { return CheckIniFormat(path, m_paths, m_conversion, m_log); }
    // The folder of the converted file as the conversion makes it, for a test that puts a file there first.
    void MakePrivateFolder() const { ASSERT_EQ(::mkdir(core::DirectoryOf(m_paths.convertedFile).c_str(), 0700), 0); }
    std::string LogText() const { return testing::ReadBytes(m_dir / "pelgo.log"); }
    core::StringList ImageOf(const std::string& path) const {
        core::StringList image;
        core::TKelIniFile(path, true).GetFileLines(image);
        return image;
    }

    testing::TempDir m_dir;
    core::Clock m_clock;
    core::WorkLog m_log;
    RecognitionPaths m_paths;
    AidaConversion m_conversion;
};

TEST_F(FormatRecognitionTest, ChoosesTheFileToRead) {
    const std::string aida = "[AIDA32 Report]\r\nDate=1\r\n[Network]\r\nMAC Address=00-0e-a6-1c-2d-3e\r\n";
    struct Case {
        const char* what;
        std::string bytes;
        bool withRules;
        bool converted;
        const char* logged;
    };
    const Case cases[] = {
        {"the agent's own file", "[Info]\r\nParam_0=C:\\scanlet.exe\r\n[AIDA32 Report]\r\nx=1\r\n", true, false, ""},
        {"address and memory", "[Info]\r\nMAC_Addr=1\r\n[Computer]\r\nMemory_in_Mb=1\r\n" + aida, true, false, ""},
        {"the agent's name in capitals and no memory goes on to the AIDA32 test",
         "[Info]\r\nParam_0=C:\\SCANLET.EXE\r\nMAC_Addr=0050BA1C2D3E\r\n" + aida, true, true, ""},
        {"the agent's name in capitals, not a report", "[Info]\r\nParam_0=C:\\SCANLET.EXE\r\n", true, false, ""},
        {"AIDA32 without a blank is no report", "[AIDA32Report]\r\nx=1\r\n", true, false, ""},
        {"a report", aida, true, true, ""},
        {"a report without rules", aida, false, false, "Unknown format in Ini-file "},
    };
    for (const Case& c : cases) {
        const std::string path = m_dir / "file.ini";
        testing::WriteBytes(path, c.bytes);
        if (!c.withRules) {
            std::filesystem::remove(m_paths.rules);
        }
        const std::string before = LogText();
        EXPECT_EQ(Recognise(path), c.converted ? m_paths.convertedFile : path) << c.what;
        const std::string logged = LogText().substr(before.size());
        if (*c.logged == '\0') {
            EXPECT_EQ(logged, "") << c.what;
        } else {
            EXPECT_NE(logged.find(c.logged + path), std::string::npos) << c.what << ": " << logged;
        }
    }
    EXPECT_EQ(Recognise(m_dir / "missing.ini"), m_dir / "missing.ini");
}

TEST_F(FormatRecognitionTest, ShippedRulesConvertTheReport) {
    MakePrivateFolder();
    core::TKelIniFile stale(m_paths.convertedFile, false);
    stale.WriteString("Old", "key", "value");
    stale.UpdateFile();
    stale.SetFileName("");

    const std::string report = std::string(PELGO_TEST_DATA) + "/aida32_report.ini";
    ASSERT_EQ(Recognise(report), m_paths.convertedFile);
    const core::StringList expected = {
        "[Info]",
        "MAC_Addr=000EA61C2D3E",
        "Computer_Name=BUH-12",
        core::Utf8ToCp1251("Current_User_Name=Петрова"),
        "IP_Addr=192.168.0.112 Host: BUH-12",
        "System=Microsoft Windows XP Professional 5.1.2600 (Service Pack 2)",
        "Record_Date=14.03.2007 09:41:05",
        "",
        "[Computer]",
        "Memory_in_Mb=1024 MB",
        "BIOS=Award Modular BIOS v6.00PG 05/20/2004-I865PE-6A79AA0EC-00",
        "Motherboard=Asus P4P800-E Deluxe",
        "CPU_Freq_in_MHz=3000 MHz",
        "Total_HDD_in_Mb=238475 MB",
        "CPU0=Intel Pentium 4 HT, 3000 MHz",
        "CPU1=Intel Pentium 4 HT, 3000 MHz",
        "HDD_1=ST3160023AS (160 GB, 7200 RPM, SATA)",
        "HDD_2=WDC WD800JB-00JJC0 (80 GB, 7200 RPM, Ultra-ATA/100)",
        "Drive_1=C:\\ FIXED NTFS 76316 MB",
        "Drive_2=D:\\ FIXED NTFS 162159 MB",
        "Drive_3=E:\\ CDROM",
        "",
    };
    EXPECT_EQ(ImageOf(m_paths.convertedFile), expected);
    EXPECT_EQ(LogText(), "");
}

TEST_F(FormatRecognitionTest, ALockedConvertedFileLeavesTheReportAsItIs) {
    const std::string report = std::string(PELGO_TEST_DATA) + "/aida32_report.ini";
    MakePrivateFolder();
    core::TKelIniFile holder(m_paths.convertedFile, false);
    holder.WriteString("Info", "MAC_Addr", "0050BA000001");
    holder.UpdateFile();
    EXPECT_EQ(Recognise(report), report);
    EXPECT_NE(LogText().find("Error closing Ini-file ! " + report), std::string::npos);
}

TEST_F(FormatRecognitionTest, TheConvertedFileGoesToAFolderOnlyTheUserCanEnter) {
    const std::string folder = core::DirectoryOf(m_paths.convertedFile);
    for (const bool readableByOthers : {false, true}) { // the second: a folder an older build made
        SCOPED_TRACE(readableByOthers);
        std::filesystem::remove_all(folder);
        if (readableByOthers) {
            ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
            ASSERT_EQ(::chmod(folder.c_str(), 0755), 0);
        }
        ASSERT_EQ(Recognise(std::string(PELGO_TEST_DATA) + "/aida32_report.ini"), m_paths.convertedFile);
        struct stat status {};
        ASSERT_EQ(::lstat(folder.c_str(), &status), 0);
        EXPECT_EQ(status.st_mode & 07777, 0700u);
    }
}

TEST_F(FormatRecognitionTest, AFolderOthersCouldPlantFilesInIsRefused) {
    const std::string report = std::string(PELGO_TEST_DATA) + "/aida32_report.ini";
    const std::string folder = core::DirectoryOf(m_paths.convertedFile);
    const std::string own = m_dir / "own";
    ASSERT_EQ(::mkdir(own.c_str(), 0700), 0);
    struct Case {
        const char* what;
        bool link;
        mode_t mode;
        bool foreignOwner;
    };
    const Case cases[] = {
        {"a link planted at the folder's name, to a folder of the user's", true, 0, false},
        {"a folder others can write", false, 0757, false},
        {"a folder the group can write", false, 0770, false},
        {"a folder of another user", false, 0700, true},
    };
    for (const Case& c : cases) {
        if (c.foreignOwner && ::geteuid() != 0) {
            continue; // only root can plant a folder owned by someone else
        }
        if (c.link) {
            ASSERT_EQ(::symlink(own.c_str(), folder.c_str()), 0) << c.what;
        } else {
            ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0) << c.what;
            ASSERT_EQ(::chmod(folder.c_str(), c.mode), 0) << c.what;
            if (c.foreignOwner) {
                ASSERT_EQ(::chown(folder.c_str(), 65534, 65534), 0) << c.what;
            }
        }
        const std::string before = LogText();
        EXPECT_EQ(Recognise(report), report) << c.what;
        EXPECT_NE(LogText().substr(before.size()).find("Error closing Ini-file ! " + report), std::string::npos)
            << c.what;
        EXPECT_FALSE(core::FileExists(m_paths.convertedFile)) << c.what;
        std::filesystem::remove_all(folder);
    }
}

TEST(RecognitionPathsTest, ConvertedFileGoesToAPrivateFolderInTheTemporaryFolderWhateverTheWorkFolder) {
    testing::TempDir dir;
    shell::Settings settings(dir.Path());
    settings.Paths().SetBaseDirectory(dir / "data");
    const char* tmp = std::getenv("TMPDIR");
    const std::string saved = tmp == nullptr ? "" : tmp;
    ::setenv("TMPDIR", (dir / "tmp").c_str(), 1);
    const std::string privateFolder = "pelgo-" + std::to_string(::geteuid());
    settings.SetFilePath(shell::Key::WorkDir, dir / "work"); // may be shared by every user of the workstation
    for (const bool useWorkDir : {true, false}) {
        settings.SetBool(shell::Key::UseWorkDir, useWorkDir);
        EXPECT_EQ(RecognitionPathsOf(settings).rules, dir / "data/cfg_conv");
        EXPECT_EQ(RecognitionPathsOf(settings).convertedFile, dir / "tmp/" + privateFolder + "/pelgotmp.ini");
    }
    if (tmp == nullptr) {
        ::unsetenv("TMPDIR");
    } else {
        ::setenv("TMPDIR", saved.c_str(), 1);
    }
}

} // namespace
} // namespace pelgo::archive
