#pragma once

// The field terms of an input line of a build file: a series name, then the
// fields to take from it.
//
//   W_CLC 1,2,3,4*100      BP_COT 5 6     SPX_IDX 1/1000, 2 ^ 1
//
// The series name ends at the first blank or comma. A field term is a field
// number, optionally followed by an operator and a number (spaces may stand
// between the two): "*" multiplies, "/" divides, "+" adds, "-" subtracts,
// "^" divides the number by the field. Terms are separated by blanks and/or
// commas; the order of the terms is the order of the output columns. The
// builder builds its columns from these terms and the updater's broadcast
// writes into the same columns, so both read a line here.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

struct FieldTerm {
    int field = 0;
    char op = '\0';        // '\0' for none, else one of * / + - ^
    std::string operand;   // the number after the operator, as written
    bool operator==(const FieldTerm&) const = default;
};

inline constexpr std::size_t operand_length = 19;

enum class FieldListFault { none, no_name_end, bad_character, no_final_number, no_fields, first_not_number, bad_field };

struct FieldList {
    std::string_view series;
    std::vector<FieldTerm> terms;
    FieldListFault fault = FieldListFault::none;
    std::size_t position = 0;  // of a bad character, from 0
    int field = 0;             // a field number out of range
};

// Reads an input line. With `highest_field` above 0 a field number of 0 or
// above it is refused (bad_field).
FieldList scan_field_list(std::string_view line, int highest_field);

// The value of a field term that has an operator: "*" multiplies the field
// value by the operand, "/" divides it by the operand, "+" adds the operand,
// "-" subtracts it, "^" divides the operand by the field value. A zero operand
// of "/" counts as `zero_operand` (0.000001 in CLC series, 0.00001 in the
// others); a zero field value under "^" counts as 0.00001.
double apply_operator(const FieldTerm& term, double value, double zero_operand);

}  // namespace qv
