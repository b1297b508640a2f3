#pragma once

// The IDX database file: one index series per tag, \QUORVANT\IDX\xx_IDX.QVT,
// a text file of one line per day in ascending date order. A line starts with
// its date YYYYMMDD; the index fields follow as the update line gave them,
// kept as text with their separators, up to the line end. A line holds at most
// 209 characters with its line end.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "common/calendar.h"

namespace qv {

inline constexpr std::size_t idx_line_length = 209;

// Files larger than this are searched for their last line from
// idx_tail_window bytes before their end.
inline constexpr std::uintmax_t idx_tail_search_size = 40000;
inline constexpr std::size_t idx_tail_window = 800;

// The date of a line from its first 8 characters (year 1 to 4, month 5 to 6,
// day 7 to 8); nothing when they are not such a date.
std::optional<Date> idx_line_date(std::string_view line);
// Its day number; no_date when the line carries no date.
DayNumber idx_line_day(std::string_view line);

// "\QUORVANT\IDX\" + tag + "_IDX.QVT".
std::string idx_file_name(std::string_view tag);

// Reads the next line whole, its line feed kept when it has one (a carriage
// return before it is dropped). A line longer than the limit is still read
// whole: splitting it would make its tail a line of its own, out of order.
// False at the end of the file.
bool read_idx_line(std::FILE* file, std::string& line);

// Writes the line as held, ending it with a line feed when it has none.
bool write_idx_line(std::FILE* file, std::string_view line);

// The last line of an IDX file, its line end removed; nothing when the file
// cannot be read or holds no line. Lines after the last one that carry nothing
// (blank lines) count as lines, as the file has them.
std::optional<std::string> last_idx_line(std::string_view path);

// The date of the last line; no_date when there is none.
DayNumber last_idx_date(std::string_view path);

}  // namespace qv
