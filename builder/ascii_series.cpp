#include "builder/ascii_series.h"

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <vector>

#include "common/platform/files.h"
#include "common/messages.h"
#include "common/platform/text.h"
#include "common/tool.h"

namespace qv::builder {

namespace {

constexpr std::size_t data_line_least = 10;  // shorter lines are never data lines
constexpr std::size_t most_fields = 250;     // fields of a data line that can be used
constexpr double zero_divisor = 0.00001;     // what "/" by a zero number divides by

bool is_digit(char c) { return c >= '0' && c <= '9'; }

bool is_data_line(std::string_view line) {
    if (line.size() < data_line_least) return false;
    return is_digit(line[0]) || (line[0] == '"' && is_digit(line[1]));
}

// The date at the start of a data line and where its fields begin.
struct LineDate {
    Date date;
    int type = 0;               // 1 to 8; 0 for a slashed year of neither two nor four digits
    std::size_t fields_at = 0;  // just after the date text (and its closing quote)
};

// Reads the digits at `at` as a number; nothing when there are none.
std::optional<int> read_number(std::string_view text, std::size_t& at, std::size_t& digits,
                               std::size_t most = std::string_view::npos) {
    const std::size_t start = at;
    long value = 0;
    while (at < text.size() && at - start < most && is_digit(text[at])) {
        value = std::min(value * 10 + (text[at] - '0'), 99999999L);
        ++at;
    }
    digits = at - start;
    if (digits == 0) return std::nullopt;
    return static_cast<int>(value);
}

// Two-digit years of ASCII files are read as the builder's option dates are:
// 00 to 49 are 2000 to 2049, 50 to 99 are 1950 to 1999.
int widen_year(int year) { return year < 50 ? year + 2000 : year + 1900; }

// The date of a data line: slashed (one of the first four characters is "/")
// as month, any character, day, any character, year; otherwise YYMMDD when
// fewer than eight digits lead the line, else YYYYMMDD. Nothing when the date
// does not read or names no day of the year.
std::optional<LineDate> read_line_date(std::string_view line) {
    const bool quoted = !line.empty() && line[0] == '"';
    const bool slashed = line.substr(0, 4).find('/') != std::string_view::npos;
    std::size_t at = quoted ? 1 : 0;
    std::size_t digits = 0;
    LineDate result;
    if (slashed) {
        const auto month = read_number(line, at, digits);
        if (!month || at >= line.size()) return std::nullopt;
        ++at;
        const auto day = read_number(line, at, digits);
        if (!day || at >= line.size()) return std::nullopt;
        ++at;
        const auto year = read_number(line, at, digits);
        if (!year) return std::nullopt;
        if (digits <= 2) {
            result.type = 1;
            result.date = {widen_year(*year), *month, *day};
        } else {
            result.type = digits == 4 ? 5 : 0;
            result.date = {*year, *month, *day};
        }
    } else {
        std::size_t lead = at;
        while (lead < line.size() && is_digit(line[lead])) ++lead;
        const bool long_year = lead - at >= 8;
        if (lead - at < 6) return std::nullopt;
        const auto year = read_number(line, at, digits, long_year ? 4 : 2);
        const auto month = read_number(line, at, digits, 2);
        const auto day = read_number(line, at, digits, 2);
        result.type = long_year ? 7 : 3;
        result.date = {long_year ? *year : widen_year(*year), *month, *day};
    }
    if (result.date.month < 1 || result.date.month > 12 || result.date.day < 1 || result.date.day > 31) {
        return std::nullopt;
    }
    if (quoted) {
        if (result.type != 0) ++result.type;
        if (at < line.size() && line[at] == '"') ++at;
    }
    result.fields_at = at;
    return result;
}

int date_key(const Date& date) { return date.year * 10000 + date.month * 100 + date.day; }

// The day number of a date, kept within the days a day number can hold.
DayNumber day_of(const Date& date) {
    static const int first = date_key(lotus_to_date(first_day_number));
    static const int last = date_key(lotus_to_date(last_day_number));
    if (date_key(date) < first) return first_day_number;
    if (date_key(date) > last) return last_day_number;
    return date_to_lotus(date);
}

// The fields of a data line: the runs of 0-9 . + - E e after the date.
std::vector<std::string> split_fields(std::string_view line, std::size_t from) {
    constexpr std::string_view number_characters = "0123456789.+-Ee";
    std::vector<std::string> fields;
    std::size_t at = std::min(from, line.size());
    while (true) {
        const std::size_t start = line.find_first_of(number_characters, at);
        if (start == std::string_view::npos) break;
        std::size_t end = line.find_first_not_of(number_characters, start);
        if (end == std::string_view::npos) end = line.size();
        fields.emplace_back(line.substr(start, end - start));
        at = end;
    }
    return fields;
}

// The next line of the file that is a data line, without its line end, however
// long it is. False at the end of the file.
bool next_data_line(std::FILE* file, std::string& line) {
    while (read_whole_line(file, line)) {
        if (line.back() == '\n') line.pop_back();
        if (is_data_line(line)) return true;
    }
    return false;
}

void show(const std::string& text, int code = 0) { message(builder_profile, text, code); }

class AsciiSeries final : public InputSeries {
public:
    AsciiSeries(FilePtr file, std::string path, const InputLine& input, const BuildContext& context)
        : file_(std::move(file)), path_(std::move(path)), terms_(input.terms), settings_(context.settings),
          separator_(context.settings.column_separator()), input_number_(context.input_number) {
        // Reading starts at the first data line whose date reads, the line the
        // check of the file took its first day from.
        std::string line;
        while (next_data_line(file_.get(), line)) {
            if (read_line_date(line)) {
                pending_ = std::move(line);
                break;
            }
        }
    }

