// Address prefixes in the adapter-vendor list: the probing search of the hints and the plain scan of vendors.
#include "archive/address_list.h"

#include <cstdio>
#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace pelgo::archive {
namespace {

// 350 sorted lines "00xxxx Vendor n" with prefixes 000000, 000002, … (even numbers).
std::vector<std::string> SortedLines() {
    std::vector<std::string> lines;
    for (int i = 0; i < 350; ++i) {
        char prefix[8];
        std::snprintf(prefix, sizeof prefix, "%06X", i * 2);
        lines.push_back(std::string(prefix) + "  Vendor " + std::to_string(i) + "  ");
    }
    return lines;
}

TEST(AddressListTest, HintsAreFoundBetweenProbesAtProbesAndAfterTheLast) {
    const AddressList list(SortedLines());
    struct Case {
        const char* address;
        const char* hint;
    };
    const Case cases[] = {
        {"000000aabbcc", "000000  Vendor 0"},     // the first line, a probe
        {"0000c8aabbcc", "0000C8  Vendor 100"},   // a probe, found in lower case
        {"0000CAAABBCC", "0000CA  Vendor 101"},   // right after a probe
        {"0001FE000000", "0001FE  Vendor 255"},   // between probes
        {"0002B2000000", "0002B2  Vendor 345"},   // after the last probe
        {"000001000000", ""},                     // an odd prefix is not in the list
        {"FFFFFF000000", ""},
        {"", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(list.HintFor(c.address), c.hint) << c.address;
    }
    EXPECT_EQ(list.VendorOf("0001fe123456"), "Vendor 255");
    EXPECT_EQ(list.VendorOf("000001123456"), "");
}

TEST(AddressListTest, TheProbesBoundTheRangeTheHintIsLookedForIn) {
    std::vector<std::string> lines = SortedLines();
    lines[250] = "0000C9 Out of order"; // belongs before the probe of line 100, which ends its range
    const AddressList list(lines);
    EXPECT_EQ(list.HintFor("0000C9000000"), "");
    EXPECT_EQ(list.VendorOf("0000C9000000"), "Out of order") << "the vendor scan reads the whole list";
}

TEST(AddressListTest, AMissingFileIsAnEmptyList) {
    testing::TempDir dir;
    EXPECT_TRUE(AddressList::Load(dir / "maclist").Empty());
    testing::WriteBytes(dir / "maclist", "00A0C9 Intel\r\n00E018 Asustek\r\n");
    const AddressList list = AddressList::Load(dir / "maclist");
    EXPECT_EQ(list.HintFor("00E018AABBCC"), "00E018 Asustek");
}

} // namespace
} // namespace pelgo::archive
