#include "builder/idx_series.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <vector>

#include "builder/index_tags.h"
#include "common/platform/files.h"
#include "common/idx_file.h"
#include "common/messages.h"
#include "common/platform/text.h"
#include "common/tool.h"

namespace qv::builder {

namespace {

constexpr std::size_t value_length = 24;     // characters kept of one value
constexpr std::size_t unknown_tag_fields = 99;  // an index outside the table: every value of a line
constexpr double missing_value = -9999.0;
// Before this day (25 May 1952) the exchanges traded on Saturdays.
constexpr DayNumber index_saturday_end = 19139;

std::optional<int> digits(std::string_view text, std::size_t at, std::size_t count) {
    if (at + count > text.size()) return std::nullopt;
    int value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9') return std::nullopt;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

std::string_view trimmed(std::string_view line) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r' || line.back() == ' ')) line.remove_suffix(1);
    return line;
}

void show_problem(const std::string& path) { message(builder_profile, "PROBLEM READING IDX FILE@" + path); }

// One line of the index: its day and the text of each of its fields.
struct Observation {
    DayNumber day = no_date;
    std::vector<std::string> texts;
};

double value_of(const std::string& text) { return std::strtod(text.c_str(), nullptr); }

// How a periodic index writes an interpolated value of field n (from 1).
std::string interpolated_text(std::string_view tag, std::size_t n, double value) {
    int decimals = 0;  // none: a whole number
    if (tag == "W1" || (tag == "W2" && n == 12)) {
        decimals = 2;
    } else if (tag == "W4") {
        if (n == 4 || n == 5 || n == 13 || n == 17) {
            decimals = 1;
        } else if (n != 1 && n != 2 && n != 3 && n != 14) {
            decimals = 2;
        }
    }
    std::string text;
    if (decimals > 0) {
        append_fixed(text, value, decimals);
        return text;
    }
    // The fraction is cut off; a value beyond the whole numbers (a damaged
    // line) is held at their limits rather than left undefined.
    long long whole = 0;
    if (value >= 9.2e18) {
        whole = std::numeric_limits<long long>::max();
    } else if (value <= -9.2e18) {
        whole = std::numeric_limits<long long>::min();
    } else if (!std::isnan(value)) {
        whole = static_cast<long long>(std::trunc(value));
    }
    append_whole(text, whole);
    return text;
}

class IdxSeries final : public InputSeries {
public:
    IdxSeries(FilePtr file, std::string path, const InputLine& input, BuildContext& context, DayNumber first_day)
        : file_(std::move(file)),
          path_(std::move(path)),
          input_(input),
          context_(context),
          tag_(input.series.substr(0, 2)),
          periodic_(is_periodic_index(tag_)),
          field_limit_(find_index_tag(tag_) ? static_cast<std::size_t>(index_field_count(tag_)) : unknown_tag_fields),
          first_day_(first_day),
          since_last_(context.settings.include_holidays, context.holidays),
          between_(context.settings.include_holidays, context.holidays) {}

    FieldsResult append_fields(std::string& line, DayNumber day) override {
        context_.index_saturday = day < index_saturday_end;
        if (first_day_ != no_date && day < first_day_) {
            fill(line, "0");
            return FieldsResult::ok;
        }
        while (true) {
            std::string text;
            if (!next_line(text)) {
                if (previous_.empty()) {
                    fill(line, "0");
                } else {
                    repeat_previous(line, day);
                }
                return FieldsResult::ok;
            }
            if (trimmed(text).empty()) continue;
            std::optional<Observation> seen = observation(text);
            if (!seen) {
                show_problem(path_);
                return FieldsResult::stopped;
            }
            if (seen->day < day) {
                // A periodic report passed over still is the last one known:
                // a report dated on a day that is no output day (a holiday, a
                // Saturday) must not be skipped by the interpolation.
                if (periodic_) last_ = *seen;
                passed_ = std::move(*seen);
                continue;
            }
            if (seen->day == day) {
                if (periodic_) last_ = *seen;
                append_values(line, seen->texts);
                return FieldsResult::ok;
            }
            pending_ = std::move(text);
            if (periodic_) {
                interpolate(line, day, *seen);
            } else {
                switch (context_.settings.value_of_included_holiday) {
                case 'Z': fill(line, "0"); break;
                case 'N': fill(line, "-1"); break;
                default: repeat_previous(line, day); break;
                }
            }
            return FieldsResult::ok;
        }
    }

private:
    bool next_line(std::string& text) {
        if (pending_) {
            text = std::move(*pending_);
            pending_.reset();
            return true;
        }
        return read_idx_line(file_.get(), text);
    }

