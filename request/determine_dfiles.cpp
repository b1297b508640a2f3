#include "request/determine_dfiles.h"

#include <string_view>

#include "common/cot_file.h"
#include "common/settings.h"
#include "request/compress_to_month.h"

namespace qv::request {

namespace {

// EU LAST DATE after this day number but before 10 October 1985 is taken for
// a damaged date.
constexpr DayNumber eu_date_floor = 300;
constexpr DayNumber eu_date_stale = 31330;

bool is_weekday(DayNumber day) {
    const int w = weekday(day);
    return w != saturday && w != sunday;
}

// How a step treats a full list: the daily database and COT steps merge whole
// months to make room, the EU step stops at once.
enum class WhenFull { compress, stop };

// Adds one request. False when the list is full afterwards even after merging
// months: the requests then stop where they are.
bool request(RequestList& list, std::string_view kind, DayNumber day, std::string_view extension, WhenFull when_full) {
    if (!list.add({requested, request_name(kind, day, extension), day})) return false;
    if (list.full() && when_full == WhenFull::compress) compress_to_month(list);
    return !list.full();
}

// Every weekday after `after` up to `last`.
bool request_days(RequestList& list, std::string_view kind, std::string_view extension, DayNumber after,
                  DayNumber last, WhenFull when_full) {
    for (DayNumber day = next_weekday(after); day != no_date && day <= last; day = next_weekday(day))
        if (!request(list, kind, day, extension, when_full)) return false;
    return true;
}

// A database without a day starts from the last two weekdays.
bool request_database(RequestList& list, std::string_view extension, DayNumber newest, DayNumber before_last,
                      DayNumber last) {
    if (newest == no_date)
        return request(list, "DU", before_last, extension, WhenFull::compress) &&
               request(list, "DU", last, extension, WhenFull::compress);
    return request_days(list, "DU", extension, newest, last, WhenFull::compress);
}

// The COT reports released by today: each report Tuesday after the newest
// report, up to the last weekday, whose release Friday has come. A database
// without a report starts from the latest report released.
bool request_cot_reports(RequestList& list, DayNumber newest, DayNumber last, DayNumber today) {
    if (newest == no_date) {
        if (last < first_cot_release_day) return true;
        const auto release = static_cast<DayNumber>(last - (last - first_cot_release_day) % 7);
        return request(list, "DU", static_cast<DayNumber>(release - cot_release_delay), "COT", WhenFull::compress);
    }
    for (long report = next_cot_report_day(newest); report != no_date && report <= last &&
                                                    report + cot_release_delay <= today;
         report += 7) {
        const auto day = static_cast<DayNumber>(report);
        for (std::string_view kind : {"DU", "SM", "SX"})
            if (!request(list, kind, day, "COT", WhenFull::compress)) return false;
    }
    return true;
}

}  // namespace

DayNumber last_weekday_on_or_before(DayNumber day) {
    while (day > first_day_number && !is_weekday(day)) --day;
    return day;
}

DayNumber check_eudate(DayNumber eu_last_date, DayNumber today) {
    if (eu_last_date > eu_date_floor && eu_last_date < eu_date_stale) return newest_eu_update_date(today);
    return eu_last_date;
}

void determine_dfiles(RequestList& list, const RequestState& state) {
    const DayNumber last = last_weekday_on_or_before(state.today);
    const DayNumber before_last = last_weekday_on_or_before(static_cast<DayNumber>(last - 1));
    // Each step runs only while the list has room.
    bool room = request_database(list, "IDX", state.newest_idx, before_last, last);
    if (room) compress_to_month(list);
    if (room && state.clc_database) room = request_database(list, "CLC", state.newest_clc, before_last, last);
    if (room) {
        const DayNumber eu_last_date = check_eudate(state.eu_last_date, state.today);
        if (eu_last_date != no_date && state.extended_contracts)
            room = request_days(list, "EU", "CLC", eu_last_date, last, WhenFull::stop);
    }
    if (room) request_cot_reports(list, state.newest_cot, last, state.today);
    compress_to_month(list);
    list.delete_dup_files();
}

}  // namespace qv::request
