// The collector-file search: which values hit, the output window's lines, going on after a hit, and the
// question that leads to the computer in the tree.
#include "search/config_search.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "core/cp1251.h"
#include "support/temp_dir.h"

namespace pelgo::search {
namespace {

using testing::TempDir;
using testing::WriteBytes;

std::string W(const char* utf8) {
    return core::Utf8ToCp1251(utf8);
}

const core::DateTime kNow{2024, 3, 5, 9, 7, 1};

struct MatchCase {
    const char* name;
    std::string file; // cp1251
    const char* section;
    const char* pattern; // UTF-8
    bool matchCase;
    bool found;
};

TEST(ConfigSearchTest, WhichValuesHit) {
    const std::string longValue = "Big=" + std::string(251, 'x') + "ABCD" + "TAIL\n";
    const std::vector<MatchCase> cases = {
        {"case ignored", "[INFO]\nProg=Microsoft Office\n", "INFO", "office", false, true},
        {"case kept", "[INFO]\nProg=Microsoft Office\n", "INFO", "office", true, false},
        {"Cyrillic folded", W("[INFO]\nDev=Принтер HP\n"), "INFO", "пРИНТЕР", false, true},
        {"small yo not folded", W("[INFO]\nDev=ЁЛКА\n"), "INFO", "ёлка", false, false},
        {"capital yo", W("[INFO]\nDev=ЁЛКА\n"), "INFO", "Ёлка", false, true},
        {"key is not searched", "[INFO]\nOffice=none\n", "INFO", "office", false, false},
        {"value cut at 255", "[INFO]\n" + longValue, "INFO", "TAIL", false, false},
        {"end of the 255", "[INFO]\n" + longValue, "INFO", "xABCD", false, true},
        {"first of a repeated key", "[INFO]\nProg=none\nPROG=Office\n", "INFO", "office", false, false},
        {"repeated key, first hits", "[INFO]\nProg=Office\nProg=none\n", "INFO", "office", false, true},
        {"entry without =", "[INFO]\n  Microsoft Office  \n", "INFO", "office", false, true},
        {"quoted value", "[INFO]\nProg=\"Office\"\n", "INFO", "\"", false, false},
        {"comment", "[INFO]\n;Office\n", "INFO", "office", false, false},
        {"other section", "[INFO]\nA=1\n[Computer]\nProg=Office\n", "INFO", "office", false, false},
        {"section after others", "[Computer]\nProg=1\r\n  [ info ]\r\nProg=Office\r\n", "INFO", "office", false, true},
        {"only the first section of a name", "[INFO]\nA=1\n[INFO]\nB=Office\n", "INFO", "office", false, false},
        {"bracket in a value", "[Computer]\nA=[INFO]\nB=Office\n", "INFO", "office", false, false},
        {"blank as _", "[Windows_Soft]\nProg=Office\n", "WINDOWS Soft", "office", false, true},
        {"no section", "Prog=Office\n", "INFO", "office", false, false},
        {"byte-order mark", "\xEF\xBB\xBF[INFO]\nProg=Office\n", "INFO", "office", false, true},
    };
    for (const MatchCase& test : cases) {
        SCOPED_TRACE(test.name);
        TempDir dir;
        WriteBytes(dir / "pc.ini", test.file);
        ConfigSearch search;
        search.directories = {{dir.Path(), true}};
        search.section = test.section;
        EXPECT_EQ(search.Find(W(test.pattern), test.matchCase, false, kNow).found, test.found);
    }
}

TEST(ConfigSearchTest, SectionNamesCompareWithBlankAndUnderscoreAlike) {
    EXPECT_TRUE(SameSectionName("WINDOWS Soft", "Windows_Soft"));
    EXPECT_TRUE(SameSectionName("WINDOWS Devices", "windows_devices"));
    EXPECT_FALSE(SameSectionName("WINDOWS Soft", "WindowsSoft"));
    EXPECT_FALSE(SameSectionName("INFO", "INFO2"));
    EXPECT_EQ(ConfigSections().front(), "INFO");
}

// A missing, an unticked, an empty and a full directory; two hits in the full one, the second after
// "Дальше...", and nothing more after it.
TEST(ConfigSearchTest, OutputWindowAcrossContinuedSearches) {
    TempDir root;
    std::filesystem::create_directories(root / "empty");
    std::filesystem::create_directories(root / "full");
    std::filesystem::create_directories(root / "skipped");
    WriteBytes(root / "skipped/x.ini", "[INFO]\nProg=Office\n");
    WriteBytes(root / "full/b.ini", "[Info]\r\nMAC_Addr=AABBCCDDEEFF\r\n\r\nProg=office\r\n");
    WriteBytes(root / "full/A.ini", "[INFO]\nProg=none\n");
    WriteBytes(root / "full/c.ini", "[INFO]\nMAC_Addr=001122334455\nInventoryNumber=77\nProg=Office 2\n");
    ConfigSearch search;
    search.directories = {
        {root / "missing", true}, {root / "skipped", false}, {root / "empty", true}, {root / "full/", true}};
    int events = 0;
    const auto count = [&] { ++events; };

    FindOutcome first = search.Find("Office", false, false, kNow, count);
    ASSERT_TRUE(first.found);
    EXPECT_EQ(search.LastHit().name, "b.ini");
    EXPECT_EQ(search.LastHit().index, 1u);
    EXPECT_EQ(search.LastHit().count, 3u);
    EXPECT_EQ(search.LastHit().mac, "AABBCCDDEEFF");
    EXPECT_EQ(search.LastHit().inventory, "");
    EXPECT_EQ(first.question, "");
    EXPECT_EQ(events, 4);
    const std::string rule(96, '-');
    const std::string heading1 = W("---- файл ") + root.Path() + W("/full/b.ini (2-й из 3)");
    const std::vector<std::string> afterFirst = {
        W("Поиск \"OFFICE\"..."),
        "Path not found : " + root.Path() + "/missing",
        "",
        "----[" + root.Path() + "/empty]---- (Total files : 0)",
        "",
        "----[" + root.Path() + "/full/]---- (Total files : 3)",
        heading1 + " --- BEGIN " + rule,
        "   [Info]",
        "   MAC_Addr=AABBCCDDEEFF",
        "   Prog=office",
        heading1 + " ---  END  " + rule,
        "",
    };
    EXPECT_EQ(search.Output(), afterFirst);
    EXPECT_EQ(search.ScrollLine(), afterFirst.size() - 1);

    FindOutcome second = search.Find("Office", false, true, kNow);
    ASSERT_TRUE(second.found);
    EXPECT_EQ(search.LastHit().name, "c.ini");
    EXPECT_EQ(second.question, W("Найти 77 ?"));
    EXPECT_EQ(second.treeText, "77");
    const std::vector<std::string>& output = search.Output();
    ASSERT_GT(output.size(), afterFirst.size() + 1);
    EXPECT_EQ(std::vector<std::string>(output.begin(), output.begin() + afterFirst.size()), afterFirst);
    const std::size_t begin = afterFirst.size() + 1;
    EXPECT_EQ(output[afterFirst.size()], W("05.03.2024 09:07:01  Продолжение поиска \"OFFICE\"..."));
    EXPECT_EQ(output[begin], W("---- файл ") + root.Path() + W("/full/c.ini (3-й из 3) --- BEGIN ") + rule);
    EXPECT_EQ(output.size(), begin + 7);
    EXPECT_EQ(search.ScrollLine(), output.size() - 1);

    EXPECT_FALSE(search.Find("Office", false, true, kNow).found);
    EXPECT_TRUE(search.LastHit().name.empty());
    EXPECT_FALSE(search.Find("Office", false, true, kNow).found);

    // "C начала" starts over with an empty window.
    ASSERT_TRUE(search.Find("Office", false, false, kNow).found);
    EXPECT_EQ(search.Output(), afterFirst);
}

TEST(ConfigSearchTest, TheWindowOpensTenLinesPastBegin) {
    TempDir dir;
    std::string file = "[INFO]\n";
    for (int i = 0; i < 30; ++i) {
        file += "K" + std::to_string(i) + "=v\n";
    }
    WriteBytes(dir / "pc.ini", file + "Hit=yes\n");
    ConfigSearch search;
    search.directories = {{dir.Path(), true}};
    ASSERT_TRUE(search.Find("yes", false, false, kNow).found);
    ASSERT_NE(search.Output()[3].find(" --- BEGIN "), std::string::npos);
    EXPECT_EQ(search.ScrollLine(), 13u);
}

TEST(ConfigSearchTest, QuestionOnlyBeyondTwelveCharacters) {
    struct Case {
        const char* mac;
        const char* inventory;
        const char* question; // UTF-8
        const char* treeText;
    };
    const std::vector<Case> cases = {
        {"001122334455", "", "", "001122334455"},
        {"00112233", "4455", "", "4455"},
        {"001122334455", "7", "Найти 7 ?", "7"},
        {"00-11-22-33-44-55", "", "Найти MAC-adr 00-11-22-33-44-55 ?", "00-11-22-33-44-55"},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.question);
        TempDir dir;
        WriteBytes(dir / "pc.ini", std::string("[Info]\nMAC_Addr=") + test.mac + "\nInventoryNumber=" + test.inventory +
                                       "\n[Windows_Soft]\nA=Office\n");
        ConfigSearch search;
        search.directories = {{dir.Path(), true}};
        search.section = "WINDOWS Soft";
        const FindOutcome outcome = search.Find("office", false, false, kNow);
        ASSERT_TRUE(outcome.found);
        EXPECT_EQ(outcome.question, W(test.question));
        EXPECT_EQ(outcome.treeText, test.treeText);
    }
}

TEST(ConfigSearchTest, EmptyDirectoryListAsksForDirectories) {
    ConfigSearch search;
    const FindOutcome outcome = search.Find("x", false, false, kNow);
    EXPECT_FALSE(outcome.found);
    EXPECT_EQ(outcome.message.rfind(W("Настройка поиска :\n"), 0), 0u);
    EXPECT_NE(outcome.message.find(W("заполните перечень каталогов !")), std::string::npos);
}

} // namespace
} // namespace pelgo::search
