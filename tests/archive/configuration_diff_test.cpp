// The changes between a computer's archive and its collector file: none right after the archive update loaded
// the file, and the values added, removed and changed after the file was edited.
#include "archive/configuration_diff.h"

#include <gtest/gtest.h>

#include "archive/aida_conversion.h"
#include "archive/archive_update.h"
#include "archive/computer_journal.h"
#include "collector_file_generator.h"
#include "core/cp1251.h"
#include "core/file.h"
#include "core/kel_ini_file.h"
#include "support/scripted_dialog.h"
#include "support/temp_dir.h"

namespace pelgo::archive {
namespace {

class ConfigurationDiffTest : public ::testing::Test {
protected:
    ConfigurationDiffTest() {
        clock.Set({2026, 12, 10, 9, 30, 0});
        core::CreateDirectories(dir / "files");
        platform::DbfTable::Create(dir / "device.dbf", platform::kDeviceTableFields, clock);
        device.emplace(platform::DbfTable::Open(dir / "device.dbf", platform::DbfOpenMode::Shared, clock));
        device->SetIndex("MAC_ADR");
        tree.AddChild(nullptr, -1, "Unplaced", 1);
    }

    // Loads every file of the folder, replacing what the archive holds.
    void Load(bool configChanges) {
        UpdateOptions options;
        options.placeNewComputers = false;
        options.onlyNew = false;
        options.configChanges = configChanges;
        ArchiveUpdate(UpdateContext{tree, identity, *device, dir / "device.dbf", log, dialog, progress, "IVANOV",
                                    NamingRule{"PC"}, PlacementRule{}, addresses, motherboards,
                                    RecognitionPaths{dir / "cfg_conv", dir / "pelgotmp.ini"}, conversion, [](bool) {},
                                    [this] { return JournalStamp(clock); },
                                    [](const std::string&, const std::string&) {}, [] {}, [] {}})
            .StartUpdate({dir / "files"}, options, nullptr, dir / "Update.log");
    }
    std::vector<ValueChange> Changes(const std::string& address, const std::string& name) {
        const core::TKelIniFile file(dir / ("files/" + name), true);
        return CompareConfiguration(ReadArchiveRecords(*device, address), file);
    }
    // "+", "-" or "~", section, key, old and new value, joined by "|", UTF-8.
    static std::vector<std::string> Lines(const std::vector<ValueChange>& changes) {
        std::vector<std::string> lines;
        for (const ValueChange& change : changes) {
            const char* mark = change.kind == ValueChange::Kind::Added     ? "+"
                               : change.kind == ValueChange::Kind::Removed ? "-"
                                                                           : "~";
            lines.push_back(core::Cp1251ToUtf8(std::string(mark) + "|" + change.section + "|" + change.key + "|" +
                                               change.oldValue + "|" + change.newValue));
        }
        return lines;
    }
    // Whether some computer has a record of the group whose name begins with `name`.
    bool Archived(const std::string& group, const std::string& name) {
        bool found = false;
        device->Walk([&](const platform::DbfRecord& record) {
            found = found || (record.values[1] == group && record.values[2].starts_with(name));
        });
        return found;
    }

