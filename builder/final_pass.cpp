#include "builder/final_pass.h"

#include <cctype>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <vector>

#include "builder/output_table.h"
#include "common/calendar.h"
#include "common/sampling.h"
#include "common/messages.h"
#include "common/platform/text.h"
#include "common/tool.h"

namespace qv::builder {

namespace {

// Weekdays as the sampling rules count them: Sunday 0 to Saturday 6.
constexpr int monday = 1;
constexpr int tuesday = 2;
constexpr int wednesday = 3;
constexpr int thursday = 4;
constexpr int friday = 5;
constexpr int saturday_0 = 6;

struct TableLine {
    std::string_view text;
    Date date;
    DayNumber day = no_date;
    int weekday = 0;
    int month_key = 0;  // months counted from year 0, so that a change of year is a change of month
};

// The open bar of the bar periods: open, high, low and close, and the
// optional volume and open interest, of the lines joined so far.
struct Bar {
    std::string date;
    std::string open, high, low, close, open_interest;
    double high_value = 0.0;
    double low_value = 0.0;
    long volume = 0;
    int columns = 0;
    int days = 0;
};

std::vector<std::string_view> split_columns(std::string_view rest, char separator) {
    std::vector<std::string_view> columns;
    // Every column is preceded by the separator.
    std::size_t at = 0;
    while (at < rest.size()) {
        if (rest[at] == separator) ++at;
        const std::size_t end = std::min(rest.find(separator, at), rest.size());
        columns.push_back(rest.substr(at, end - at));
        at = end;
    }
    return columns;
}

double number_of(std::string_view text) { return std::strtod(std::string(text).c_str(), nullptr); }

// A volume as a whole number, the fraction cut off; a figure beyond the range
// of a long (an ASCII input may hold one) is held at its limit.
long whole_volume(std::string_view text) {
    const double value = number_of(text);
    if (std::isnan(value)) return 0;
    if (value >= static_cast<double>(LONG_MAX)) return LONG_MAX;
    if (value <= static_cast<double>(LONG_MIN)) return LONG_MIN;
    return static_cast<long>(value);
}

long add_volume(long sum, long volume) {
    long total = 0;
    if (__builtin_add_overflow(sum, volume, &total)) return volume > 0 ? LONG_MAX : LONG_MIN;
    return total;
}

}  // namespace

struct FinalPass::State {
    char period = 'D';
    char date_format = '3';
    char separator = ',';
    int days_per_bar = 1;
    int target = friday;            // the weekly sample's weekday
    bool filter_saturdays = false;
    const HolidayTable* holidays = nullptr;
    LineSink sink;

    // The line seen last (weekly and monthly samples), and whether it has been written.
    std::string held;
    std::optional<TableLine> held_line;
    bool held_written = false;

    // Bars.
    std::optional<Bar> bar;
    int first_month_key = -1;
    std::optional<TableLine> previous;

    bool emit(std::string_view line) { return sink(line); }

    bool hold(const TableLine& line, bool written) {
        held.assign(line.text);
        held_line = line;
        held_line->text = held;
        held_written = written;
        return true;
    }

