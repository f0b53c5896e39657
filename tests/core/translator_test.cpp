// Language list, choice of language and text lookup by id.
#include "core/translator.h"

#include <gtest/gtest.h>

#include "core/cp1251.h"
#include "core/errors.h"
#include "core/file.h"
#include "support/temp_dir.h"

namespace pelgo::core {
namespace {

using pelgo::testing::WriteBytes;

// Writes a language file from UTF-8 text as cp1251 with CR LF.
void WriteLanguage(const std::string& path, const std::string& utf8) {
    WriteBytes(path, Utf8ToCp1251(utf8));
}

class TranslatorTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(CreateDirectories(dir / "lang"));
        WriteLanguage(dir / "lang/en.lng",
                      "[Strings]\r\nLanguageName=English\r\n1067=Two || lines\r\n"
                      "1068=\r\n; 1069=commented out\r\n[TMain]\r\nSelf=Pelgo~The main window\r\n");
        WriteLanguage(dir / "lang/ru.LNG", "[Strings]\r\nLanguageName = \"Русский\"\r\n");
        WriteLanguage(dir / "lang/de.lng", "[Strings]\r\n1067=Ohne Namen\r\n"); // not offered
        WriteLanguage(dir / "lang/notes.txt", "[Strings]\r\nLanguageName=Text\r\n");
    }

    pelgo::testing::TempDir dir;
};

TEST_F(TranslatorTest, ListsLanguagesSortedAndChoosesTheFirst) {
    TKelTranslator translator(dir.Path());
    int changes = 0;
    translator.SetLanguageChangedHandler([&] { ++changes; });
    translator.SetDirectory("lang");
    EXPECT_EQ(translator.NormalisedDirectory(), dir / "lang/");
    EXPECT_EQ(translator.LanguageNames(), (StringList{"English", Utf8ToCp1251("Русский")}));
    EXPECT_EQ(translator.LanguageName(), "English");
    EXPECT_EQ(translator.LanguagePosition(), 0);
    EXPECT_EQ(changes, 1);

    translator.ChooseLanguage(5); // outside the list: ignored
    EXPECT_EQ(translator.LanguageName(), "English");
    translator.ChooseLanguage(std::string("Deutsch"));
    EXPECT_EQ(translator.LanguageName(), "English");
    EXPECT_EQ(changes, 1);

    EXPECT_TRUE(translator.ChooseNextLanguage());
    EXPECT_EQ(translator.LanguagePosition(), 1);
    EXPECT_TRUE(translator.ChooseNextLanguage());
    EXPECT_EQ(translator.LanguagePosition(), 0) << "after the last comes the first";
    EXPECT_EQ(changes, 3);
}

TEST_F(TranslatorTest, LooksUpTextsById) {
    TKelTranslator translator(dir.Path());
    translator.SetDirectory("\\lang"); // a stored form without a drive is relative to the program
    EXPECT_EQ(translator.Text(1067, "default"), "Two \r\n lines");
    EXPECT_EQ(translator.Text(1068, "default"), "default") << "an empty value gives the default";
    EXPECT_EQ(translator.Text(1069, "default"), "default");
    EXPECT_EQ(translator.Text(0, "default"), "default");
    EXPECT_EQ(translator.Value("TMain", "Self"), "Pelgo~The main window");
    EXPECT_EQ(Text(1067, "Две строки"), "Two \r\n lines");

    translator.ChooseLanguage(1);
    EXPECT_EQ(Text(1067, "Две строки"), Utf8ToCp1251("Две строки"));
}

TEST_F(TranslatorTest, NoLanguageFilesGiveDefaults) {
    TKelTranslator translator(dir.Path());
    translator.SetDirectory(dir / "missing");
    EXPECT_TRUE(translator.LanguageNames().empty());
    EXPECT_FALSE(translator.ChooseNextLanguage());
    EXPECT_EQ(translator.Text(1067, "default"), "default");
}

TEST_F(TranslatorTest, SameNameInTwoFilesIsListedTwice) {
    WriteLanguage(dir / "lang/en2.lng", "[Strings]\r\nLanguageName=English\r\n1067=Other\r\n");
    TKelTranslator translator(dir.Path());
    translator.SetDirectory(dir / "lang");
    EXPECT_EQ(translator.LanguageNames(), (StringList{"English", "English", Utf8ToCp1251("Русский")}));
    const std::string first = translator.Text(1067, "");
    translator.ChooseLanguage(1);
    EXPECT_EQ(translator.Text(1067, ""), first) << "either entry opens the file found first";
}

TEST(Translator, OnlyOneMayExist) {
    EXPECT_EQ(TKelTranslator::Instance(), nullptr);
    EXPECT_EQ(Text(1, "Привет"), Utf8ToCp1251("Привет"));
    TKelTranslator first("/tmp");
    EXPECT_EQ(TKelTranslator::Instance(), &first);
    try {
        TKelTranslator second("/tmp");
        FAIL() << "a second translator was created";
    } catch (const Error& e) {
        EXPECT_STREQ(e.what(), "Only one instance of KelLanguage is allowed");
    }
    EXPECT_EQ(TKelTranslator::Instance(), &first);
}

} // namespace
} // namespace pelgo::core
