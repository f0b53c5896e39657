// The current-configuration page's view of a collector file, the order in which a computer's file is looked
// for, and the edits of the file: the amnesty, files that are no collector files, two writers at once.
#include "archive/current_config.h"

#include <ctime>
#include <functional>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utime.h>

#include "archive/signature.h"
#include "core/cp1251.h"
#include "core/errors.h"
#include "core/file.h"
#include "core/kel_ini_file.h"
#include "support/temp_dir.h"

namespace pelgo::archive {
namespace {

using testing::ReadBytes;
using testing::WriteBytes;

class CurrentConfigTest : public ::testing::Test {
protected:
    // Gives the file a modification time of 2025-01-02 03:04:05 local time.
    static void SetModified(const std::string& path) {
        std::tm local{};
        local.tm_year = 125;
        local.tm_mon = 0;
        local.tm_mday = 2;
        local.tm_hour = 3;
        local.tm_min = 4;
        local.tm_sec = 5;
        local.tm_isdst = -1;
        const utimbuf times{std::mktime(&local), std::mktime(&local)};
        ASSERT_EQ(::utime(path.c_str(), &times), 0);
    }
    static std::string FileInfo(const std::string& path, const std::string& date, long long size) {
        return "30 < FileInfo >\n\t0 File path : " + path + "\n\t0 File date : " + date +
               "\n\t0 File size : " + std::to_string(size) + "\n";
    }

