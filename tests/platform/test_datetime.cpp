#include "platform/datetime.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <string>

namespace {

std::tm makeTm(int year, int month, int day, int hour, int minute, int second) {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    return t;
}

TEST(DateTime, LogStampTable) {
    const struct {
        const char* name;
        std::tm when;
        const char* stamp;
    } cases[] = {
        {"evening in December", makeTm(2026, 12, 9, 21, 46, 30), "2026.Dec.09 21:46'30"},
        {"midnight pads every field", makeTm(2001, 1, 1, 0, 0, 0), "2001.Jan.01 00:00'00"},
        {"last second of a year", makeTm(1999, 12, 31, 23, 59, 59), "1999.Dec.31 23:59'59"},
        {"leap second", makeTm(2016, 12, 31, 23, 59, 60), "2016.Dec.31 23:59'60"},
        {"year below 1000 keeps four digits", makeTm(987, 6, 5, 4, 3, 2), "0987.Jun.05 04:03'02"},
        {"month out of range", makeTm(2020, 13, 1, 0, 0, 0), "2020.???.01 00:00'00"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(plat::formatLogStamp(c.when), c.stamp);
    }
}

TEST(DateTime, EnglishMonthAbbreviations) {
    const char* months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    for (int m = 1; m <= 12; ++m) {
        SCOPED_TRACE(m);
        EXPECT_EQ(plat::formatLogStamp(makeTm(2024, m, 15, 12, 0, 0)),
                  std::string("2024.") + months[m - 1] + ".15 12:00'00");
    }
}

// Local time: with the zone pinned the epoch is a known stamp, and the locale
// has no say in the month's name.
TEST(DateTime, TimeIsLocal) {
    const char* oldTz = std::getenv("TZ");
    const std::string saved = oldTz ? oldTz : "";
    ::setenv("TZ", "UTC", 1);
    ::tzset();
    EXPECT_EQ(plat::formatLogStamp(std::time_t{0}), "1970.Jan.01 00:00'00");
    ::setenv("TZ", "CET-1", 1);
    ::tzset();
    EXPECT_EQ(plat::formatLogStamp(std::time_t{0}), "1970.Jan.01 01:00'00");
    if (std::setlocale(LC_TIME, "de_DE.UTF-8") != nullptr) {
        EXPECT_EQ(plat::formatLogStamp(std::time_t{86400 * 60}), "1970.Mar.02 01:00'00");
        std::setlocale(LC_TIME, "C");
    }
    if (oldTz)
        ::setenv("TZ", saved.c_str(), 1);
    else
        ::unsetenv("TZ");
    ::tzset();
}

}  // namespace
