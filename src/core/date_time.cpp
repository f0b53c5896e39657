// Day numbers, time stamps and date patterns.
#include "core/date_time.h"

#include <cstdio>
#include <ctime>

namespace pelgo::core {
namespace {

// Days from 1970-01-01 for a proleptic Gregorian date (Howard Hinnant's algorithm).
long long DaysFromCivil(int y, int m, int d) {
    y -= m <= 2 ? 1 : 0;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * static_cast<unsigned>(m + (m > 2 ? -3 : 9)) + 2) / 5 + static_cast<unsigned>(d) - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long long>(doe) - 719468;
}

DateTime CivilFromDays(long long z) {
    z += 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    DateTime out;
    out.day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    out.month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    out.year = static_cast<int>(static_cast<long long>(yoe) + era * 400 + (out.month <= 2 ? 1 : 0));
    return out;
}

const long long kEpochOffset = DaysFromCivil(1899, 12, 30);

std::string Pad(int value, int width) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%0*d", width, value);
    return buf;
}

} // namespace

int DayNumber(const DateTime& date) {
    return static_cast<int>(DaysFromCivil(date.year, date.month, date.day) - kEpochOffset);
}

DateTime DateFromDayNumber(int dayNumber) {
    return CivilFromDays(dayNumber + kEpochOffset);
}

std::string LogStamp(const DateTime& time) {
    return FormatDateTime(time, "dd.MM.yyyy HH:mm:ss ");
}

std::string FormatDateTime(const DateTime& time, std::string_view pattern) {
    std::string out;
    std::size_t i = 0;
    while (i < pattern.size()) {
        const char c = pattern[i];
        if (c == '\'') {
            const std::size_t close = pattern.find('\'', i + 1);
            const std::size_t end = close == std::string_view::npos ? pattern.size() : close;
            out.append(pattern.substr(i + 1, end - i - 1));
            i = end + 1;
            continue;
        }
        std::size_t run = 1;
        while (i + run < pattern.size() && pattern[i + run] == c) {
            ++run;
        }
        switch (c) {
        case 'd':
            out += Pad(time.day, run >= 2 ? 2 : 1);
            break;
        case 'M':
            out += Pad(time.month, run >= 2 ? 2 : 1);
            break;
        case 'y':
            out += run >= 4 ? Pad(time.year, 4) : Pad(time.year % 100, 2);
            break;
        case 'H':
            out += Pad(time.hour, run >= 2 ? 2 : 1);
            break;
        case 'h':
            out += Pad(time.hour % 12 == 0 ? 12 : time.hour % 12, run >= 2 ? 2 : 1);
            break;
        case 'm':
            out += Pad(time.minute, run >= 2 ? 2 : 1);
            break;
        case 's':
            out += Pad(time.second, run >= 2 ? 2 : 1);
            break;
        default:
            out.append(run, c);
            break;
        }
        i += run;
    }
    return out;
}

DateFormats::DateFormats(std::string shortDate, std::string longTime)
    : m_shortDate(std::move(shortDate)), m_longTime(std::move(longTime)) {
}

std::string DateFormats::ShortDate(const DateTime& time) const {
    return FormatDateTime(time, m_shortDate);
}

std::string DateFormats::LongTime(const DateTime& time) const {
    return FormatDateTime(time, m_longTime);
}

DateTime Clock::Now() const {
    if (m_fixed) {
        return *m_fixed;
    }
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
}

void Clock::Advance(int seconds) {
    DateTime now = Now();
    long long total =
        static_cast<long long>(DayNumber(now)) * 86400 + now.hour * 3600 + now.minute * 60 + now.second + seconds;
    long long days = total / 86400;
    long long rest = total % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    DateTime next = DateFromDayNumber(static_cast<int>(days));
    next.hour = static_cast<int>(rest / 3600);
    next.minute = static_cast<int>(rest / 60 % 60);
    next.second = static_cast<int>(rest % 60);
    m_fixed = next;
}

} // namespace pelgo::core
