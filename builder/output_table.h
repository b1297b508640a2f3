#pragma once

// The joined output table: one text line per output day, the day's date text
// by OUTPUTDATEFORMAT followed by the columns of every input, each column
// preceded by the separator. The final pass and the MetaStock output read it.
// Both rules are asked for every input of every day, hence defined here.

#include <cstddef>
#include <string_view>

namespace qv::builder {

// The length of a date text by OUTPUTDATEFORMAT: '1' MM/DD/YYYY 10, '2' the
// same quoted 12, '3' YYYYMMDD 8, '4' the same quoted 10.
inline std::size_t date_text_length(char output_date_format) {
    switch (output_date_format) {
        case '1': return 10;
        case '2': return 12;
        case '4': return 10;
        default: return 8;
    }
}

// The line rule: a day's line is kept only when it holds at least two
// characters beyond its date text (a separator and a value), so a day for
// which no input appended anything is left out of the table.
inline bool line_has_data(std::string_view line, char output_date_format) {
    return line.size() > date_text_length(output_date_format) + 1;
}

}  // namespace qv::builder