    bool add_weekly(const TableLine& line);
    bool add_monthly(const TableLine& line);
    bool add_bar(const TableLine& line);
    bool start_bar(const TableLine& line, const std::vector<std::string_view>& columns);
    void join_bar(const TableLine& line, const std::vector<std::string_view>& columns);
    bool write_bar();
};

FinalPass::FinalPass(const BuildSettings& settings, const HolidayTable& holidays, bool index_saturday, LineSink sink)
    : state_(std::make_shared<State>()) {
    State& state = *state_;
    state.period = static_cast<char>(std::toupper(static_cast<unsigned char>(settings.sampling_period)));
    state.date_format = settings.output_date_format;
    state.separator = settings.column_separator();
    state.days_per_bar = std::max(1, std::atoi(settings.days_per_bar.c_str()));
    if (state.period >= '1' && state.period <= '6') {
        state.target = state.period - '0';
    } else {
        state.target = index_saturday ? saturday_0 : friday;
    }
    const char saturday_trading =
        static_cast<char>(std::toupper(static_cast<unsigned char>(settings.idx_includes_sat_trading)));
    state.filter_saturdays = index_saturday && saturday_trading == 'N';
    state.holidays = &holidays;
    state.sink = std::move(sink);
}

bool FinalPass::add(std::string_view text) {
    State& state = *state_;
    const auto date = read_output_date(text, state.date_format);
    if (!date) {
        message(builder_profile, bad_output_date_message);
        return false;
    }
    // A daily output takes every line as it is: the day need not be worked out.
    if (state.period == 'D' && !state.filter_saturdays) return state.emit(text);
    TableLine line;
    line.text = text;
    line.date = *date;
    line.day = date_to_lotus(*date);
    line.weekday = weekday(line.day) - 1;
    line.month_key = date->year * 12 + date->month - 1;
    if (state.filter_saturdays && line.weekday == saturday_0) return true;

    switch (state.period) {
        case 'D': return state.emit(text);
        case 'W': case '1': case '2': case '3': case '4': case '5': case '6': return state.add_weekly(line);
        case 'M': return state.add_monthly(line);
        case 'K': case 'H': case 'B': return state.add_bar(line);
        default: return true;  // only the title and heading lines
    }
}

bool FinalPass::finish() {
    State& state = *state_;
    switch (state.period) {
        case 'W': case '1': case '2': case '3': case '4': case '5': case '6':
            // A week cut short by a holiday on its Friday still gets its Thursday.
            if (state.held_line && !state.held_written && state.held_line->weekday == thursday &&
                state.holidays->contains(static_cast<DayNumber>(state.held_line->day + 1))) {
                state.held_written = true;
                return state.emit(state.held);
            }
            return true;
        case 'M':
            if (state.held_line && !state.held_written && closes_month(state.held_line->date, state.held_line->weekday)) {
                state.held_written = true;
                return state.emit(state.held);
            }
            return true;
        case 'K': case 'H': case 'B': return state.write_bar();
        default: return true;
    }
}

// A line on the target weekday is written. When a week has gone by without
// one (a holiday, or no data that day), the last line before the target is
// written instead, once the next line shows that the week is over.
bool FinalPass::State::add_weekly(const TableLine& line) {
    if (line.weekday == target) {
        if (!emit(line.text)) return false;
        return hold(line, true);
    }
    if (held_line) {
        const int before = held_line->weekday;
        const bool early_in_week = line.weekday == monday || line.weekday == tuesday;
        const bool passed = (line.weekday > target && before < target) ||
                            (target == saturday_0 && early_in_week && (before == thursday || before == friday)) ||
                            (target == friday && early_in_week && (before == wednesday || before == thursday));
        if (passed && !held_written && !emit(held)) return false;
    }
    return hold(line, false);
}

// The last line of each month, written once the next line is in another month.
bool FinalPass::State::add_monthly(const TableLine& line) {
    if (held_line && held_line->month_key != line.month_key && !held_written) {
        if (!emit(held)) return false;
    }
    return hold(line, false);
}

bool FinalPass::State::add_bar(const TableLine& line) {
    const std::size_t date_length = date_text_length(date_format);
    const std::string_view rest = line.text.size() > date_length ? line.text.substr(date_length) : std::string_view();
    const auto columns = split_columns(rest, separator);
    if (columns.size() < 4) {
        message(builder_profile, "ERROR-TOO FEW FIELDS SPECIFIED TO BUILD@WEEKLY, MONTHLY OR BLOCK BARS");
        return false;
    }
    if (columns.size() > 6) {
        message(builder_profile, "ERROR-TOO MANY FIELDS SPECIFIED TO BUILD@WEEKLY, MONTHLY OR BLOCK BARS");
        return false;
    }
    if (first_month_key < 0) first_month_key = line.month_key;

    bool starts = false;
    if (!bar) {
        // Lines before the first whole week or month are left out.
        switch (period) {
            case 'K': starts = line.weekday == monday || (previous && line.weekday < previous->weekday); break;
            case 'H':
                starts = line.date.day == 1 || (line.weekday == monday && (line.date.day == 2 || line.date.day == 3)) ||
                         line.month_key != first_month_key;
                break;
            default: starts = true; break;
        }
    } else {
        switch (period) {
            case 'K': starts = line.weekday < previous->weekday && bar->days > 2; break;
            case 'H': starts = line.month_key != previous->month_key && bar->days > 15; break;
            default: starts = bar->days >= days_per_bar; break;
        }
    }
    previous = line;
    previous->text = {};
    if (starts) return start_bar(line, columns);
    if (bar) join_bar(line, columns);
    return true;
}

bool FinalPass::State::start_bar(const TableLine& line, const std::vector<std::string_view>& columns) {
    if (!write_bar()) return false;
    Bar opened;
    opened.date.assign(line.text.substr(0, date_text_length(date_format)));
    opened.open.assign(columns[0]);
    opened.high.assign(columns[1]);
    opened.low.assign(columns[2]);
    opened.close.assign(columns[3]);
    opened.high_value = number_of(columns[1]);
    opened.low_value = number_of(columns[2]);
    if (columns.size() > 4) opened.volume = whole_volume(columns[4]);
    if (columns.size() > 5) opened.open_interest.assign(columns[5]);
    opened.columns = static_cast<int>(columns.size());
    opened.days = 1;
    bar = std::move(opened);
    return true;
}

void FinalPass::State::join_bar(const TableLine& line, const std::vector<std::string_view>& columns) {
    Bar& open_bar = *bar;
    open_bar.date.assign(line.text.substr(0, date_text_length(date_format)));
    const double high_value = number_of(columns[1]);
    if (high_value > open_bar.high_value) {
        open_bar.high_value = high_value;
        open_bar.high.assign(columns[1]);
    }
    const double low_value = number_of(columns[2]);
    if (low_value < open_bar.low_value) {
        open_bar.low_value = low_value;
        open_bar.low.assign(columns[2]);
    }
    open_bar.close.assign(columns[3]);
    if (columns.size() > 4) open_bar.volume = add_volume(open_bar.volume, whole_volume(columns[4]));
    if (columns.size() > 5) open_bar.open_interest.assign(columns[5]);
    open_bar.columns = std::max(open_bar.columns, static_cast<int>(columns.size()));
    ++open_bar.days;
}

bool FinalPass::State::write_bar() {
    if (!bar) return true;
    const Bar done = std::move(*bar);
    bar.reset();
    std::string line = done.date;
    for (const std::string* column : {&done.open, &done.high, &done.low, &done.close}) {
        line += separator;
        line += *column;
    }
    if (done.columns > 4) {
        line += separator;
        append_whole(line, done.volume);
    }
    if (done.columns > 5) {
        line += separator;
        line += done.open_interest;
    }
    return emit(line);
}

}  // namespace qv::builder
