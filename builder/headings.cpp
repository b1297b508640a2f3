#include "builder/headings.h"

#include <algorithm>
#include <cctype>
#include <functional>
#include <optional>

#include "builder/index_tags.h"
#include "builder/input_line.h"
#include "builder/series_class.h"
#include "common/platform/console.h"
#include "common/platform/files.h"
#include "common/platform/program_end.h"
#include "common/platform/text.h"
#include "common/install_files.h"

namespace qv::builder {

namespace {

constexpr std::size_t cot_fields = 18;
constexpr std::size_t clc_file_lines = 7;      // CLC.HDG names fields 1 to 7 at most
constexpr std::size_t short_heading = 8;       // COT.HDG and index heading lines are cut to this
constexpr std::size_t long_heading = 14;       // CLC.HDG lines are cut to this
constexpr std::size_t least_heading = 3;       // shorter lines of COT.HDG and index files do not count

std::vector<std::string> default_cot_headings() {
    return {"XX-CCotI", "XX-NCotI", "XX-SCotI", "XX-TotOI", "XX-CLong", "XX-CShrt",
            "XX-NLong", "XX-NShrt", "XX-SLong", "XX-SShrt", "XX-Spred", "XX-CLngT",
            "XX-CShrT", "XX-NLngT", "XX-NShrT", "XX-CmNet", "XX-NcNet", "XX-SmNet"};
}

std::vector<std::string> default_clc_headings() {
    // Field 8, the contract in force, has no heading.
    return {"XX-Open", "XX-High", "XX-Low", "XX-Close", "XX-O.I.", "XX-T.Vol", "XX-TotOI", ""};
}

// Hands each line of a heading file, without its line end and cut to 64
// characters (more are never used), to `take` until it answers false. False
// when the file cannot be opened.
bool read_heading_lines(std::string_view path, const std::function<bool(std::string)>& take) {
    constexpr std::size_t kept = 64;
    FilePtr file = open_file(path, "r");
    if (!file) return false;
    std::string line;
    while (read_whole_line(file.get(), line)) {
        if (line.back() == '\n') line.pop_back();
        if (!take(line.substr(0, kept))) return true;
    }
    return true;
}

// The lines of at least three characters, each cut to eight, when there are
// exactly `count` of them.
std::optional<std::vector<std::string>> short_headings(std::string_view path, std::size_t count) {
    std::vector<std::string> headings;
    const bool read = read_heading_lines(path, [&](std::string line) {
        if (line.size() >= least_heading) headings.push_back(line.substr(0, short_heading));
        return headings.size() <= count;
    });
    if (!read || headings.size() != count) return std::nullopt;
    return headings;
}

bool is_placeholder(std::string_view heading) {
    return heading.size() >= 2 && std::toupper(static_cast<unsigned char>(heading[0])) == 'X' &&
           std::toupper(static_cast<unsigned char>(heading[1])) == 'X';
}

// The commodity tag that fills a COT or CLC heading's placeholder: the two
// characters before the last "_" ahead of the line's first blank, as in
// W__CLC or BP_COT; "??" when there is no such "_".
std::string placeholder_tag(std::string_view input_line) {
    const std::string_view name = input_line.substr(0, input_line.find(' '));
    const std::size_t underscore = name.rfind('_');
    if (underscore == std::string_view::npos || underscore < 2) return "??";
    return std::string(name.substr(underscore - 2, 2));
}

// A heading of a class whose first heading begins with "XX" carries the tag in
// its first two characters.
std::string with_tag(std::string heading, std::string_view tag) {
    if (heading.size() >= 2) heading.replace(0, 2, tag);
    return heading;
}

// The index an IDX input line names: its first two characters, or those of
// the file name when the line gives the series with its folder.
std::string index_tag_of(std::string_view input_line, std::string_view series) {
    if (input_line.size() >= 2 && find_index_tag(input_line.substr(0, 2))) return std::string(input_line.substr(0, 2));
    const std::size_t folder_end = series.find_last_of("\\:/");
    if (folder_end != std::string_view::npos) {
        const std::string_view file_name = series.substr(folder_end + 1);
        if (file_name.size() >= 2 && find_index_tag(file_name.substr(0, 2))) return std::string(file_name.substr(0, 2));
    }
    return {};
}

std::string table_heading(const std::vector<std::string>& table, int field) {
    if (field < 1 || static_cast<std::size_t>(field) > table.size()) return {};
    return table[field - 1];
}

// Heading texts of one input line's columns. ASCII columns are lettered over
// every ASCII column of the output file, `asc_columns` counting them.
void append_input_headings(std::vector<std::string>& out, std::string_view input_line, const InputLine& input,
                           const HeadingTables& headings, int& asc_columns) {
    const SeriesClassRow& row = series_class_row(input.series_class);
    for (const FieldTerm& term : input.terms) {
        std::string heading;
        if (term.op != '\0') {
            heading = format("#%d%c%.5s", term.field, term.op, term.operand.c_str()).substr(0, short_heading);
        }
        switch (row.headings) {
            case HeadingSource::column_letters:
                if (term.op == '\0') heading = column_letter(asc_columns);
                ++asc_columns;
                break;
            case HeadingSource::commodity_table: {
                if (term.op != '\0') break;
                const std::vector<std::string>& table = headings.*row.heading_table;
                heading = table_heading(table, term.field);
                if (!table.empty() && is_placeholder(table.front())) {
                    heading = with_tag(heading, placeholder_tag(input_line));
                }
                break;
            }
            case HeadingSource::index_table: {
                if (term.op != '\0') break;
                const std::string tag = index_tag_of(input_line, input.series);
                const auto found = headings.idx.find(tag);
                if (found == headings.idx.end()) {
                    // An index the table does not describe still gets a
                    // heading that names it and its field.
                    if (input_line.size() >= 2) heading = format("%.2s-Fld%d", input_line.data(), term.field);
                    break;
                }
                heading = table_heading(found->second, term.field);
                if (is_placeholder(heading)) heading = with_tag(heading, tag);
                break;
            }
        }
        out.push_back(std::move(heading));
    }
}

}  // namespace

namespace {

// COT.HDG and CLC.HDG.
HeadingTables load_class_headings() {
    HeadingTables tables;
    tables.cot = short_headings(install::cot_headings_file, cot_fields).value_or(default_cot_headings());

    tables.clc = default_clc_headings();
    std::vector<std::string> clc_lines;
    read_heading_lines(install::clc_headings_file, [&](std::string line) {
        clc_lines.push_back(line.substr(0, long_heading));
        return clc_lines.size() <= clc_file_lines;
    });
    if (clc_lines.size() <= clc_file_lines) std::copy(clc_lines.begin(), clc_lines.end(), tables.clc.begin());
    return tables;
}

void load_index_headings(HeadingTables& tables, const IndexTag& index) {
    const std::string tag(index.tag);
    tables.idx[tag] = short_headings(std::string(install::root) + tag + ".HDG", static_cast<std::size_t>(index.fields))
                          .value_or(default_index_headings(tag));
}

}  // namespace

HeadingTables load_headings() {
    HeadingTables tables = load_class_headings();
    for (const IndexTag& index : index_tags()) load_index_headings(tables, index);
    return tables;
}

const HeadingTables& HeadingFiles::tables_for(const std::vector<std::string>& input_lines) {
    if (!tables_) tables_ = load_class_headings();
    for (const std::string& line : input_lines) {
        const std::optional<InputLine> input = parse_field_list(line);
        if (!input || input->series_class != SeriesClass::idx) continue;
        const std::string tag = index_tag_of(line, input->series);
        const IndexTag* index = find_index_tag(tag);
        if (index && !tables_->idx.contains(tag)) load_index_headings(*tables_, *index);
    }
    return *tables_;
}

bool meta13_present() { return file_exists(install::meta13_marker); }

std::string column_letter(int n) {
    std::string letters;
    for (++n; n > 0; n = (n - 1) / 26) letters.insert(letters.begin(), static_cast<char>('A' + (n - 1) % 26));
    return letters;
}

bool write_title_and_headings(std::string& text, const BuildSettings& settings,
                              const std::vector<std::string>& input_lines, const HeadingTables& headings) {
    if (!settings.first_line_title.empty()) text += settings.first_line_title + "\n";
    if (settings.output_column_headings != 'Y') return true;

    std::vector<std::string> columns;
    int asc_columns = 0;
    for (const std::string& line : input_lines) {
        const std::optional<InputLine> input = parse_field_list(line);
        if (!input) return false;
        append_input_headings(columns, line, *input, headings, asc_columns);
    }

    const bool quoted = settings.col_headings_in_quotes == 'Y';
    const char separator = settings.column_separator();
    text += quoted ? "\"Date\"" : "Date";
    for (const std::string& heading : columns) {
        text += separator;
        text += quoted ? "\"" + heading + "\"" : heading;
    }
    text += '\n';
    return true;
}

std::string metastock_style_heading(std::string_view first_input_line) {
    static constexpr const char* by_count[] = {
        "DATE,CLOSE", "DATE,OPEN,CLOSE", "DATE,HIGH,LOW,CLOSE", "DATE,OPEN,HIGH,LOW,CLOSE",
        "DATE,OPEN,HIGH,LOW,CLOSE,VOL", "DATE,OPEN,HIGH,LOW,CLOSE,VOL,OI"};
    std::size_t count = 0;
    if (const std::optional<InputLine> input = parse_field_list(first_input_line)) {
        count = input->terms.size();
    } else {
        // A line the build cannot read: one more than the commas after the name.
        const std::size_t name_end = first_input_line.find_first_of(" ,");
        count = 1;
        if (name_end != std::string_view::npos) {
            for (char c : first_input_line.substr(name_end + 1)) count += c == ',';
        }
    }
    if (count > std::size(by_count)) {
        console().write(format("\n\nCOUNT = %d\n\n", static_cast<int>(count)));
        throw ProgramEnd{};
    }
    return std::string(by_count[count == 0 ? 0 : count - 1]) + "\n";
}

}  // namespace qv::builder
