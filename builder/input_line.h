#pragma once

// Input lines of a build file: a series name, then the fields to take from it
// (the grammar of the field terms is in common/field_terms.h).

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/field_terms.h"

namespace qv::builder {

enum class SeriesClass { cot = 1, clc = 2, idx = 3, asc = 4 };

// The highest field number of a class: COT 18, CLC 8, IDX 99, ASC 240.
int highest_field(SeriesClass series_class);

// The class a series name names: at each position from the left, "COT", "CLC",
// "IDX" and "ASC" are tried in that order (case ignored) and the first hit
// wins; a name with none of them is one of the user's ASCII files.
SeriesClass find_series_class(std::string_view series);

// The commodity tag of a CLC series: the two characters before its first "_",
// or before the second of two adjacent underscores ("W__CLC" is W_).
std::optional<std::string> clc_tag(std::string_view series);

using qv::FieldTerm;

inline constexpr std::size_t input_line_length = 71;   // after trailing blanks are dropped
inline constexpr std::size_t field_terms_kept = 90;

struct InputLine {
    std::string series;
    SeriesClass series_class = SeriesClass::asc;
    std::vector<FieldTerm> terms;
};

// Checks an input line of the validation pass: 0 when it is sound, 1 after its
// message has been shown on the warning screen.
int check_input_line(std::string_view line);

// Reads an input line for the build: the series, its class and its field
// terms. After "INVALID FILE/FIELD LINE DETECTED - " or, for a 91st term,
// "ERROR-NUMBER OF FIELDS EXCEEDS = 90" on the warning screen, nothing. Every
// line check_input_line passes is read here the same way.
std::optional<InputLine> parse_field_list(std::string_view line);

}  // namespace qv::builder
