// Day numbers, stamps, date patterns and the clock.
#include "core/date_time.h"

#include <gtest/gtest.h>

namespace pelgo::core {
namespace {

TEST(DateTime, DayNumbersCountFrom18991230) {
    const std::pair<DateTime, int> cases[] = {
        {{1899, 12, 30}, 0}, {{1899, 12, 29}, -1},   {{1900, 1, 1}, 2},
        {{1900, 3, 1}, 61},  {{2000, 2, 29}, 36585}, {{2026, 12, 10}, 46366},
    };
    for (const auto& [date, number] : cases) {
        EXPECT_EQ(DayNumber(date), number) << date.year << "-" << date.month << "-" << date.day;
        EXPECT_EQ(DateFromDayNumber(number), date);
    }
}

TEST(DateTime, LogStampAndPatterns) {
    const DateTime t{2026, 3, 7, 9, 5, 4};
    EXPECT_EQ(LogStamp(t), "07.03.2026 09:05:04 ");
    const DateFormats defaults;
    EXPECT_EQ(defaults.ShortDate(t), "07.03.2026");
    EXPECT_EQ(defaults.LongTime(t), "09:05:04");
    const DateFormats us("M/d/yy", "h:mm:ss 'h'");
    EXPECT_EQ(us.ShortDate(t), "3/7/26");
    EXPECT_EQ(us.LongTime(DateTime{2026, 3, 7, 13, 5, 4}), "1:05:04 h");
}

TEST(DateTime, ClockCanBeFixedAndAdvanced) {
    Clock clock;
    clock.Set({2026, 12, 31, 23, 59, 30});
    clock.Advance(45);
    EXPECT_EQ(clock.Now(), (DateTime{2027, 1, 1, 0, 0, 15}));
    clock.Advance(-15);
    EXPECT_EQ(clock.Now(), (DateTime{2027, 1, 1, 0, 0, 0}));
    clock.Advance(-1);
    EXPECT_EQ(clock.Now(), (DateTime{2026, 12, 31, 23, 59, 59}));
}

} // namespace
} // namespace pelgo::core
