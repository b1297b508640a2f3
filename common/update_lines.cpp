#include "common/update_lines.h"

#include <cctype>
#include <limits>

#include "common/clc_price.h"
#include "common/platform/text.h"

namespace qv {

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// The line without its line feed.
std::string_view body(std::string_view line) {
    if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
    return line;
}

int two_digits(std::string_view text) {
    if (text.size() < 2 || !is_digit(text[0]) || !is_digit(text[1])) return 0;
    return (text[0] - '0') * 10 + (text[1] - '0');
}

// The date YYMMDD at `at`; false when it is not six digits. Digits that are
// there are still read, so that a message can show them.
bool read_date(std::string_view text, std::size_t at, LineDate& date) {
    const std::string_view digits = at < text.size() ? text.substr(at, 6) : std::string_view();
    date.year = two_digits(digits.substr(0, std::min<std::size_t>(2, digits.size())));
    date.month = digits.size() >= 4 ? two_digits(digits.substr(2, 2)) : 0;
    date.day = digits.size() >= 6 ? two_digits(digits.substr(4, 2)) : 0;
    if (digits.size() != 6) return false;
    for (char c : digits)
        if (!is_digit(c)) return false;
    return true;
}

bool is_calendar_date(const LineDate& date) {
    return date.month >= 1 && date.month <= 12 && date.day >= 1 && date.day <= 31;
}

// The CLC and COT lines widen their years with the add-century rule, which
// leaves 50 to 96 as they are: such a year names no day the database can hold.
bool has_known_century(const LineDate& date) { return add_century(date.year) >= 1997; }

// A price as the update lines write it: a sign, digits, and after a decimal
// point whatever the price conversion reads digit by digit; at least one digit.
bool is_price_token(std::string_view token) {
    std::size_t at = (!token.empty() && (token[0] == '-' || token[0] == '+')) ? 1 : 0;
    bool any_digit = false;
    for (; at < token.size() && token[at] != '.'; ++at) {
        if (!is_digit(token[at])) return false;
        any_digit = true;
    }
    if (at < token.size() && at + 1 < token.size() && is_digit(token[at + 1])) any_digit = true;
    return any_digit;
}

std::string tag_of(std::string_view line) { return to_upper(line.substr(0, 2)); }

// A whole number as "%d" reads it: blanks and tabs, a sign, digits.
bool read_int(std::string_view text, std::size_t& pos, std::int64_t low, std::int64_t high,
              std::int64_t& value) {
    std::size_t at = pos;
    if (!read_whole_number(text, at, value)) return false;
    // A number that does not fit was held at the nearest 64-bit value; the
    // digits themselves tell whether it was too long.
    if (value < low || value > high) return false;
    pos = at;
    return true;
}

}  // namespace

int ClcUpdateLine::year() const {
    if (date.month == 0 || date.day == 0) return date.year;
    return add_century(date.year);
}

DayNumber ClcUpdateLine::day_number() const {
    if (is_rollover()) return no_date;
    return date_to_lotus(year(), date.month, date.day);
}

DayNumber CotUpdateLine::day_number() const { return date_to_lotus(year(), date.month, date.day); }

DayNumber IdxUpdateLine::day_number() const { return date_to_lotus(year(), date.month, date.day); }

LineCheck parse_clc_line(std::string_view line, bool cut, ClcUpdateLine& out) {
    if (!is_valid_tag(line, DatabaseKind::clc)) return LineCheck::skip;
    out = ClcUpdateLine{};
    out.tag = tag_of(line);
    const std::string_view text = body(line);
    const bool dated = read_date(text, 3, out.date);
    if (!dated || cut || !(out.date.is_zero() || (is_calendar_date(out.date) && has_known_century(out.date))))
        return LineCheck::out_of_sync;
    if (text.size() == 9) {
        out.date_only = true;
        return LineCheck::data;
    }
    std::size_t pos = 9;
    for (std::string& price : out.prices) {
        const std::string_view token = next_price_token(text, pos);
        if (!is_price_token(token)) return LineCheck::out_of_sync;
        price.assign(token);
    }
    for (std::int64_t& count : out.counts)
        if (!read_int(text, pos, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max(),
                      count))
            return LineCheck::out_of_sync;
    // The total open interest ends the line; not even a blank may follow it.
    return pos == text.size() ? LineCheck::data : LineCheck::out_of_sync;
}

LineCheck parse_cot_line(std::string_view line, bool cut, CotUpdateLine& out) {
    if (!is_valid_tag(line, DatabaseKind::cot)) return LineCheck::skip;
    out = CotUpdateLine{};
    out.tag = tag_of(line);
    const std::string_view text = body(line);
    if (!read_date(text, 3, out.date) || !is_calendar_date(out.date) || !has_known_century(out.date))
        return LineCheck::out_of_sync;
    if (text.size() == 9) {
        out.date_only = true;
        return LineCheck::data;
    }
    std::size_t pos = 9;
    for (std::int32_t& value : out.values) {
        std::int64_t read = 0;
        if (!read_int(text, pos, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max(),
                      read))
            return LineCheck::out_of_sync;
        value = static_cast<std::int32_t>(read);
    }
    // Anything after the eleventh number is ignored, but on a cut line the
    // eleventh number itself may have lost its last digits.
    return cut && pos == text.size() ? LineCheck::out_of_sync : LineCheck::data;
}

