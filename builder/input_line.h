#pragma once

// Input lines of a build file: a series name, then the fields to take from it.
//
//   W_CLC 1,2,3,4*100      BP_COT 5 6     SPX_IDX 1/1000, 2 ^ 1
//
// The series name ends at the first blank or comma. A field term is a field
// number, optionally followed by an operator and a number (spaces may stand
// between the two): "*" multiplies, "/" divides, "+" adds, "-" subtracts,
// "^" divides the number by the field. Terms are separated by blanks and/or
// commas; the order of the terms is the order of the output columns.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qv::builder {

// The class of an input's series; what sets the classes apart is the table of
// series_class.h.
enum class SeriesClass { cot = 1, clc = 2, idx = 3, asc = 4 };

// The class a series name names: at each position from the left, "COT", "CLC",
// "IDX" and "ASC" are tried in that order (case ignored) and the first hit
// wins; a name with none of them is one of the user's ASCII files.
SeriesClass find_series_class(std::string_view series);

// The commodity tag of a CLC series: the two characters before its first "_",
// or before the second of two adjacent underscores ("W__CLC" is W_).
std::optional<std::string> clc_tag(std::string_view series);

struct FieldTerm {
    int field = 0;
    char op = '\0';        // '\0' for none, else one of * / + - ^
    std::string operand;   // the number after the operator, as written
    bool operator==(const FieldTerm&) const = default;
};

inline constexpr std::size_t input_line_length = 71;   // after trailing blanks are dropped
inline constexpr std::size_t operand_length = 19;
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
