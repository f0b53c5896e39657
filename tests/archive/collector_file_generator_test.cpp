// The generated collector files are what the archive expects: own format, signed (wrongly on a few),
// decodable BIOS strings, Russian names, every section, the requested size, the same files for a seed.
#include "collector_file_generator.h"

#include <gtest/gtest.h>
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

    const auto files = WriteCollectorFiles(dir / "collect", 60, 3, 6000);
    std::set<std::string> addresses;
    int badSignatures = 0;
    int withChanges = 0;
    for (const GeneratedFile& generated : files) {
        core::TKelIniFile file(dir / ("collect/" + generated.name), true);
        EXPECT_TRUE(archive::IsOwnFormat(file));
        EXPECT_EQ(archive::SignatureIsValid(file), generated.signatureValid) << generated.name;
        badSignatures += generated.signatureValid ? 0 : 1;
        const std::string address = file.ReadString("Info", "MAC_Addr", "");
        EXPECT_EQ(address, generated.address);
        EXPECT_EQ(address.size(), 12u);
        addresses.insert(address);
        EXPECT_NE(motherboards.Motherboard(file.ReadString("Computer", "BIOS", "")), "") << generated.name;
        for (const char* key : {"Param_2", "Param_3", "Param_4", "Current_User_Name"}) {
            EXPECT_TRUE(HasCyrillic(file.ReadString("Info", key, ""))) << key;
        }
        core::StringList sections;
        file.ReadSections(sections);
        const core::StringList always = {
            "Info",       "Computer",     "Current_Config",  "Windows_Devices", "Windows_StartUp",
            "S.M.A.R.T.", "Windows_Soft", "Windows_Updates", "Signature"};
        for (const std::string& section : always) {
            EXPECT_NE(std::find(sections.begin(), sections.end(), section), sections.end()) << section;
        }
        const bool changes = std::find(sections.begin(), sections.end(), "Config_changes") != sections.end();
        EXPECT_EQ(changes, generated.hasConfigChanges);
        withChanges += changes ? 1 : 0;
    }
    EXPECT_EQ(addresses.size(), files.size());
    EXPECT_GT(badSignatures, 0);
    EXPECT_LT(badSignatures, 15);
    EXPECT_GT(withChanges, 0);
    EXPECT_LT(withChanges, 40);
    EXPECT_EQ(testing::ReadBytes(dir / "pelgo.log"), "");
}

} // namespace
} // namespace pelgo::bench
