#include "builder/final_pass.h"
#include "builder/output_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/calendar.h"
#include "common/platform/text.h"
#include "common/testing/recording_console.h"

namespace qv::builder {
namespace {

using testing::RecordingConsole;

struct Pass {
    std::vector<std::string> written;
    bool added = true;
    bool finished = true;
};

Pass run_pass(const BuildSettings& settings, const std::vector<std::string>& table, bool index_saturday = false,
              const HolidayTable& holidays = HolidayTable{}) {
    Pass pass;
    FinalPass final_pass(settings, holidays, index_saturday, [&](std::string_view line) {
        pass.written.emplace_back(line);
        return true;
    });
    for (const std::string& line : table) {
        pass.added = final_pass.add(line);
        if (!pass.added) return pass;
    }
    pass.finished = final_pass.finish();
    return pass;
}

BuildSettings with_period(char period) {
    BuildSettings settings;
    settings.sampling_period = period;
    return settings;
}

// A table of one close column on every weekday from `first` to `last`,
// leaving out the days given.
std::vector<std::string> weekdays(DayNumber first, DayNumber last, const std::vector<DayNumber>& missing = {}) {
    std::vector<std::string> table;
    for (DayNumber day = first; day != no_date && day <= last; day = next_weekday(day)) {
        if (std::find(missing.begin(), missing.end(), day) != missing.end()) continue;
        table.push_back(output_date_text(day, '3') + ",1");
    }
    return table;
}

DayNumber on(int year, int month, int day) { return date_to_lotus(year, month, day); }

std::vector<std::string> dates_of(const std::vector<std::string>& lines) {
    std::vector<std::string> dates;
    for (const std::string& line : lines) dates.push_back(line.substr(0, 8));
    return dates;
}

TEST(FinalPass, DailyCopiesEveryLineAndLeavesOutIndexSaturdaysUnlessKept) {
    // 19 to 24 May 1952: Monday to Saturday, when the exchanges still traded on Saturdays.
    const auto table = weekdays(on(1952, 5, 19), on(1952, 5, 24));
    ASSERT_EQ(table.size(), 6u);
    EXPECT_EQ(run_pass(with_period('D'), table).written, table);
    EXPECT_EQ(run_pass(with_period('D'), table, true).written.size(), 5u);
    BuildSettings keep = with_period('D');
    keep.idx_includes_sat_trading = 'Y';
    EXPECT_EQ(run_pass(keep, table, true).written, table);
}

TEST(FinalPass, WeeklyAndMonthlySamples) {
    const HolidayTable good_friday({on(2024, 3, 29)});
    struct Case {
        const char* name;
        char period;
        std::vector<std::string> table;
        std::vector<std::string> written;
        bool index_saturday = false;
    };
    const Case cases[] = {
        {"W: each Friday", 'W', weekdays(on(2024, 3, 4), on(2024, 3, 20)), {"20240308", "20240315"}},
        {"W: a missing Friday gives the Thursday once Monday comes", 'W',
         weekdays(on(2024, 3, 4), on(2024, 3, 19), {on(2024, 3, 15)}), {"20240308", "20240314"}},
        {"W: a table ending on a Thursday before a holiday keeps that Thursday", 'W',
         weekdays(on(2024, 3, 18), on(2024, 3, 28)), {"20240322", "20240328"}},
        {"W: an ordinary Thursday at the end is held back", 'W', weekdays(on(2024, 3, 18), on(2024, 3, 21)), {}},
        {"4: a Thursday before a holiday at the end is written once", '4',
         weekdays(on(2024, 3, 18), on(2024, 3, 28)), {"20240321", "20240328"}},
        {"3: a missing Wednesday gives the Tuesday", '3', weekdays(on(2024, 3, 4), on(2024, 3, 14), {on(2024, 3, 6)}),
         {"20240305", "20240313"}},
        {"W with index Saturdays aims at Saturday; a missing one gives the Friday", 'W',
         weekdays(on(1952, 5, 12), on(1952, 5, 27), {on(1952, 5, 17)}), {"19520516", "19520524"}, true},
        {"M: the last line of each month; a Friday 29 March closes the table", 'M',
         weekdays(on(2024, 1, 29), on(2024, 3, 29)), {"20240131", "20240229", "20240329"}},
        {"M: a Thursday 28 March does not close the table", 'M', weekdays(on(2024, 2, 26), on(2024, 3, 28)),
         {"20240229"}},
        {"M: 28 February closes the table", 'M', weekdays(on(2023, 2, 20), on(2023, 2, 28)), {"20230228"}},
        {"M: 29 February of a leap year closes the table", 'M', weekdays(on(2024, 2, 20), on(2024, 2, 29)),
         {"20240229"}},
        {"M: 30 April closes the table", 'M', weekdays(on(2024, 4, 22), on(2024, 4, 30)), {"20240430"}},
        {"M: a Friday 28 June closes the table", 'M', weekdays(on(2024, 6, 24), on(2024, 6, 28)), {"20240628"}},
        {"M: a Friday 28 March does not", 'M', weekdays(on(2025, 3, 24), on(2025, 3, 28)), {}},
        {"M: a Friday 27 February closes the table", 'M', weekdays(on(2015, 2, 23), on(2015, 2, 27)), {"20150227"}},
        {"M: a table ending before the 26th is never closed", 'M', weekdays(on(2024, 3, 18), on(2024, 3, 22)), {}},
        {"7: only titles and headings", '7', weekdays(on(2024, 3, 4), on(2024, 3, 20)), {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BuildSettings settings = with_period(c.period);
        settings.idx_includes_sat_trading = 'Y';
        const Pass pass = run_pass(settings, c.table, c.index_saturday, good_friday);
        EXPECT_TRUE(pass.added && pass.finished);
        EXPECT_EQ(dates_of(pass.written), c.written);
    }
}

TEST(FinalPass, BarsJoinOpenHighLowCloseAndSumTheVolume) {
    // Wednesday 6 March 2024 to Tuesday 19 March: the first partial week is
    // left out, the last bar is written at the end of the table.
    std::vector<std::string> table;
    int n = 0;
    for (DayNumber day = on(2024, 3, 6); day <= on(2024, 3, 19); day = next_weekday(day), ++n) {
        table.push_back(output_date_text(day, '3') +
                        format(",%d.5,%d,%d,%d.25,1%d0,%d", n, 20 + n, n - 5, n, n, 700 + n));
    }
    BuildSettings weekly = with_period('K');
    EXPECT_EQ(run_pass(weekly, table).written,
              (std::vector<std::string>{"20240315,3.5,27,-2,7.25,750,707",  // volume 130 + 140 + 150 + 160 + 170
                                        "20240319,8.5,29,3,9.25,370,709"}));

    BuildSettings blocks = with_period('B');
    blocks.days_per_bar = "4";
    blocks.col_separator_character = 'S';
    std::vector<std::string> spaced;
    for (std::string line : std::vector<std::string>(table.begin(), table.begin() + 5)) {
        std::replace(line.begin(), line.end(), ',', ' ');
        spaced.push_back(line.substr(0, line.rfind(' ')));  // five columns: no open interest
    }
    EXPECT_EQ(run_pass(blocks, spaced).written,
              (std::vector<std::string>{"20240311 0.5 23 -5 3.25 460", "20240312 4.5 24 -1 4.25 140"}));
}

TEST(FinalPass, AVolumeBeyondAWholeNumberIsHeldAtItsLimit) {
    BuildSettings blocks = with_period('B');
    blocks.days_per_bar = "2";
    EXPECT_EQ(run_pass(blocks, {"20240304,1,2,0,1,1E+300", "20240305,1,2,0,1,5"}).written,
              (std::vector<std::string>{"20240305,1,2,0,1,9223372036854775807"}));
}

TEST(FinalPass, MonthlyBarsStartOnTheFirstDayOfAMonth) {
    BuildSettings monthly = with_period('H');
    std::vector<std::string> table;
    for (DayNumber day = on(2024, 1, 15); day <= on(2024, 3, 5); day = next_weekday(day)) {
        const Date date = lotus_to_date(day);
        table.push_back(output_date_text(day, '3') +
                        format(",%d,%d,%d,%d", date.day, date.day + 1, date.day - 1, date.day));
    }
    // January is partial and left out; February is one bar; March's open bar is written at the end.
    EXPECT_EQ(run_pass(monthly, table).written,
              (std::vector<std::string>{"20240229,1,30,0,29", "20240305,1,6,0,5"}));
}

TEST(FinalPass, BarsNeedFourToSixColumns) {
    struct Case {
        const char* columns;
        const char* shown;
    };
    const Case cases[] = {
        {",1,2,3", "ERROR-TOO FEW FIELDS SPECIFIED TO BUILD"},
        {",1,2,3,4,5,6,7", "ERROR-TOO MANY FIELDS SPECIFIED TO BUILD"},
    };
    for (const Case& c : cases) {
        RecordingConsole screen;
        const Pass pass = run_pass(with_period('K'), {"20240304" + std::string(c.columns)});
        EXPECT_FALSE(pass.added);
        EXPECT_TRUE(pass.written.empty());
        EXPECT_NE(screen.text().find(c.shown), std::string::npos) << screen.text();
    }
}

TEST(OutputTable, ALineIsKeptOnlyWithAValueBeyondItsDate) {
    struct Case {
        char format;
        const char* date;
    };
    const Case cases[] = {{'1', "12/01/2020"}, {'2', "\"12/01/2020\""}, {'3', "20201201"}, {'4', "\"20201201\""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        const std::string date = c.date;
        EXPECT_EQ(date.size(), date_text_length(c.format));
        EXPECT_FALSE(line_has_data(date, c.format));
        EXPECT_FALSE(line_has_data(date + ",", c.format));
        EXPECT_TRUE(line_has_data(date + ",0", c.format));
    }
}

TEST(FinalPass, AFailingSinkStopsThePass) {
    FinalPass pass(with_period('D'), HolidayTable{}, false, [](std::string_view) { return false; });
    EXPECT_FALSE(pass.add("20240304,1"));
}

}  // namespace
}  // namespace qv::builder