    testing::TempDir dir;
    core::Clock clock;
    core::WorkLog log{dir / "pelgo.log", clock};
    std::optional<platform::DbfTable> device;
    structure::TreeModel tree{1};
    structure::NodeIdentity identity{tree, clock};
    testing::ScriptedDialog dialog;
    testing::RecordingProgress progress;
    // The vendors of the generator's adapters, so that the update writes its vendor records.
    AddressList addresses{{"000AEB TP-LINK", "000EA6 Marvell", "001346 D-Link", "00166F Intel", "0019D1 Intel",
                           "001B21 Intel", "001D60 Atheros", "0050BA D-Link", "00904B Gemtek", "00E04C Realtek"}};
    MotherboardIdentifier motherboards{
        MotherboardTableFiles{PELGO_REFERENCE_DATA "/awrdbios", PELGO_REFERENCE_DATA "/amibios",
                              PELGO_REFERENCE_DATA "/chipsets", PELGO_REFERENCE_DATA "/IntelID",
                              PELGO_REFERENCE_DATA "/winbios"},
        log};
    AidaConversion conversion;
};

TEST_F(ConfigurationDiffTest, AFileJustLoadedShowsNoChange) {
    const std::vector<bench::GeneratedFile> files = bench::WriteCollectorFiles(dir / "files", 24, 7, 8 * 1024);
    // What the generator leaves out: a key repeated, blanks and control characters, values longer than the
    // table keeps, sections never loaded, a section name in other letter case.
    const std::string longValue(300, 'v');
    const std::string longKey(80, 'k');
    testing::WriteBytes(dir / "files/edge.ini",
                        "[info]\r\nMAC_Addr=00AA00000001\r\nEmpty=\r\n Padded = value  \r\nTabbed=a\tb\r\n" + longKey +
                            "=x\r\n[Computer]\r\nMemory_in_Mb=512\r\nBIOS=" +
                            "Award Modular BIOS v6.00PG 05/20/2004-I865PE-6A79AA0EC-00\r\n[Data]\r\nX=1\r\n"
                            "[InventoryData]\r\nInventoryNumber=N1\r\n[Windows_Soft]\r\nSoft_1=Office\r\n"
                            "Soft_1=Office\r\nSoft_2=" +
                            longValue + "\r\n[Current_Config]\r\nDevice_1=Display NVIDIA\r\n[Signature]\r\n0=BAD\r\n");
    for (const bool configChanges : {false, true}) {
        SCOPED_TRACE(configChanges);
        Load(configChanges);
        // The fixture reaches every record the update makes up by itself.
        ASSERT_TRUE(Archived("Computer", "MotherBoard"));
        ASSERT_TRUE(Archived("Info", "MAC_Hint2"));
        ASSERT_TRUE(Archived("Current_Config", "Device_"));
        ASSERT_EQ(Archived("Config_changes", "Change_"), configChanges);
        for (const bench::GeneratedFile& file : files) {
            EXPECT_EQ(Lines(Changes(file.address, file.name)), std::vector<std::string>{}) << file.name;
        }
        EXPECT_EQ(Lines(Changes("00AA00000001", "edge.ini")), std::vector<std::string>{});
    }
}

TEST_F(ConfigurationDiffTest, EditsShowAsAddedRemovedAndChangedValues) {
    const std::string head = "[Info]\r\nMAC_Addr=0050BA000001\r\n";
    testing::WriteBytes(dir / "files/pc.ini",
                        head + "Computer_Name=PC1\r\n[Windows_Soft]\r\nSoft_1=Office\r\nSoft_2=Excel\r\n"
                               "[Sharing]\r\nDocs=C:\\D\r\nOld=C:\\O\r\nA=1\r\nB=2\r\n[Attention]\r\nW=warning\r\n");
    Load(false);
    testing::WriteBytes(dir / "files/pc.ini",
                        head + "Computer_Name=PC2\r\n[Windows_Soft]\r\nSoft_1=Excel\r\nSoft_2=Word\r\n"
                               "[Sharing]\r\nB=2\r\nA=1\r\nDocs=C:\\E\r\nNew=C:\\O\r\n[Data]\r\nX=1\r\n"
                               "[History]\r\nH=event\r\n");
    const std::vector<ValueChange> changes = Changes("0050BA000001", "pc.ini");
    EXPECT_EQ(Lines(changes), (std::vector<std::string>{
                                  "~|Info|Computer_Name|PC1|PC2",
                                  // a list renumbered: only the values count
                                  "+|Windows_Soft|Soft_2||Word",
                                  "-|Windows_Soft|Soft_1|Office|",
                                  // elsewhere a value under another key is another value
                                  "~|Sharing|Docs|C:\\D|C:\\E",
                                  "+|Sharing|New||C:\\O",
                                  "-|Sharing|Old|C:\\O|",
                                  "+|History|H||event",
                                  "-|Attention|W|warning|",
                              }));
    EXPECT_EQ(core::Cp1251ToUtf8(ChangesTree(changes).Print()), "3 Info\n"
                                                                "\t17 Computer_Name : PC1 -> PC2\n"
                                                                "3 Windows_Soft\n"
                                                                "\t46 Soft_2 : Word\n"
                                                                "\t47 Soft_1 : Office\n"
                                                                "3 Sharing\n"
                                                                "\t17 Docs : C:\\D -> C:\\E\n"
                                                                "\t46 New : C:\\O\n"
                                                                "\t47 Old : C:\\O\n"
                                                                "3 History\n"
                                                                "\t46 H : event\n"
                                                                "3 Attention\n"
                                                                "\t47 W : warning\n");
}

} // namespace
} // namespace pelgo::archive
