#pragma once

// The joined output table: one text line per output day, the day's date text
// by OUTPUTDATEFORMAT followed by the columns of every input, each column
// preceded by the separator. The final pass and the MetaStock output read it.
// Both rules are asked for every input of every day, hence defined here.

#include <cstddef>
#include <cstdio>
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

// The table file's lines, each whole however long and without its line end
// (LF, or CR LF, as read_line takes it). A line is found by the stream's own
// search for its end rather than byte by byte: the table is read back in full
// for every output file. A CR is a line end only before an LF, so a line read
// to its LF and stripped of a CR just before it is the line read_line gives.
class TableReader {
public:
    explicit TableReader(std::FILE* file) : file_(file) {}
    ~TableReader();
    TableReader(const TableReader&) = delete;
    TableReader& operator=(const TableReader&) = delete;

    // The next line, valid until the next call; false at the end of the table.
    bool next(std::string_view& line);

private:
    std::FILE* file_;
    char* text_ = nullptr;
    std::size_t capacity_ = 0;
};

}  // namespace qv::builder
