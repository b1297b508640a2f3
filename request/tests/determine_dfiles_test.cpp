#include "request/determine_dfiles.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "common/testing/temp_install.h"
#include "request/compress_to_month.h"

namespace qv::request {
namespace {

DayNumber day(int year, int month, int day_of_month) { return date_to_lotus(year, month, day_of_month); }

std::vector<std::string> requested_names(const RequestList& list) {
    std::vector<std::string> names;
    for (const RequestEntry& entry : list.entries())
        if (entry.status == requested) names.push_back(entry.name);
    return names;
}

// Requests of one kind for every weekday, or every Tuesday for COT reports,
// from `first` to `last`.
void add_series(RequestList& list, std::vector<std::string_view> kinds, std::string_view extension, DayNumber first,
                DayNumber last) {
    const bool weekly = extension == "COT";
    for (DayNumber d = first; d <= last; d = weekly ? static_cast<DayNumber>(d + 7) : next_weekday(d))
        for (std::string_view kind : kinds) list.add({requested, request_name(kind, d, extension), d});
}

using Names = std::vector<std::string>;

TEST(CompressToMonth, AWholeMonthFollowedByTheNextBecomesTheMonthFile) {
    RequestList list;
    add_series(list, {"DU"}, "CLC", day(2005, 3, 1), day(2005, 4, 1));
    compress_to_month(list);
    EXPECT_EQ(requested_names(list), (Names{"MU050300.CLC", "DU050401.CLC"}));
}

TEST(CompressToMonth, OnlyWholeMonthsOfOneKindAreMerged) {
    {
        SCOPED_TRACE("the month is not over: no file of April is listed");
        RequestList list;
        add_series(list, {"DU"}, "CLC", day(2005, 3, 1), day(2005, 3, 31));
        compress_to_month(list);
        EXPECT_EQ(list.size(), 23u);
    }
    {
        SCOPED_TRACE("the month starts on its second weekday");
        RequestList list;
        add_series(list, {"DU"}, "CLC", day(2005, 3, 2), day(2005, 4, 1));
        compress_to_month(list);
        EXPECT_EQ(list.size(), 23u);
    }
    {
        SCOPED_TRACE("a day of the month already waits");
        RequestList list;
        add_series(list, {"DU"}, "CLC", day(2005, 3, 1), day(2005, 4, 1));
        list.entries()[10].status = waiting;
        compress_to_month(list);
        EXPECT_EQ(list.size(), 24u);
    }
    {
        SCOPED_TRACE("EU files, and IDX files of the same days beside them");
        RequestList list;
        add_series(list, {"DU"}, "IDX", day(2005, 3, 1), day(2005, 3, 10));
        add_series(list, {"EU"}, "CLC", day(2005, 2, 1), day(2005, 3, 1));
        compress_to_month(list);
        EXPECT_EQ(requested_names(list).size(), 8u + 2u);
        EXPECT_EQ(requested_names(list)[8], "EX050200.CLC");
        EXPECT_EQ(requested_names(list)[9], "EU050301.CLC");
    }
    {
        SCOPED_TRACE("COT reports: the first files of each report merge, the second and third stay");
        RequestList list;
        add_series(list, {"DU", "SM", "SX"}, "COT", day(2005, 3, 1), day(2005, 3, 29));
        compress_to_month(list);
        EXPECT_EQ(requested_names(list),
                  (Names{"MU050300.COT", "SM050301.COT", "SX050301.COT", "SM050308.COT", "SX050308.COT",
                         "SM050315.COT", "SX050315.COT", "SM050322.COT", "SX050322.COT", "SM050329.COT",
                         "SX050329.COT"}));
    }
}

struct DetermineCase {
    const char* what;
    RequestState state;
    Names expected;
};

TEST(DetermineDfiles, RequestsUpToTheLastWeekdayOnOrBeforeToday) {
    // 2005: Tuesday 1 March, Friday 18 March, Sunday 20 March, Monday 21 March.
    const DayNumber current_cot = day(2005, 3, 15);
    const DetermineCase cases[] = {
        {"a Sunday run with data up to the Thursday before",
         {day(2005, 3, 20), day(2005, 3, 18), day(2005, 3, 17), current_cot, true, no_date, false},
         {"DU050318.CLC"}},
        {"a Monday run with data of the Friday before",
         {day(2005, 3, 21), day(2005, 3, 21), day(2005, 3, 18), current_cot, true, no_date, false},
         {"DU050321.CLC"}},
        {"empty databases start from the last two weekdays and the last report released",
         {day(2005, 3, 16), no_date, no_date, no_date, true, no_date, false},
         {"DU050315.IDX", "DU050316.IDX", "DU050315.CLC", "DU050316.CLC", "DU050308.COT"}},
        {"no CLC database: no CLC files",
         {day(2005, 3, 16), day(2005, 3, 15), no_date, current_cot, false, no_date, false},
         {"DU050316.IDX"}},
        {"EU files after EU LAST DATE",
         {day(2005, 3, 18), day(2005, 3, 18), day(2005, 3, 18), current_cot, true, day(2005, 3, 16), true},
         {"EU050317.CLC", "EU050318.CLC"}},
        {"no EU files when EXTENDED CONTRACTS is N or missing",
         {day(2005, 3, 18), day(2005, 3, 18), day(2005, 3, 18), current_cot, true, day(2005, 3, 16), false},
         {}},
        {"no EU files without EU LAST DATE",
         {day(2005, 3, 18), day(2005, 3, 18), day(2005, 3, 18), current_cot, true, no_date, true},
         {}},
        {"the next week's report is not out before its Friday",
         {day(2005, 3, 10), day(2005, 3, 10), day(2005, 3, 10), day(2005, 3, 1), true, no_date, false},
         {}},
        {"a report is requested on its release Friday",
         {day(2005, 3, 11), day(2005, 3, 11), day(2005, 3, 11), day(2005, 3, 1), true, no_date, false},
         {"DU050308.COT", "SM050308.COT", "SX050308.COT"}},
        {"months of a long gap become month files",
         {day(2005, 4, 6), day(2005, 4, 6), day(2004, 12, 31), day(2005, 3, 29), true, no_date, false},
         {"MU050100.CLC", "MU050200.CLC", "MU050300.CLC", "DU050401.CLC", "DU050404.CLC", "DU050405.CLC",
          "DU050406.CLC"}},
        {"data after today asks for nothing",
         {day(2005, 3, 16), day(2005, 3, 25), day(2005, 3, 25), day(2005, 3, 22), true, no_date, false},
         {}},
    };
    for (const DetermineCase& c : cases) {
        SCOPED_TRACE(c.what);
        RequestList list;
        determine_dfiles(list, c.state);
        EXPECT_EQ(requested_names(list), c.expected);
    }
}

TEST(DetermineDfiles, AFileAlreadyWaitingIsNotRequested) {
    RequestList list;
    list.add({waiting, "du050315.clc", no_date});
    determine_dfiles(list, {day(2005, 3, 16), day(2005, 3, 16), day(2005, 3, 14), day(2005, 3, 15), true, no_date,
                            false});
    EXPECT_EQ(requested_names(list), (Names{"DU050316.CLC"}));
}

// Decades of missing files fill the list: it stops full, with every name
// once and no day after today.
TEST(DetermineDfiles, AFullListStopsWithoutRequestingAFileTwiceOrADayAfterToday) {
    testing::TempInstall install;
    const DayNumber today = day(2020, 12, 7);
    RequestList list;
    list.add({waiting, "DU201204.CLC", no_date});
    determine_dfiles(list, {today, day(1989, 12, 29), day(2020, 11, 25), day(1993, 1, 5), true, day(1986, 1, 2), true});
    EXPECT_LE(list.size(), request_list_size);
    std::set<std::string> seen;
    for (const RequestEntry& entry : list.entries()) {
        EXPECT_TRUE(seen.insert(entry.name).second) << entry.name;
        EXPECT_LE(entry.day, today) << entry.name;
    }
    // The IDX years went into month files; the EU files filled the list and
    // their whole months were merged at the end.
    EXPECT_TRUE(seen.count("MU900100.IDX"));
    EXPECT_TRUE(seen.count("MU201100.IDX"));
    EXPECT_TRUE(seen.count("EX860200.CLC"));
}

TEST(CheckEudate, ADateBefore1985IsReplacedByTheNewestDistributorFile) {
    testing::TempInstall install;
    const DayNumber today = day(2020, 12, 7);
    EXPECT_EQ(check_eudate(day(2020, 12, 4), today), day(2020, 12, 4));
    EXPECT_EQ(check_eudate(no_date, today), no_date);
    EXPECT_EQ(check_eudate(day(1980, 1, 2), today), today - 10);
    install.write("UPDATES/EXTRA.TXT", "not an update file");
    EXPECT_EQ(check_eudate(day(1980, 1, 2), today), today - 10);
    install.write("UPDATES/E_201202.CLC", "x");
    install.write("UPDATES/EU201203.CLC", "x");
    EXPECT_EQ(check_eudate(day(1980, 1, 2), today), day(2020, 12, 3));
}

}  // namespace
}  // namespace qv::request