    std::optional<Observation> observation(std::string_view text) const {
        std::size_t values_at = 0;
        const std::optional<DayNumber> day = idx_series_line_day(text, &values_at);
        if (!day) return std::nullopt;
        std::string_view rest = trimmed(text).substr(values_at);
        if (periodic_) {
            while (!rest.empty() && (rest.back() == '*' || rest.back() == ' ')) rest.remove_suffix(1);
        }
        Observation seen{*day, {}};
        std::size_t at = 0;
        while (seen.texts.size() < field_limit_) {
            while (at < rest.size() && (rest[at] == ' ' || rest[at] == '\t')) ++at;
            if (at == rest.size()) break;
            std::size_t end = at;
            while (end < rest.size() && rest[end] != ' ' && rest[end] != '\t') ++end;
            seen.texts.emplace_back(rest.substr(at, std::min(end - at, value_length)));
            at = end;
        }
        return seen;
    }

    // Appends one column per field term: the field's text as it stands, or the
    // operator's result; a missing value repeats the column of the day before.
    void append_values(std::string& line, const std::vector<std::string>& texts) {
        append_columns(line, columns_of(texts));
    }

    std::vector<std::string> columns_of(const std::vector<std::string>& texts) const {
        std::vector<std::string> columns;
        columns.reserve(input_.terms.size());
        for (std::size_t k = 0; k < input_.terms.size(); ++k) {
            const FieldTerm& term = input_.terms[k];
            const std::size_t field = static_cast<std::size_t>(term.field);
            const std::string text = field >= 1 && field <= texts.size() ? texts[field - 1] : "0";
            const double value = value_of(text);
            if (value == missing_value) {
                columns.push_back(k < previous_.size() ? previous_[k] : "0");
            } else if (term.op == '\0') {
                columns.push_back(text);
            } else {
                columns.push_back(format("%G", apply_operator(term, value, 0.00001)));
            }
        }
        return columns;
    }

    void interpolate(std::string& line, DayNumber day, const Observation& next) {
        if (!last_) {
            fill(line, "0");
            return;
        }
        const double fraction = static_cast<double>(since_last_.steps(last_->day, day)) /
                                static_cast<double>(between_.steps(last_->day, next.day));
        const bool linear = context_.settings.idx_interpolation_method == '2';
        std::vector<std::string> texts;
        for (std::size_t n = 0; n < last_->texts.size(); ++n) {
            double value = value_of(last_->texts[n]);
            // A missing value at either end leaves nothing to move between.
            if (linear && n < next.texts.size() && value != missing_value) {
                const double towards = value_of(next.texts[n]);
                if (towards != missing_value) value += (towards - value) * fraction;
            }
            texts.push_back(interpolated_text(tag_, n + 1, value));
        }
        append_values(line, texts);
    }

    void fill(std::string& line, const char* text) {
        append_columns(line, std::vector<std::string>(input_.terms.size(), text));
    }

    // A day without a line repeats what was appended last. Until anything has
    // been appended (the output began after lines of the series), the last
    // line passed over gives the previous day's values: appending nothing
    // would shift the columns of the inputs after this one.
    void repeat_previous(std::string& line, DayNumber day) {
        std::vector<std::string> columns = previous_;
        if (columns.empty()) {
            if (!passed_) {
                fill(line, "0");
                return;
            }
            columns = columns_of(passed_->texts);
        }
        if (has_weekday_fields(tag_)) {
            // The weekday fields hold the day of the week (1 to 7); a repeated
            // line is set to the current day's, Sunday 0 to Saturday 6.
            const char today = static_cast<char>('0' + weekday(day) - 1);
            for (std::string& column : columns) {
                if (column.size() == 1 && column[0] >= '1' && column[0] <= '7') column[0] = today;
            }
        }
        append_columns(line, std::move(columns));
    }

