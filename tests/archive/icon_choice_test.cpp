// SetImage: each rule's keyword and place, the order of the rules, the default that lets later rules look
// further, the motherboard exception and the journal words in the user's language.
#include "archive/icon_choice.h"

#include <gtest/gtest.h>

#include "core/cp1251.h"

namespace pelgo::archive {
namespace {

struct IconCase {
    const char* text; // UTF-8
    int defaultIcon;
    int icon;
};

const IconWords kRussianWords{core::Utf8ToCp1251("РЕМОНТ"), core::Utf8ToCp1251("МОДЕРН")};

void ExpectIcons(std::initializer_list<IconCase> cases, const IconWords& words) {
    for (const IconCase& c : cases) {
        EXPECT_EQ(SetImage(core::Utf8ToCp1251(c.text), c.defaultIcon, words), c.icon)
            << c.text << " with default " << c.defaultIcon;
    }
}

TEST(IconChoiceTest, KeywordsAndTheirPlaces) {
    ExpectIcons(
        {
            {"A:\\ REMOVABLE", 6, 5},
            {"\\ REMOVABLE", 6, 6}, // too early in the text
            {"E:\\ CD-ROM", 6, 7},
            {"cdrom drive", 19, 7},
            {"F:\\ NETWORK 1000 Mb", 6, 8},
            {"NETWORK F:", 6, 1}, // not at the fifth character: the Net class instead
            {"mac_addr", 0, 1},
            {"IP_addr", 0, 1},
            {"System", 0, 2},
            {"Computer_Name", 0, 4},
            {"BIOS", 0, 19},
            {"Memory_in_Mb", 0, 22},
            {"Windows_Soft", 3, 2},
            {"Windows_Updates", 3, 32},
            {"Windows_StartUp", 3, 21},
            {"Config_changes", 3, 17},
            {"Remote_Access", 3, 16},
            {"  Sharing  ", 3, 33},
            {"Scanlet_log", 3, 30},
            {"History", 3, 38},
            {"S.M.A.R.T.", 3, 6},
            {"Post_Accounts", 3, 40},
            {"Display GeForce NVIDIA TNT", 19, 24},
            {"Display Rage ATI 128", 19, 28},
            {"Display Matrox", 19, 29},
            {"Video adapter", 19, 29},
            {"Monitor Plug and Play", 19, 12},
            {"Floppy disk controller", 19, 5},
            {"Tape drive", 19, 48},
            {"HDD ST380011A", 19, 6},
            {"Printer HP", 19, 15},
            {"Image Canon scanner", 19, 13},
            {"Net Realtek RTL8139", 19, 1},
            {"Keyboard Standard", 19, 9},
            {"Mouse PS/2", 19, 10},
            {"Modem Agere", 19, 11},
            {"USB Root Hub", 19, 18},
            {"SCSI Adapter", 19, 20},
            {"PCMCIA Card", 19, 25},
            {"Infrared port", 19, 26},
            {"Media Sound", 19, 27},
            {"Processor Intel", 19, 39},
            {"HIDClass device", 19, 41},
            {"Battery ACPI", 19, 43},
            {"Bluetooth radio", 19, 44},
            {"1394 Host controller", 19, 45},
            {"Signature_Ok", 3, 46},
            {"Signature_BAD", 3, 47},
            {"Unheard of", 3, 3},
        },
        kRussianWords);
}

TEST(IconChoiceTest, OrderOfRules) {
    ExpectIcons(
        {
            // The first rule that changes the default wins.
            {"CPU Intel", 0, 19},
            {"Memory_Soft", 0, 22},
            {"System_Startup", 3, 2},
            {"Net_Accounts", 3, 40},
            {"Video NVIDIA", 19,
             29}, // " NVIDIA " needs a blank after it
                  // A rule whose icon is the default leaves it unchanged, so later rules still look.
            {"CPU Intel", 19, 39},
            {"USB CD-ROM", 7, 18},
            // The motherboard rule applies even after an earlier rule changed the icon.
            {"System MotherBoard", 0, 19},
            {"MotherBoard", 3, 19},
            {"MAC_Motherboard", 0, 19},
        },
        kRussianWords);
}

TEST(IconChoiceTest, JournalWordsInTheUsersLanguage) {
    ExpectIcons(
        {
            {"Ремонт монитора", 30, 35},
            {"ремонт монитора", 30, 35}, // the Cyrillic fold
            {"Модернизация", 30, 36},
            {"Плановый ремонт", 30, 30}, // only at the start
            {"Ремонт CPU", 30, 19},      // an earlier rule wins
            {"Repair PSU", 30, 30},
        },
        kRussianWords);
    ExpectIcons({{"Repair PSU", 30, 35}, {"upgrade RAM", 30, 36}, {"Ремонт", 30, 30}}, IconWords{"REPAIR", "UPGRADE"});
    // A language file that leaves a word empty chooses nothing by it.
    ExpectIcons({{"Anything", 30, 30}}, IconWords{"", ""});
}

TEST(IconChoiceTest, TranslatedWordsDefaultToRussian) {
    EXPECT_EQ(IconWords::Translated().repair, kRussianWords.repair);
    EXPECT_EQ(IconWords::Translated().upgrade, kRussianWords.upgrade);
}

} // namespace
} // namespace pelgo::archive
