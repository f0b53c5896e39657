// Motherboard identification: every branch of the five rules over small tables of our own, and the tables'
// loading.
#include "archive/motherboard.h"

#include <gtest/gtest.h>

#include "core/work_log.h"
#include "support/temp_dir.h"

namespace pelgo::archive {
namespace {

class MotherboardTest : public ::testing::Test {
protected:
    MotherboardTest() : m_log(m_dir / "pelgo.log", m_clock) {
        // "A1 alpha" sorts before "A1 Beta" only when letter case is ignored.
        Write("awrdbios", "A0 ASUSTeK Computer\r\nG0  Gigabyte \r\nA1 Beta\r\nA1 alpha\r\n");
        Write("amibios", "ABCDEF Test Boards\r\n1101-0 American Megatrends\r\n");
        Write("chipsets", "#AMI# Identifying old part\r\n2A69K Intel 440BX\r\n6A79A Intel 865\r\n"
                          "#AMI# Identifying chipsets\r\nI865PE Intel 865PE\r\nKT400 VIA KT400\r\n no keyword\r\n");
        Write("IntelID", "RL86510A.86A Intel D865PERL\r\nBF86510A.86A Intel D865GBF\r\n");
        Write("winbios", "INNOTEK GMBH VIRTUALBOX=VirtualBox\r\nCustom Bios 1.0=Board X\r\n");
    }

    void Write(const std::string& name, const std::string& bytes) { testing::WriteBytes(m_dir / name, bytes); }
    MotherboardTableFiles Files(const std::string& chipsets = "chipsets") const {
        return {m_dir / "awrdbios", m_dir / "amibios", m_dir / chipsets, m_dir / "IntelID", m_dir / "winbios"};
    }

