// Own-format recognition, short names and the look-up orders of a computer's file.
#include "archive/collector_file.h"

#include <filesystem>
#include <gtest/gtest.h>

#include "core/kel_ini_file.h"
#include "support/temp_dir.h"

namespace pelgo::archive {
namespace {

TEST(CollectorFileTest, OwnFormat) {
    const std::pair<const char*, bool> cases[] = {
        {"[Info]\r\nParam_0=C:\\SCANLET\\scanlet.exe /S\r\n", true},
        {"[Info]\r\nParam_0=C:\\SCANLET\\SCANLET.EXE /S\r\nMAC_Addr=0050BA1C2D3E\r\n", false},
        {"[Info]\r\nParam_0=C:\\SCANLET\\SCANLET.EXE\r\nMAC_Addr=0050BA1C2D3E\r\n[Computer]\r\nMemory_in_Mb=512\r\n",
         true},
        {"[Info]\r\nMAC_Addr=0050BA1C2D3E\r\n[Computer]\r\nMemory_in_Mb=\r\n", false},
        {"[Computer]\r\nMemory_in_Mb=512\r\n", false},
    };
    testing::TempDir dir;
    for (const auto& [bytes, own] : cases) {
        testing::WriteBytes(dir / "file.ini", bytes);
        core::TKelIniFile file(dir / "file.ini", true);
        EXPECT_EQ(IsOwnFormat(file), own) << bytes;
    }
}

TEST(CollectorFileTest, ConvertToDOS) {
    const std::pair<const char*, const char*> cases[] = {
        {"0050BA1C2D3E", "050BA1C2.D3E"},
        {"1050BA1C2D3E", "1050BA1C.2D3"},
        {"000050BA1C2D3E", "050BA1C2.D3E"},
        {"0050BA1C2D3", "0050BA1C.2D3"},
        {"PC15", "PC15."},
        {"0050BA1C2D3E.ini", "50BA1C2D.3E."},
    };
    for (const auto& [name, shortName] : cases) {
        EXPECT_EQ(ConvertToDOS(name), shortName) << name;
    }
}

TEST(CollectorFileTest, LookupOrders) {
    testing::TempDir dir;
    struct Case {
        FileLookup lookup;
        std::vector<std::string> present;
        const char* found;
    };
    const Case cases[] = {
        {FileLookup::FileCommands, {"0050BA1C2D3E.INI", "050BA1C2.D3E"}, "0050BA1C2D3E.INI"},
        {FileLookup::FileCommands, {"0050BA1C2D3E", "50BA1C2D.3E."}, "50BA1C2D.3E."},
        {FileLookup::FileCommands, {"0050BA1C2D3E"}, ""},
        {FileLookup::CurrentConfiguration, {"0050BA1C2D3E", "050BA1C2.D3E", "0050BA1C2D3E.INI"}, "0050BA1C2D3E"},
        {FileLookup::CurrentConfiguration, {"050BA1C2.D3E", "0050BA1C2D3E.INI"}, "050BA1C2.D3E"},
        {FileLookup::CurrentConfiguration, {"0050BA1C2D3E.INI"}, "0050BA1C2D3E.INI"},
        {FileLookup::SingleUpdate, {"0050BA1C2D3E", "50BA1C2D.3E."}, ""},
        {FileLookup::SingleUpdate, {"0050BA1C2D3E.INI"}, "0050BA1C2D3E.INI"},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        const std::string folder = dir / std::to_string(i);
        std::filesystem::create_directory(folder);
        for (const std::string& name : c.present) {
            testing::WriteBytes(folder + "/" + name, "");
        }
        const std::string expected = *c.found == '\0' ? "" : folder + "/" + c.found;
        EXPECT_EQ(FindCollectorFile(folder, c.lookup, "0050BA1C2D3E", "/old/place/0050BA1C2D3E.INI"), expected)
            << "case " << i;
    }
}

TEST(CollectorFileTest, SectionLinesKeepRepeatedKeys) {
    testing::TempDir dir;
    testing::WriteBytes(dir / "cfg_conv", "[other]\r\n[Info]A=x\r\n[AIDA32]\r\n[Info]A=[S]<a>\r\nB=[S]<b>\r\n"
                                          "[Info]A=[S]<c>\r\n[last]\r\nz=1\r\n");
    const core::TKelIniFile rules(dir / "cfg_conv", true);
    EXPECT_EQ(SectionLines(rules, "aida32"), (core::StringList{"[Info]A=[S]<a>", "B=[S]<b>", "[Info]A=[S]<c>"}));
    EXPECT_TRUE(SectionLines(rules, "missing").empty());
}

} // namespace
} // namespace pelgo::archive