LineCheck parse_idx_line(std::string_view line, bool cut, IdxUpdateLine& out) {
    if (!is_valid_tag(line, DatabaseKind::idx) || line.size() < 4 || line[2] != ' ' || line[3] == ' ')
        return LineCheck::skip;
    out = IdxUpdateLine{};
    out.tag = tag_of(line);
    const std::string_view rest = body(line).substr(3);
    const bool dated = read_date(rest, 0, out.date) && is_calendar_date(out.date);
    // A cut line would be stored without its last fields.
    if (!dated || cut) return LineCheck::out_of_sync;
    // The rest is counted with its line end, also on a last line that has none.
    if (rest.size() + 1 <= 9) {
        out.date_only = true;
        return LineCheck::data;
    }
    out.text = format("%d", out.year() / 100);
    out.text.append(rest);
    return LineCheck::data;
}

UpdateRecordReader::UpdateRecordReader(UpdateLineSource& source, DatabaseKind kind) : source_(source), kind_(kind) {}

const std::string* UpdateRecordReader::next_tagged_line() {
    for (;;) {
        const std::string* line = source_.peek();
        if (!line) return nullptr;
        const bool tagged = kind_ == DatabaseKind::idx
                                ? (is_valid_tag(*line, kind_) && line->size() >= 6 && (*line)[2] == ' ' &&
                                   (*line)[3] != ' ')
                                : is_valid_tag(*line, kind_);
        if (tagged) return line;
        skip_line();
    }
}

std::optional<std::string> UpdateRecordReader::next_tag() {
    const std::string* line = next_tagged_line();
    if (!line) return std::nullopt;
    return tag_of(*line);
}

void UpdateRecordReader::skip_line() {
    std::string dropped;
    source_.next(dropped);
}

void UpdateRecordReader::skip_tag(std::string_view tag) {
    while (const std::string* line = next_tagged_line()) {
        if (!equal_no_case(line->substr(0, 2), tag)) return;
        skip_line();
    }
}

bool UpdateRecordReader::same_tag_next(std::string_view tag) {
    const std::string* line = next_tagged_line();
    return line && equal_no_case(line->substr(0, 2), tag);
}

UpdateRead UpdateRecordReader::fail(const char* what, const LineDate& date, int year) {
    message_ = format(what, date.month, date.day, year);
    return UpdateRead::failed;
}

UpdateRead UpdateRecordReader::read_clc(std::string_view tag, ClcUpdateRecord& record) {
    constexpr const char* out_of_sync = " CLC UPDATE LINE OF DATA OUT OF SYNC,@DATE = %d/%d/%d";
    ClcUpdateLine read;
    std::string line;
    do {
        const std::string* next = next_tagged_line();
        if (!next) return UpdateRead::end_of_file;
        if (!equal_no_case(next->substr(0, 2), tag)) return UpdateRead::end_of_tag;
        source_.next(line);
        if (parse_clc_line(line, source_.last_was_cut(), read) != LineCheck::data)
            return fail(out_of_sync, read.date, read.year());
        // A date-only line of the date 000000 would delete a day that no
        // record has: it changes nothing.
    } while (read.is_rollover() && read.date_only);

    record = ClcUpdateRecord{};
    if (read.is_rollover()) {
        // A roll-over line stands right before the first day of the new front
        // contract, under the same tag.
        record.rollover = read;
        if (!next_tagged_line())
            return fail("ERROR - EOF FOLLOWS CLC ROLL OVER RECORD,@DATE = %d/%d/%d", read.date, read.year());
        source_.next(line);
        const LineCheck check = parse_clc_line(line, source_.last_was_cut(), read);
        if (!equal_no_case(read.tag, tag))
            return fail("ERROR - CLC TAG CHANGE FOLLOWING ROLL OVER RECORD,@DATE = %d/%d/%d", read.date, read.year());
        if (check != LineCheck::data) return fail(out_of_sync, read.date, read.year());
        if (read.is_rollover())
            return fail("ERROR - TWO CONSECUTIVE CLC ROLL OVER RECORDS,@DATE = %d/%d/%d", read.date, read.year());
    }
    record.line = std::move(read);
    record.same_tag_follows = same_tag_next(tag);
    return UpdateRead::record;
}

UpdateRead UpdateRecordReader::read_cot(std::string_view tag, CotUpdateLine& record) {
    const std::string* next = next_tagged_line();
    if (!next) return UpdateRead::end_of_file;
    if (!equal_no_case(next->substr(0, 2), tag)) return UpdateRead::end_of_tag;
    std::string line;
    source_.next(line);
    if (parse_cot_line(line, source_.last_was_cut(), record) != LineCheck::data)
        return fail(" COT UPDATE LINE OF DATA OUT OF SYNC,@DATE = %d/%d/%d", record.date, record.year());
    return UpdateRead::record;
}

UpdateRead UpdateRecordReader::read_idx(std::string_view tag, IdxUpdateLine& record) {
    const std::string* next = next_tagged_line();
    if (!next) return UpdateRead::end_of_file;
    if (!equal_no_case(next->substr(0, 2), tag)) return UpdateRead::end_of_tag;
    std::string line;
    source_.next(line);
    if (parse_idx_line(line, source_.last_was_cut(), record) != LineCheck::data)
        return fail(" IDX UPDATE LINE OF DATA OUT OF SYNC,@DATE = %d/%d/%d", record.date, record.year());
    return UpdateRead::record;
}

}  // namespace qv
