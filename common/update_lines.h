#pragma once

// Data lines of the update files. Every data line starts with the same
// 9-character prefix: the commodity tag, a separator and the date YYMMDD. After
// it comes the line end at once (a date-only line, which deletes that day) or a
// separator and the fields of the kind:
//   CLC: open, high, low, close as price tokens, then open interest, total
//        volume and total open interest, the last one right before the line end;
//        a line dated 000000 is a roll-over line, followed at once by the first
//        day of the new front contract under the same tag;
//   COT: seven position values and four trader counts;
//   IDX: the index fields, kept as text; the tag is followed by exactly one blank.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "common/calendar.h"
#include "common/update_file.h"

namespace qv {

// The date YYMMDD of a data line as written.
struct LineDate {
    int year = 0;  // two digits
    int month = 0;
    int day = 0;
    bool is_zero() const { return year == 0 && month == 0 && day == 0; }
};

struct ClcUpdateLine {
    std::string tag;  // upper case
    LineDate date;
    bool date_only = false;
    std::array<std::string, 4> prices;        // open, high, low, close as written
    std::array<std::int64_t, 3> counts{};     // open interest, total volume, total open interest

    bool is_rollover() const { return date.is_zero(); }
    // The four-digit year: widened with the add-century rule when day and
    // month are given (the roll-over date 000000 stays 0).
    int year() const;
    DayNumber day_number() const;
};

struct CotUpdateLine {
    std::string tag;
    LineDate date;
    bool date_only = false;
    // Non-commercial long, short and spreading, commercial long and short,
    // non-reportable long and short positions; then the numbers of
    // non-commercial traders long and short and commercial traders long and short.
    std::array<std::int32_t, 11> values{};

    int year() const { return add_century(date.year); }
    DayNumber day_number() const;
};

struct IdxUpdateLine {
    std::string tag;
    LineDate date;
    bool date_only = false;
    // The stored IDX line: the date with its year widened to four digits
    // (0 to 29 give 20YY, others 19YY) and the fields as the update line gives
    // them, without the line end.
    std::string text;

    int year() const { return idx_year(date.year); }
    DayNumber day_number() const;
};

// What a single line turned out to be.
enum class LineCheck {
    data,         // a data line (or a date-only line) of a valid tag
    skip,         // no valid tag (or, for IDX, no single blank after it): passed over
    out_of_sync,  // a valid tag whose date or fields do not read
};

// Each reads one line (its line feed may still be on it). `cut` says the line
// was longer than the kind allows and was cut: such a line cannot be trusted to
// hold all of its fields.
LineCheck parse_clc_line(std::string_view line, bool cut, ClcUpdateLine& out);
LineCheck parse_cot_line(std::string_view line, bool cut, CotUpdateLine& out);
LineCheck parse_idx_line(std::string_view line, bool cut, IdxUpdateLine& out);

// A CLC update record as the merge takes it: one dated line, and the roll-over
// line that came right before it, if any.
struct ClcUpdateRecord {
    ClcUpdateLine line;
    std::optional<ClcUpdateLine> rollover;
    // The next data line has the same tag (one file carries several days of it).
    bool same_tag_follows = false;
};

enum class UpdateRead {
    record,       // a record was read
    end_of_tag,   // the next line belongs to another commodity; it is left unread
    end_of_file,
    failed,       // message() says why; the merge of the file fails
};

// Reads the data lines of one update file, after UpdateLineSource::skip_header,
// one commodity at a time: next_tag() finds the next commodity, then read_*()
// gives its records until end_of_tag. Lines without a valid tag are passed
// over wherever they stand.
class UpdateRecordReader {
public:
    UpdateRecordReader(UpdateLineSource& source, DatabaseKind kind);

    // The tag of the next line that carries one, without taking that line;
    // nothing at the end of the file.
    std::optional<std::string> next_tag();
    // Passes over the next data line (a commodity the merge leaves out).
    void skip_line();
    // Passes over every line of the tag that comes next.
    void skip_tag(std::string_view tag);

    UpdateRead read_clc(std::string_view tag, ClcUpdateRecord& record);
    UpdateRead read_cot(std::string_view tag, CotUpdateLine& record);
    UpdateRead read_idx(std::string_view tag, IdxUpdateLine& record);

    // The message of the last failed read, for the message file.
    const std::string& message() const { return message_; }

private:
    // The next line with a valid tag (others are dropped); null at the end.
    const std::string* next_tagged_line();
    bool same_tag_next(std::string_view tag);
    UpdateRead fail(const char* kind, const LineDate& date, int year);

    UpdateLineSource& source_;
    DatabaseKind kind_;
    std::string message_;
};

}  // namespace qv
