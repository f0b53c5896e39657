// Calendar time as the program keeps it: day numbers counted from 1899-12-30, the work-log stamp, the
// system's short-date and long-time formats, and the one clock every engine reads.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pelgo::core {

struct DateTime {
    int year = 1899;
    int month = 12;
    int day = 30;
    int hour = 0;
    int minute = 0;
    int second = 0;

    friend bool operator==(const DateTime&, const DateTime&) = default;
    friend auto operator<=>(const DateTime&, const DateTime&) = default;
};

// Whole days since 1899-12-30 (negative before it).
int DayNumber(const DateTime& date);
DateTime DateFromDayNumber(int dayNumber);

// "dd.mm.yyyy hh:mm:ss " with the trailing blank, as work-log lines begin.
std::string LogStamp(const DateTime& time);

// The system's short-date and long-time formats. Patterns use d, dd, M, MM, yy, yyyy, H, HH, h, hh, m, mm,
// s, ss; other characters stand for themselves, text in single quotes is literal.
class DateFormats {
public:
    DateFormats() = default;
    DateFormats(std::string shortDate, std::string longTime);

    const std::string& ShortDatePattern() const { return m_shortDate; }
    const std::string& LongTimePattern() const { return m_longTime; }

    std::string ShortDate(const DateTime& time) const;
    std::string LongTime(const DateTime& time) const;

private:
    std::string m_shortDate = "dd.MM.yyyy";
    std::string m_longTime = "HH:mm:ss";
};

std::string FormatDateTime(const DateTime& time, std::string_view pattern);

// The time source of the application state. It runs on the system clock until a test fixes it.
class Clock {
public:
    DateTime Now() const;
    void Set(const DateTime& fixed) { m_fixed = fixed; }
    void Advance(int seconds);

private:
    std::optional<DateTime> m_fixed;
};

} // namespace pelgo::core
