// How the undo question names a run: its button's caption, and when it started, the time alone
// for a run of today and the date with it for any other day.
#include "interaction/history_prompts.h"

#include <gtest/gtest.h>

#include <ctime>

namespace velmora {
namespace {

std::int64_t at(int year, int month, int day, int hour, int minute) {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_isdst = -1;
    return static_cast<std::int64_t>(std::mktime(&t));
}

TEST(RunLabel, namesTodaysRunByItsTimeAndAnyOtherByItsDateToo) {
    const std::time_t now = std::time(nullptr);
    std::tm today{};
    localtime_r(&now, &today);
    const int year = today.tm_year + 1900;
    // Another day of this same year, and a day of last year with today's month and day.
    const bool midJune = today.tm_mon == 5 && today.tm_mday == 15;
    const int otherDay = midJune ? 16 : 15;
    const int lastYearsDay = today.tm_mon == 1 && today.tm_mday == 29 ? 28 : today.tm_mday;  // no 29 February
    struct Case {
        const char* what;
        std::int64_t started;
        const char* caption;
        std::string label;
    };
    char todayTime[16];
    std::snprintf(todayTime, sizeof todayTime, "%02d:%02d", today.tm_hour, today.tm_min);
    const Case cases[] = {
        {"now", static_cast<std::int64_t>(now), "加前缀", std::string("加前缀，") + todayTime},
        {"another day of this year", at(year, 6, otherDay, 9, 5), "", "6月" + std::to_string(otherDay) + "日 09:05"},
        {"this day last year", at(year - 1, today.tm_mon + 1, lastYearsDay, 23, 59), "改大小写",
         "改大小写，" + std::to_string(today.tm_mon + 1) + "月" + std::to_string(lastYearsDay) + "日 23:59"},
    };
    for (const Case& c : cases) {
        JournalRun run;
        run.started = c.started;
        run.caption = Text::fromUtf8(c.caption);
        EXPECT_EQ(runLabel(run).toUtf8(), c.label) << c.what;
    }
}

}  // namespace
}  // namespace velmora
