// The generated collector files are what the archive expects: own format, signed (wrongly on a few),
// decodable BIOS strings, Russian names, every section (the optional ones on some files only), the requested
// size, the same files for a seed.
#include "collector_file_generator.h"

#include <gtest/gtest.h>
#include <map>
#include <set>

#include "archive/collector_file.h"
#include "archive/motherboard.h"
#include "archive/signature.h"
#include "core/kel_ini_file.h"
#include "core/work_log.h"
#include "support/temp_dir.h"

namespace pelgo::bench {
namespace {

bool HasCyrillic(const std::string& text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0xC0) {
            return true;
        }
    }
    return false;
}

TEST(CollectorFileGeneratorTest, SizesFollowTheKnob) {
    CollectorFileGenerator generator(7);
    const std::pair<std::size_t, std::size_t> cases[] = {
        {1000, CollectorFileGenerator::kSmallest},
        {40 * 1024, 40 * 1024},
        {100 * 1024, 100 * 1024},
        {500 * 1024, CollectorFileGenerator::kLargest},
    };
    for (const auto& [asked, expected] : cases) {
        const std::size_t size = generator.Next(asked).bytes.size();
        EXPECT_GE(size + 100, expected) << asked;
        EXPECT_LE(size, expected + 200) << asked;
    }
}

TEST(CollectorFileGeneratorTest, SameSeedSameFiles) {
    CollectorFileGenerator first(42);
    CollectorFileGenerator second(42);
    CollectorFileGenerator other(43);
    for (int i = 0; i < 5; ++i) {
        const std::string bytes = first.Next(8000).bytes;
        EXPECT_EQ(second.Next(8000).bytes, bytes);
        EXPECT_NE(other.Next(8000).bytes, bytes);
    }
}

TEST(CollectorFileGeneratorTest, FilesAreWhatTheArchiveReads) {
    testing::TempDir dir;
    core::Clock clock;
    core::WorkLog log(dir / "pelgo.log", clock);
    const std::string data = PELGO_REFERENCE_DATA;
    archive::MotherboardIdentifier motherboards(
        {data + "/awrdbios", data + "/amibios", data + "/chipsets", data + "/IntelID", data + "/winbios"}, log);
    const core::StringList always = {
        "Info",       "Computer",     "Current_Config",  "Windows_Devices", "Windows_StartUp",
        "S.M.A.R.T.", "Windows_Soft", "Windows_Updates", "Signature"};
    const core::StringList sometimes = {"Additional",    "Sharing",       "Scanlet_Log",   "History",       "Attention",
                                        "Remote_Access", "Post_Accounts", "InventoryData", "Config_changes"};

    const auto files = WriteCollectorFiles(dir / "collect", 300, 3, CollectorFileGenerator::kSmallest);
    std::set<std::string> addresses;
    std::map<std::string, std::size_t> present;
    std::size_t badSignatures = 0;
    std::size_t withoutNet = 0;
    std::size_t secondAddresses = 0;
    for (const GeneratedFile& generated : files) {
        SCOPED_TRACE(generated.name);
        // The optional sections must still leave room for the updates that make up the size.
        EXPECT_LE(generated.bytes.size(), CollectorFileGenerator::kSmallest + 200);
        core::TKelIniFile file(dir / ("collect/" + generated.name), true);
        EXPECT_TRUE(archive::IsOwnFormat(file));
        EXPECT_EQ(archive::SignatureIsValid(file), generated.signatureValid);
        badSignatures += generated.signatureValid ? 0 : 1;
        const std::string address = file.ReadString("Info", "MAC_Addr", "");
        EXPECT_EQ(address, generated.address);
        EXPECT_EQ(address.size(), 12u);
        addresses.insert(address);
        EXPECT_NE(motherboards.Motherboard(file.ReadString("Computer", "BIOS", "")), "");
        for (const char* key : {"Param_2", "Param_3", "Param_4", "Current_User_Name"}) {
            EXPECT_TRUE(HasCyrillic(file.ReadString("Info", key, ""))) << key;
        }
        const std::string second = file.ReadString("Info", "MAC_Addr2", "");
        if (!second.empty()) {
            ++secondAddresses;
            EXPECT_EQ(second.size(), 12u);
            EXPECT_NE(second, address);
        }

        core::StringList sections;
        file.ReadSections(sections);
        const auto has = [&](const std::string& section) {
            return std::find(sections.begin(), sections.end(), section) != sections.end();
        };
        for (const std::string& section : always) {
            EXPECT_TRUE(has(section)) << section;
        }
        for (const std::string& section : sometimes) {
            present[section] += has(section) ? 1 : 0;
        }
        EXPECT_EQ(has("Config_changes"), generated.hasConfigChanges);
        // Pelgo writes the number into both places at once.
        EXPECT_EQ(file.ReadString("Info", "InventoryNumber", ""),
                  file.ReadString("InventoryData", "InventoryNumber", ""));
        EXPECT_EQ(has("InventoryData"), file.ReadString("Info", "InventoryNumber", "") != "");

        // The update numbers its "Net Unknown " record after the last key, so the keys must run without gaps.
        core::StringList keys;
        file.ReadSection("Current_Config", keys);
        bool netListed = false;
        for (std::size_t i = 0; i < keys.size(); ++i) {
            EXPECT_EQ(keys[i], "Device_" + std::to_string(i));
            netListed = netListed || file.ReadString("Current_Config", keys[i], "").find("Net ") != std::string::npos;
        }
        EXPECT_EQ(netListed, generated.netListed);
        withoutNet += netListed ? 0 : 1;
    }
    EXPECT_EQ(addresses.size(), files.size());
    EXPECT_GT(badSignatures, 0u);
    EXPECT_LT(badSignatures, files.size() / 4);
    for (const std::string& section : sometimes) {
        EXPECT_GT(present[section], 0u) << section;
        EXPECT_LT(present[section], files.size()) << section;
    }
    EXPECT_GT(withoutNet, 0u);
    EXPECT_LT(withoutNet, files.size());
    EXPECT_GT(secondAddresses, 0u);
    EXPECT_LT(secondAddresses, files.size());
    EXPECT_EQ(testing::ReadBytes(dir / "pelgo.log"), "");
}

} // namespace
} // namespace pelgo::bench