    void append_columns(std::string& line, std::vector<std::string> columns) {
        const char separator = context_.settings.column_separator();
        for (const std::string& column : columns) {
            line += separator;
            line += column;
        }
        previous_ = std::move(columns);
    }

    FilePtr file_;
    std::string path_;
    InputLine input_;
    BuildContext& context_;
    std::string tag_;
    bool periodic_;
    std::size_t field_limit_;
    DayNumber first_day_;
    std::optional<std::string> pending_;  // read ahead: dated after the day it was read for
    std::optional<Observation> last_;     // a periodic index's last report
    std::optional<Observation> passed_;   // the last line passed over
    std::vector<std::string> previous_;   // the columns appended last
    OutputDayCount since_last_;
    OutputDayCount between_;
};

// The day of the file's first line that is not blank; nothing when that line
// carries no date, no_date when the file has no such line.
std::optional<DayNumber> first_line_day(std::FILE* file) {
    std::string text;
    while (read_idx_line(file, text)) {
        if (trimmed(text).empty()) continue;
        return idx_series_line_day(text);
    }
    return no_date;
}

}  // namespace

std::optional<DayNumber> idx_series_line_day(std::string_view line, std::size_t* values_at) {
    line = trimmed(line);
    const std::size_t token = std::min(line.find(' '), line.size());
    std::optional<int> year, month, day;
    std::size_t length = 0;
    if (token >= 7) {
        year = digits(line, 0, 4);
        month = digits(line, 4, 2);
        day = digits(line, 6, 2);
        length = 8;
    } else {
        year = digits(line, 0, 2);
        if (year) *year += 1900;
        month = digits(line, 2, 2);
        day = digits(line, 4, 2);
        length = 6;
    }
    if (!year || !month || !day || *month < 1 || *month > 12 || *day < 1 || *day > 31) return std::nullopt;
    // Day numbers end on 4 June 2079.
    if (*year < 1900 || *year > 2079 || (*year == 2079 && (*month > 6 || (*month == 6 && *day > 4)))) {
        return std::nullopt;
    }
    const DayNumber number = date_to_lotus(*year, *month, *day);
    if (number < first_day_number) return std::nullopt;
    if (values_at) *values_at = length;
    return number;
}

SpanResult idx_day_span(const std::string& path, const InputLine&, const BuildContext&, DaySpan& span) {
    const FilePtr file = open_file(path, "r");
    if (!file) return SpanResult::missing;
    const std::optional<DayNumber> first = first_line_day(file.get());
    if (!first) {
        show_problem(path);
        return SpanResult::refused;
    }
    if (*first == no_date) {
        span.first = no_date;
        span.last = unknown_last_day;
        return SpanResult::ok;
    }
    span.first = *first;
    const std::optional<std::string> last = last_idx_line(path);
    const std::optional<DayNumber> last_day = last ? idx_series_line_day(*last) : std::nullopt;
    span.last = last_day ? *last_day : unknown_last_day;
    return SpanResult::ok;
}

std::unique_ptr<InputSeries> open_idx_series(const std::string& path, const InputLine& input, BuildContext& context,
                                             OpenResult& result) {
    FilePtr file = open_file(path, "r");
    if (!file) {
        result = OpenResult::cannot_open;
        return nullptr;
    }
    // The first line's day tells the days before the series; a first line
    // without a date is met again, and reported, when the days reach it.
    const DayNumber first_day = first_line_day(file.get()).value_or(no_date);
    std::rewind(file.get());
    result = OpenResult::ok;
    return std::make_unique<IdxSeries>(std::move(file), path, input, context, first_day);
}

}  // namespace qv::builder
