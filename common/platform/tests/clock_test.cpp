#include "common/platform/clock.h"

#include "common/platform/environment.h"

#include <gtest/gtest.h>

#include <ctime>

namespace qv {
namespace {

bool same(const LocalTime& a, const LocalTime& b) {
    return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour && a.minute == b.minute &&
           a.second == b.second;
}

TEST(Clock, TodaySettingStopsTheClock) {
    struct Case {
        const char* setting;
        LocalTime expected;
    } cases[] = {
        {"2012-12-07", {2012, 12, 7, 0, 0, 0}},
        {"2012-12-07T16:45:09", {2012, 12, 7, 16, 45, 9}},
        {"2000-02-29T23:59:59", {2000, 2, 29, 23, 59, 59}},
    };
    for (const auto& c : cases) {
        set_env("QUORVANT_TODAY", c.setting);
        EXPECT_TRUE(same(now(), c.expected)) << c.setting;
    }
    unset_env("QUORVANT_TODAY");
}

TEST(Clock, BadOrMissingSettingUsesTheSystemClock) {
    const std::time_t seconds = std::time(nullptr);
    std::tm parts{};
    localtime_r(&seconds, &parts);
    for (const char* setting : {"", "2012-13-01", "2011-02-29", "2012-12-07 10:00:00", "12/07/2012", "2012-12-07T24:00:00"}) {
        set_env("QUORVANT_TODAY", setting);
        const LocalTime t = now();
        EXPECT_EQ(t.year, parts.tm_year + 1900) << setting;
    }
    unset_env("QUORVANT_TODAY");
}

}  // namespace
}  // namespace qv
