// Conversions between UTF-8 and cp1251, and the three upper-case rules.
#include "core/cp1251.h"

#include <gtest/gtest.h>

namespace pelgo::core {
namespace {

TEST(Cp1251, RoundTripsEveryByte) {
    std::string all;
    for (int b = 1; b < 256; ++b) {
        all += static_cast<char>(b);
    }
    EXPECT_EQ(Utf8ToCp1251(Cp1251ToUtf8(all)), all);
}

TEST(Cp1251, ConvertsCyrillicAndReplacesWhatItLacks) {
    struct Case {
        const char* utf8;
        std::string cp1251;
    };
    const Case cases[] = {
        {"Привет", "\xCF\xF0\xE8\xE2\xE5\xF2"},
        {"ёЁ№", "\xB8\xA8\xB9"},
        {"a€b", "a\x88"
                "b"},
        {"日本", "??"},  // three-byte characters cp1251 lacks
        {"x😀y", "x?y"},  // four-byte character
        {"\xC3", "?"},   // truncated sequence
        {"\x80z", "?z"}, // stray continuation byte
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Utf8ToCp1251(c.utf8), c.cp1251) << c.utf8;
    }
}

TEST(Cp1251, TextFilesInUtf8AreTakenAsSuchAndEverythingElseAsCp1251) {
    struct Case {
        std::string bytes;
        std::string cp1251;
    };
    const std::string cp1251 = "Computer|CPU|\xCD\xE5\xF2|"; // "Нет" in cp1251
    const Case cases[] = {
        {"Computer|CPU|Нет|", cp1251},
        {"\xEF\xBB\xBF"
         "Computer|CPU|Нет|",
         cp1251},
        {"\xEF\xBB\xBF"
         "plain",
         "plain"},
        {cp1251, cp1251},
        {"ASCII only", "ASCII only"},
        // cp1251 bytes that happen to form a UTF-8 lead and a continuation, then break the pattern.
        {"\xD0\xE0\xE1", "\xD0\xE0\xE1"},
        {"\xC0\x80", "\xC0\x80"},         // an overlong form is no UTF-8
        {"\xED\xA0\x80", "\xED\xA0\x80"}, // nor is a surrogate
        {"tail \xD0", "tail \xD0"},       // nor a sequence cut off by the end
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TextFileToCp1251(c.bytes), c.cp1251) << c.bytes;
    }
}

TEST(Cp1251, UpperCaseForms) {
    const std::string mixed = Utf8ToCp1251("abc-яё-Ўў-z");
    EXPECT_EQ(UpperLatin(mixed), Utf8ToCp1251("ABC-яё-Ўў-Z"));
    // The fold subtracts 32 from bytes 224..255 only: "ё" and "ў" stay.
    EXPECT_EQ(UpperCyrillic(mixed), Utf8ToCp1251("ABC-Яё-Ўў-Z"));
}

TEST(Cp1251, CaseInsensitiveComparisonCoversEveryCp1251Letter) {
    const std::pair<const char*, const char*> same[] = {
        {"Info", "INFO"}, {"ёлка", "ЁЛКА"}, {"ўїєіґ", "ЎЇЄІҐ"}, {"ђѓљњќћџјѕ", "ЂЃЉЊЌЋЏЈЅ"}, {"", ""},
    };
    for (const auto& [a, b] : same) {
        EXPECT_TRUE(SameText(Utf8ToCp1251(a), Utf8ToCp1251(b))) << a;
    }
    EXPECT_FALSE(SameText("Info", "Inf"));
    EXPECT_FALSE(SameText(Utf8ToCp1251("е"), Utf8ToCp1251("ё")));
    EXPECT_LT(CompareText("abc", "ABD"), 0);
    EXPECT_GT(CompareText("abcd", "ABC"), 0);
    EXPECT_LT(CompareText(Utf8ToCp1251("а"), Utf8ToCp1251("Я")), 0);
}

} // namespace
} // namespace pelgo::core
