#include "builder/series.h"

#include <cstdlib>

#include "common/platform/console.h"
#include "common/platform/text.h"

namespace qv::builder {

long OutputDayCount::steps(DayNumber from, DayNumber target) {
    if (from != from_ || target < target_ || steps_ == 0) {
        from_ = from;
        day_ = from;
        steps_ = 0;
        ended_ = false;
    }
    target_ = target;
    while (!ended_ && (day_ <= target || steps_ == 0)) {
        const DayNumber next = next_output_day(day_, include_holidays_, holidays_);
        ++steps_;
        if (next == no_date || next <= day_) {
            ended_ = true;
        } else {
            day_ = next;
        }
    }
    return steps_;
}

namespace {

// The year shown beside "Year Processed:", and its first and last day.
struct ShownYear {
    int year = -1;
    DayNumber first = 1;
    DayNumber last = 0;
};

ShownYear& shown_year() {
    static ShownYear shown;
    return shown;
}

}  // namespace

void show_year_of(DayNumber day) {
    const ShownYear& shown = shown_year();
    if (day >= shown.first && day <= shown.last) return;
    show_year_processed(lotus_to_date(day).year);
}

void show_year_processed(int year) {
    ShownYear& shown = shown_year();
    if (year == shown.year) return;
    shown.year = year;
    shown.first = date_to_lotus(year, 1, 1);
    shown.last = date_to_lotus(year, 12, 31);
    const std::string text = format("%d", year);
    console().draw({{46, 20, text}});
}

}  // namespace qv::builder
