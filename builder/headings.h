#pragma once

// The title and column heading lines at the top of an ASCII output file, and
// where the column headings come from: \QUORVANT\COT.HDG, \QUORVANT\CLC.HDG and
// one \QUORVANT\<tag>.HDG per index, each with built-in defaults. When
// \QUORVANT\META13.TXT exists, outputs carry a MetaStock-style heading
// ("DATE,OPEN,HIGH,LOW,CLOSE", ...) instead.

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/build_settings.h"

namespace qv::builder {

// The heading texts of the database classes; entry n - 1 is the heading of
// field n. A heading that begins with "XX" stands for the commodity (COT, CLC)
// or index tag, which is put in when a heading line is written.
struct HeadingTables {
    std::vector<std::string> cot;                             // fields 1 to 18
    std::vector<std::string> clc;                             // fields 1 to 8
    std::map<std::string, std::vector<std::string>, std::less<>> idx;  // by index tag
};

// The built-in headings of an index: "<short index name>-<field name>", one
// per field; empty for a tag that names no index.
std::vector<std::string> default_index_headings(std::string_view tag);

// Reads the heading files, falling back to the built-in headings:
// COT.HDG counts when it has exactly 18 lines of at least 3 characters (each
// cut to 8); CLC.HDG when it has at most 7 lines, line n naming field n (cut
// to 14); <tag>.HDG when it has exactly as many lines of at least 3 characters
// as the index has fields (each cut to 8).
HeadingTables load_headings();

// The heading files read as a run's outputs need them: COT.HDG and CLC.HDG
// when the first output writes a heading line, an index's file when an
// output first heads a column of that index. A run that writes no heading
// line looks for none of them.
class HeadingFiles {
public:
    // The headings for an output of these input lines, as load_headings
    // gives them for every class and every index the lines name.
    const HeadingTables& tables_for(const std::vector<std::string>& input_lines);

private:
    std::optional<HeadingTables> tables_;
};

// \QUORVANT\META13.TXT exists (its contents are not read).
bool meta13_present();

// The column letter of the n-th ASCII input column of an output file, from 0:
// "A" to "Z", then "AA", "AB", ... "AZ", "BA" and so on.
std::string column_letter(int n);

// Appends the title line (when FIRSTLINETITLE is set) and the heading line
// (when OUTPUTCOLUMNHEADINGS is Y), each with its line end. False, after its
// message, when an input line's field list does not parse.
bool write_title_and_headings(std::string& text, const BuildSettings& settings,
                              const std::vector<std::string>& input_lines, const HeadingTables& headings);

// The heading used instead when META13.TXT exists, by the number of field
// terms of the first input line ("DATE,CLOSE" for one to
// "DATE,OPEN,HIGH,LOW,CLOSE,VOL,OI" for six), with its line end. More than six
// terms end the program after "\n\nCOUNT = %d\n\n" on the console.
std::string metastock_style_heading(std::string_view first_input_line);

}  // namespace qv::builder