    FieldsResult append_fields(std::string& line, DayNumber day) override {
        const int wanted = date_key(lotus_to_date(day));
        while (true) {
            std::string text;
            if (pending_) {
                text = std::move(*pending_);
                pending_.reset();
            } else if (!next_data_line(file_.get(), text)) {
                return append_previous(line);
            }
            const std::optional<LineDate> date = read_line_date(text);
            if (!date) {
                show(format("TROUBLE READING ASCII FILE %s", path_.c_str()));
                return FieldsResult::stopped;
            }
            show_year_processed(date->date.year);
            const int key = date_key(date->date);
            if (key > wanted) {
                // Read again for a later day.
                pending_ = std::move(text);
                switch (settings_.value_of_included_holiday) {
                    case 'Z': return append_filler(line, "0");
                    case 'N': return append_filler(line, "-1");
                    default: return append_previous(line);
                }
            }
            previous_ = split_fields(text, date->fields_at);
            if (key == wanted) return append_values(line, *previous_);
        }
    }

private:
    FieldsResult append_values(std::string& line, const std::vector<std::string>& fields) {
        std::string columns;
        for (const FieldTerm& term : terms_) {
            if (term.field < 1 || static_cast<std::size_t>(term.field) > fields.size()) {
                show("TOO FEW DATA FIELDS IN ASCII INPUT FILE, NUMBER", input_number_);
                return FieldsResult::stopped;
            }
            const std::string& field = fields[term.field - 1];
            columns += separator_;
            if (term.op == '\0') {
                columns += field;
            } else {
                columns += format("%G", apply_operator(term, std::strtod(field.c_str(), nullptr), zero_divisor));
            }
        }
        line += columns;
        return FieldsResult::ok;
    }

    // The values of the last data line read before the day. Before the file's
    // first data line there are none: the first input then leaves the day out,
    // and a later one writes 0s so that the columns of the day's line stay in
    // their places.
    FieldsResult append_previous(std::string& line) {
        if (previous_) return append_values(line, *previous_);
        if (input_number_ == 1) return FieldsResult::ok;
        return append_filler(line, "0");
    }

    FieldsResult append_filler(std::string& line, std::string_view value) {
        for (std::size_t i = 0; i < terms_.size(); ++i) {
            line += separator_;
            line += value;
        }
        return FieldsResult::ok;
    }

    FilePtr file_;
    std::string path_;
    std::vector<FieldTerm> terms_;
    const BuildSettings& settings_;
    char separator_;
    int input_number_;
    std::optional<std::string> pending_;                   // a data line dated after the day last asked for
    std::optional<std::vector<std::string>> previous_;     // the fields of the last data line before it
};

}  // namespace

SpanResult ascii_day_span(const std::string& path, const InputLine& input, const BuildContext& context,
                          DaySpan& span) {
    FilePtr file = open_file(path, "r");
    if (!file) return SpanResult::missing;

    std::string line;
    std::optional<LineDate> date;
    while (!date && next_data_line(file.get(), line)) date = read_line_date(line);
    if (!date) {
        show("UNABLE TO READ ASCII INPUT FILE@" + path);
        return SpanResult::refused;
    }
    if (date->type < 1 || date->type > 8) {
        show(format("ERROR-INVALID DATE TYPE OF %d", date->type));
        return SpanResult::refused;
    }

    int highest = 0;
    for (const FieldTerm& term : input.terms) {
        if (term.field == 0) {
            show(format("0 IS AN INVALID FIELD NUMBER@%s", path.c_str()));
            return SpanResult::refused;
        }
        highest = std::max(highest, term.field);
    }
    const std::size_t fields = split_fields(line, date->fields_at).size();
    if (fields > most_fields) {
        show("ASCII INPUT FILE EXCEEDS MAX NUMBER DATA FIELDS SUPPORTED, LINE", context.input_number);
        return SpanResult::refused;
    }
    if (fields == 0) {
        show("NO DATA FIELDS IN ASCII INPUT FILE. FILE NUMBER", context.input_number);
        return SpanResult::refused;
    }
    if (fields < static_cast<std::size_t>(highest)) {
        show("NOT ENOUGH FIELDS IN ASCII INPUT FILE, LINE", context.input_number);
        return SpanResult::refused;
    }
    span.first = day_of(date->date);
    span.last = unknown_last_day;
    return SpanResult::ok;
}

std::unique_ptr<InputSeries> open_ascii_series(const std::string& path, const InputLine& input,
                                               BuildContext& context, OpenResult& result) {
    FilePtr file = open_file(path, "r");
    if (!file) {
        result = OpenResult::cannot_open;
        return nullptr;
    }
    result = OpenResult::ok;
    return std::make_unique<AsciiSeries>(std::move(file), path, input, context);
}

}  // namespace qv::builder
