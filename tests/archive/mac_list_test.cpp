// The adapter-vendor list made from the IEEE registry's CSV.
#include "archive/mac_list.h"

#include <gtest/gtest.h>

#include "core/file.h"

namespace pelgo::archive {
namespace {

TEST(MacListTest, OneSortedLinePerPrefix) {
    const std::string csv = "Registry,Assignment,Organization Name,Organization Address\n"
                            "MA-L,F4E578,\"LLC \"\"TransService\"\", Moscow\",\"Ulitsa 3\nMoscow RU\"\r\n"
                            "MA-L,00d0ef,IGT,9295 PROTOTYPE DRIVE RENO NV US 89511 \n"
                            "MA-L,080030,NETWORK RESEARCH CORPORATION,OXNARD\n"
                            "MA-L,080030,CERN,GENEVE\n"
                            "MA-L,A0B1C2,\"Shenzhen Example Co.,\u00a0Ltd\t\",\"\"\n"
                            "MA-L,5C5C5C,Xiamen \u4e2d\u6587 Ltd,\n"
                            "MA-L,12345,Too short,\n";
    EXPECT_EQ(MacListFromOuiCsv(csv), "00D0EF IGT\r\n"
                                      "080030 NETWORK RESEARCH CORPORATION\r\n"
                                      "5C5C5C Xiamen ?? Ltd\r\n"
                                      "A0B1C2 Shenzhen Example Co.,\xA0Ltd\r\n"
                                      "F4E578 LLC \"TransService\", Moscow\r\n");
}

TEST(MacListTest, TheInstalledRegistryGivesAFullList) {
    if (!core::FileExists(kOuiRegistryFile)) {
        GTEST_SKIP() << kOuiRegistryFile << " is missing: apt-get install ieee-data";
    }
    const std::string list = MacListFromOuiCsv(core::ReadFileBytes(kOuiRegistryFile));
    std::size_t lines = 0;
    std::string previous;
    for (std::size_t start = 0; start < list.size();) {
        const std::size_t end = list.find("\r\n", start);
        ASSERT_NE(end, std::string::npos);
        const std::string line = list.substr(start, end - start);
        ASSERT_GT(line.size(), 7u) << line;
        EXPECT_EQ(line[6], ' ') << line;
        EXPECT_EQ(line.find_first_not_of("0123456789ABCDEF"), 6u) << line;
        EXPECT_LT(previous, line.substr(0, 6));
        previous = line.substr(0, 6);
        ++lines;
        start = end + 2;
    }
    EXPECT_GT(lines, 10000u);
}

} // namespace
} // namespace pelgo::archive
