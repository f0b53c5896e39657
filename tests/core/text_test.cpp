// Trimming, integer parsing, rounding and replacement.
#include "core/text.h"

#include <gtest/gtest.h>

namespace pelgo::core {
namespace {

TEST(Text, TrimRemovesEverythingBelow33) {
    EXPECT_EQ(Trim(" \t\x01 a b\r\n\x1A"), "a b");
    EXPECT_EQ(TrimLeft("  a "), "a ");
    EXPECT_EQ(TrimRight("  a \x1F"), "  a");
    EXPECT_EQ(Trim(" \t "), "");
}

TEST(Text, ParseInt) {
    struct Case {
        const char* text;
        std::optional<int> value;
    };
    const Case cases[] = {
        {"42", 42},
        {"-17", -17},
        {"+5", 5},
        {"$1F", 31},
        {"-$10", -16},
        {"$FFFFFFFF", -1},
        {"2147483647", 2147483647},
        {"-2147483648", -2147483648LL},
        {"2147483648", std::nullopt},
        {"", std::nullopt},
        {"42A", std::nullopt},
        {" 42", std::nullopt},
        {"1F", std::nullopt},
        {"$", std::nullopt},
        {"--5", std::nullopt},
        {"$100000000", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ParseInt(c.text), c.value) << c.text;
    }
}

TEST(Text, RoundHalfEven) {
    const std::pair<double, long long> cases[] = {{0.5, 0},   {1.5, 2},    {2.5, 2},   {-0.5, 0},
                                                  {-1.5, -2}, {2.4999, 2}, {2.5001, 3}};
    for (const auto& [value, rounded] : cases) {
        EXPECT_EQ(RoundHalfEven(value), rounded) << value;
    }
}

TEST(Text, SplitLinesEndsLinesAtAnyOfTheThreeEnds) {
    struct Case {
        std::string_view text;
        std::vector<std::string_view> lines;
    };
    const Case cases[] = {
        {"A\r\nB\nC\rD", {"A", "B", "C", "D"}},
        {"A\r\n", {"A"}},
        {"A\r\n\r\n", {"A", ""}},
        {"A\n\rB", {"A", "", "B"}},
        {"", {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SplitLines(c.text), c.lines) << c.text;
    }
}

TEST(Text, ReplaceAll) {
    EXPECT_EQ(ReplaceAll("a||b||", "||", "\r\n"), "a\r\nb\r\n");
    EXPECT_EQ(ReplaceAll("|||", "||", "+"), "+|");
    EXPECT_EQ(ReplaceAll("none", "||", "+"), "none");
}

} // namespace
} // namespace pelgo::core