    testing::TempDir dir;
    const core::DateFormats formats{"yyyy-MM-dd", "HH.mm.ss"};
};

TEST_F(CurrentConfigTest, TheFileIsShownSectionBySectionWithItsSignatureChecked) {
    const std::string body = "[Info]\r\nMAC_Addr=0050BA1C2D3E\r\nComputer_Name=PC15\r\n[Windows_Soft]\r\n"
                             "Soft_1=Office\r\nSoft_1=Again\r\n[Empty]\r\n";
    WriteBytes(dir / "body.ini", body);
    const std::string signature = [&] {
        core::TKelIniFile file(dir / "body.ini", true);
        return ComputeSignature(file);
    }();
    const std::string wrong = std::string(signature).replace(0, 1, signature[0] == 'A' ? "B" : "A");
    struct Case {
        std::string signature;
        std::string checkLines;
    };
    const Case cases[] = {
        {signature, "46 Signature\n\t0 0 : " + signature + "\n\t46 Signature : Ok\n"},
        {wrong, "47 Signature\n\t0 0 : " + wrong + "\n\t47 Signature : BAD !\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.signature);
        const std::string bytes = body + "[Signature]\r\n0=" + c.signature + "\r\n";
        WriteBytes(dir / "pc.ini", bytes);
        SetModified(dir / "pc.ini");
        ViewTree tree;
        EXPECT_TRUE(ShowCfgFile(dir / "pc.ini", formats, tree));
        EXPECT_EQ(tree.Print(), FileInfo(dir / "pc.ini", "2025-01-02 03.04.05", static_cast<long long>(bytes.size())) +
                                    "3 Info\n\t0 MAC_Addr : 0050BA1C2D3E\n\t0 Computer_Name : PC15\n"
                                    "2 Windows_Soft\n\t0 Soft_1 : Office\n\t0 Soft_1 : Again\n"
                                    "3 Empty\n" +
                                    c.checkLines);
    }
}

TEST_F(CurrentConfigTest, AFileWithoutSectionsShowsOnlyItsFileInformation) {
    const std::string bytes = "; a comment\r\nkey=before any section\r\n";
    WriteBytes(dir / "plain.ini", bytes);
    SetModified(dir / "plain.ini");
    ViewTree tree;
    EXPECT_FALSE(ShowCfgFile(dir / "plain.ini", formats, tree));
    EXPECT_EQ(tree.Print(), FileInfo(dir / "plain.ini", "2025-01-02 03.04.05", static_cast<long long>(bytes.size())));

    ViewTree missing;
    EXPECT_FALSE(ShowCfgFile(dir / "gone.ini", formats, missing));
    EXPECT_EQ(missing.Print(), FileInfo(dir / "gone.ini", "", -1));
}

TEST_F(CurrentConfigTest, AComputersFileIsFoundByTheNameTheArchiveRemembers) {
    core::Clock clock;
    platform::DbfTable::Create(dir / "device.dbf", platform::kDeviceTableFields, clock);
    platform::DbfTable device = platform::DbfTable::Open(dir / "device.dbf", platform::DbfOpenMode::Shared, clock);
    device.SetIndex("MAC_ADR");
    device.Append({"0050BA1C2D3E", "File_Name", "File_Name", "C:/old/place/pc15.ini"});
    core::CreateDirectories(dir / "files");
    WriteBytes(dir / "files/pc15.ini", "[Info]\r\n");
    struct Case {
        platform::DbfTable* device;
        FileLookup lookup;
        std::string address;
        std::string found;
    };
    const Case cases[] = {
        {&device, FileLookup::CurrentConfiguration, "0050BA1C2D3E", dir / "files/pc15.ini"},
        {&device, FileLookup::FileCommands, "0050BA1C2D3E", dir / "files/pc15.ini"},
        {&device, FileLookup::FileCommands, "0050BA1C2D3F", ""},
        {nullptr, FileLookup::CurrentConfiguration, "0050BA1C2D3E", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.address + (c.device == nullptr ? " without archive" : ""));
        EXPECT_EQ(FindComputerFile(c.device, dir / "files", c.lookup, c.address), c.found);
    }
}

TEST_F(CurrentConfigTest, AmnestyErasesTheChangeSectionsAndKeepsTheRestAsItWas) {
    const std::string kept = "[Info]\r\nMAC_Addr=0050BA1C2D3E\r\n\r\n[Sharing]\r\nDocs=C:\\DOCS\r\n\r\n"
                             "[Signature]\r\n0=ABCD\r\n\r\n";
    WriteBytes(dir / "pc.ini", "[Info]\r\nMAC_Addr=0050BA1C2D3E\r\n\r\n[config_changes]\r\nChange_1=new disk\r\n\r\n"
                               "[Sharing]\r\nDocs=C:\\DOCS\r\n\r\n[Remote_Access]\r\nModem_1=dial-up\r\n\r\n"
                               "[Post_Accounts]\r\nMail_1=ivanov\r\n\r\n[Signature]\r\n0=ABCD\r\n\r\n");
    EXPECT_EQ(AmnestyFile(dir / "pc.ini"), "0050BA1C2D3E");
    EXPECT_EQ(ReadBytes(dir / "pc.ini"), kept);

    // Nothing to erase: the file is not touched at all. Without an address the file's name stands for it.
    WriteBytes(dir / "noaddress", "[Sharing]\r\nDocs=C:\\DOCS\r\n\r\n");
    const auto before = core::StampOf(dir / "noaddress");
    EXPECT_EQ(AmnestyFile(dir / "noaddress"), "noaddress");
    EXPECT_EQ(core::StampOf(dir / "noaddress"), before);
}

TEST_F(CurrentConfigTest, AFileAnotherWriterHoldsIsLeftAsItWas) {
    const std::string bytes = "[Info]\r\nMAC_Addr=0050BA1C2D3E\r\n\r\n[Remote_Access]\r\nModem_1=dial-up\r\n\r\n";
    WriteBytes(dir / "pc.ini", bytes);
    const core::TKelIniFile holder(dir / "pc.ini", false);
    try {
        AmnestyFile(dir / "pc.ini");
        ADD_FAILURE() << "the amnesty wrote a file another writer holds";
    } catch (const core::CannotOpenFile& error) {
        EXPECT_EQ(std::string(error.what()), "Cannot open file " + dir / "pc.ini");
    }
    EXPECT_EQ(ReadBytes(dir / "pc.ini"), bytes);
}

TEST_F(CurrentConfigTest, AFileWithoutSectionsIsNoCollectorFileAndIsLeftAsItWas) {
    struct Case {
        const char* what;
        std::string bytes;
    };
    const Case cases[] = {
        {"LF line ends", "[Info]\nMAC_Addr=0050BA1C2D3E\n\n[Sharing]\nDocs=C:\\DOCS\n"},
        {"plain text", "Dear admin,\r\nthe printer=broken\r\n"},
        {"binary", std::string("MZ\x90\0\x03\0\0\0\x04\0\0\0\xff\xff\0\0", 16)},
        {"empty", ""},
    };
    const std::string path = dir / "pc.ini";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WriteBytes(path, c.bytes);
        bool edited = false;
        const auto inventory = [&edited](core::TKelIniFile& file) {
            edited = true;
            file.WriteString("Info", "InventoryNumber", "PC-1");
        };
        for (const std::function<void()>& command : std::vector<std::function<void()>>{
                 [&] { EditCollectorFile(path, inventory); }, [&] { AmnestyFile(path); }}) {
            try {
                command();
                ADD_FAILURE() << "a file without sections was taken for a collector file";
            } catch (const core::Error& error) {
                EXPECT_EQ(core::Cp1251ToUtf8(error.what()),
                          "Файл " + path + " не является файлом конфигурации; он оставлен без изменений");
            }
            EXPECT_FALSE(edited);
            EXPECT_EQ(ReadBytes(path), c.bytes);
        }
    }
}

TEST_F(CurrentConfigTest, TwoProcessesEditingOneFileLoseNoEditOfEachOther) {
    // Each edit reads the count and writes it one up: an edit made under a lock on a file that another writer
    // has just replaced reads and writes beside that writer and loses one of the two.
    const std::string path = dir / "pc.ini";
    WriteBytes(path, "[Info]\r\nMAC_Addr=0050BA1C2D3E\r\n\r\n[Count]\r\nEdits=0\r\n\r\n");
    constexpr int kEdits = 100;
    const auto edit = [&path] {
        for (int done = 0; done < kEdits;) {
            try {
                EditCollectorFile(path, [](core::TKelIniFile& file) {
                    const int count = std::stoi(file.ReadString("Count", "Edits", ""));
                    file.WriteString("Count", "Edits", std::to_string(count + 1));
                });
                ++done;
            } catch (const core::CannotOpenFile&) {
                // The other process holds the file: try again.
            }
        }
    };
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        edit();
        ::_exit(0);
    }
    edit();
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(core::TKelIniFile(path, true).ReadString("Count", "Edits", ""), std::to_string(2 * kEdits));
}

} // namespace
} // namespace pelgo::archive