    testing::TempDir m_dir;
    core::Clock m_clock;
    core::WorkLog m_log;
};

TEST_F(MotherboardTest, Rules) {
    const std::pair<const char*, const char*> cases[] = {
        // Award: manufacturer and chipset known, and nothing more.
        {"Award Modular BIOS v6.00PG 05/20/2004-I865PE-6A79AA0EC-00", "ASUSTeK Computer Intel 865"},
        {"Phoenix - AwardBIOS v6.00PG 05/20/2004-I865PE-6A79AG0EC-00", "Gigabyte Intel 865"},
        {"award bios 2004-2A69KA1BC-00", "alpha Intel 440BX"},
        // Unknown chipset: its code and the BIOS's own chipset name when the second dash is near.
        {"Award Modular BIOS v6.00PG 05/20/2004-I865PE-6A7XXA0EC-00", "ASUSTeK Computer 6A7XX I865PE"},
        {"Award BIOS 2004-ABCDEFGHIJKLM-6A7XXA0EC-00", "ASUSTeK Computer 6A7XX"},
        // No identifier or an unknown manufacturer.
        {"AWARD BIOS 1.0-I845-<P4B>-00", "ASUS I845"},
        {"AWARD BIOS 1.0-I845-P4B-00", "Unknown I845"},
        {"Award BIOS 2004-I865PE-6A79AZZEC-00", "Unknown I865PE"},
        {"Award BIOS 2004-ABCDEFGHIJKLM-00", ""},
        {"Phoenix BIOS 4.0 Release 6.0-I865PE-6A79AG0EC-00", ""},
        // AMI: customer with the model text before the dash, then the chipset keyword.
        {"AMIBIOS (C)2003 BOARD P4P800 DELUXE 62-0100-ABCDEF-00101111-I865PE-X",
         "Test Boards P4P800 DELUXE  Intel 865PE"},
        {"AMIBIOS 62-0100-ABCDEF-I865PE", "Test Boards Intel 865PE"},
        {"AMIBIOS 51-0102-1101-00111111-101094", "American Megatrends"},
        {"AMIBIOS 62-0100-ZZZZZZ-kt400", "VIA KT400"},
        {"AMIBIOS 62-KT400", ""},
        {"AMIBIOS 1962-0100-ABCDEF-KT400", ""},
        {"AMI 62-0100-ABCDEF-KT400", ""},
        // COMPAQ and ASUS win over everything; their positions add up when both occur.
        {"  asus p5k acpi bios revision 1019 ", "ASUS P5K ACPI BIOS REVISION 1019"},
        {"Award BIOS 2004-I865PE-6A79AA0EC-00 ASUS P4P800", "ASUS P4P800"},
        {"COMPAQ DESKPRO EN", "COMPAQ DESKPRO EN"},
        {"COMPAQ ASUS XY", "SUS XY"},
        // Intel: 12 characters, else 9, else unknown.
        {"Intel $IBIOSI$RL86510A.86A.0085.P21", "RL86510A.86A Intel D865PERL"},
        {"$IBIOSI$BF86510A.99Z.0001", "BF86510A.99Z Compatible with BF86510A.86A Intel D865GBF"},
        {"$IBIOSI$xx12345a.86a", "Unknown Intel Motherboard XX12345A.86A"},
        // Exact strings, compared upper-cased.
        {"innotek GmbH VirtualBox", "VirtualBox"},
        {"Custom Bios 1.0", "Board X"},
        {"CUSTOM BIOS", ""},
        {"", ""},
    };
    MotherboardIdentifier identifier(Files(), m_log);
    for (const auto& [bios, board] : cases) {
        EXPECT_EQ(identifier.Motherboard(bios), board) << bios;
    }
}

TEST_F(MotherboardTest, AnIntelIdentifierShorterThanTwelveCharactersMatchesNoLine) {
    const std::pair<const char*, const char*> cases[] = {
        {"$IBIOSI$", "Unknown Intel Motherboard "},
        {"Intel BIOS $IBIOSI$ ", "Unknown Intel Motherboard "},
        {"$IBIOSI$RL", "Unknown Intel Motherboard RL"},
        {"$IBIOSI$RL86510A.", "Unknown Intel Motherboard RL86510A."},
        {"$IBIOSI$RL86510A.86", "Unknown Intel Motherboard RL86510A.86"},
        {"$IBIOSI$BF86510A.99", "Unknown Intel Motherboard BF86510A.99"},
        // From twelve characters on the table decides.
        {"$IBIOSI$RL86510A.86A", "RL86510A.86A Intel D865PERL"},
        {"$IBIOSI$BF86510A.99Z", "BF86510A.99Z Compatible with BF86510A.86A Intel D865GBF"},
    };
    MotherboardIdentifier identifier(Files(), m_log);
    for (const auto& [bios, board] : cases) {
        EXPECT_EQ(identifier.Motherboard(bios), board) << bios;
    }
}

TEST_F(MotherboardTest, ChipsetsWithoutTheMarkerAreAllKeywords) {
    Write("keywords", "6A79A Intel 865\r\nI865PE Intel 865PE\r\n");
    MotherboardIdentifier identifier(Files("keywords"), m_log);
    EXPECT_EQ(identifier.Motherboard("Award BIOS 2004-I865PE-6A79AA0EC-00"), "ASUSTeK Computer 6A79A I865PE");
    EXPECT_EQ(identifier.Motherboard("AMIBIOS 62-0100-ZZZZZZ-6A79A"), "Intel 865");
}

TEST_F(MotherboardTest, MissingTablesAreLoggedOnce) {
    MotherboardIdentifier identifier({m_dir / "a", m_dir / "b", m_dir / "c", m_dir / "d", m_dir / "e"}, m_log);
    EXPECT_EQ(identifier.Motherboard("Award BIOS 2004-I865PE-6A79AA0EC-00"), "");
    EXPECT_EQ(identifier.Motherboard("$IBIOSI$RL86510A.86A"), "Unknown Intel Motherboard RL86510A.86A");
    const std::string log = testing::ReadBytes(m_dir / "pelgo.log");
    for (const char* name : {"a", "b", "c", "d", "e"}) {
        const std::string line = "File not found " + (m_dir / name) + "\r\n";
        const std::size_t first = log.find(line);
        EXPECT_NE(first, std::string::npos) << name;
        EXPECT_EQ(log.find(line, first + 1), std::string::npos) << name;
    }
}

} // namespace
} // namespace pelgo::archive
