#include "builder/series.h"

#include <cstdlib>

#include "common/platform/console.h"
#include "common/platform/text.h"

namespace qv::builder {

char BuildContext::separator() const {
    switch (settings.col_separator_character) {
    case 'S': return ' ';
    case 'T': return '\t';
    default: return ',';
    }
}

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

void show_year_processed(int year) {
    static int shown = -1;
    if (year == shown) return;
    shown = year;
    const std::string text = format("%d", year);
    console().draw({{46, 20, text}});
}

}  // namespace qv::builder
