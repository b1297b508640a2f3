#include "common/tables.h"

#include <array>
#include <cstdio>

#include "common/platform/console.h"
#include "common/platform/files.h"
#include "common/platform/program_end.h"
#include "common/platform/text.h"
#include "common/install_files.h"

namespace qv {

namespace {

// Lines of TABLES.INI are read into buffers of 149 characters.
constexpr std::size_t line_limit = 149;

enum class Table { roll_day, roll_month, precision, bytes, compu_trac, mynames, all_tag, group_index, decimal };

constexpr std::array<std::string_view, 9> table_names{
    "roll_day", "roll_month", "precision", "bytes", "compu_trac", "mynames", "all_tag", "group_index", "decimal"};

std::string_view name_of(Table table) { return table_names[static_cast<std::size_t>(table)]; }

[[noreturn]] void fail(const std::string& message) {
    console().print("\n\n\n\n%s\n\n\n\n\n", message.c_str());
    throw ProgramEnd{};
}

[[noreturn]] void fail_missing_data() { fail("ERROR-FILE 'TABLES.INI' IS MISSING DATA"); }

bool is_space(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Reads TABLES.INI line by line: at most 149 characters and the line end. The
// rest of an overlong line is dropped rather than read as a line of its own,
// which would shift every later row of a table. A NUL byte stays in the line,
// where it fails the checks of the table like any other wrong character.
class IniReader {
public:
    explicit IniReader(std::FILE* file) : file_(file) {}

    bool next(std::string& line) { return read_limited_line(file_, line, line_limit); }

private:
    std::FILE* file_;
};

// A table header: a line of more than 5 characters (the line end counted)
// beginning with "[".
bool is_header(std::string_view line) { return line.size() > 5 && line[0] == '['; }

// scanf's %d: blanks first, an optional sign, at least one digit.
bool scan_int(std::string_view text, std::size_t& pos, long& value) {
    while (pos < text.size() && is_space(text[pos])) ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) negative = text[pos++] == '-';
    if (pos >= text.size() || !is_digit(text[pos])) return false;
    value = 0;
    while (pos < text.size() && is_digit(text[pos])) {
        if (value < 1000000) value = value * 10 + (text[pos] - '0');
        ++pos;
    }
    if (negative) value = -value;
    return true;
}

// "%d%c%d%c%d%c%d": four integers, each pair separated by one character. A
// number that does not fit a 16-bit table value makes the line invalid.
bool scan_four_numbers(std::string_view text, std::array<std::int16_t, 4>& values) {
    std::size_t pos = 0;
    for (std::size_t k = 0; k < 4; ++k) {
        if (k > 0) {
            if (pos >= text.size()) return false;
            ++pos;
        }
        long value = 0;
        if (!scan_int(text, pos, value) || value < -32768 || value > 32767) return false;
        values[k] = static_cast<std::int16_t>(value);
    }
    return true;
}

// "%13s%c%13s%c%13s%c%13s": up to four words of at most 13 characters, each
// pair separated by one character; the words a short line lacks stay empty.
std::array<std::string, 4> scan_four_words(std::string_view text) {
    std::array<std::string, 4> words;
    std::size_t pos = 0;
    for (std::size_t k = 0; k < 4; ++k) {
        if (k > 0) {
            if (pos >= text.size()) break;
            ++pos;
        }
        while (pos < text.size() && is_space(text[pos])) ++pos;
        const std::size_t start = pos;
        while (pos < text.size() && pos - start < 13 && !is_space(text[pos])) ++pos;
        if (pos == start) break;
        words[k] = std::string(text.substr(start, pos - start));
    }
    return words;
}

std::optional<Table> select_table(std::string_view name, const TableRules& rules) {
    if (name.empty()) return std::nullopt;
    for (std::size_t i = 0; i < table_names.size(); ++i) {
        const auto table = static_cast<Table>(i);
        if (table == Table::group_index && !rules.reads_group_index) continue;
        if (table == Table::decimal && !rules.reads_decimal) continue;
        const std::string_view candidate = table_names[i];
        if (name.size() <= candidate.size() && equal_no_case(name, candidate.substr(0, name.size()))) return table;
    }
    return std::nullopt;
}

std::int16_t Commodity::*numeric_field(Table table) {
    switch (table) {
        case Table::roll_day: return &Commodity::roll_day;
        case Table::roll_month: return &Commodity::roll_month;
        case Table::precision: return &Commodity::precision;
        case Table::bytes: return &Commodity::bytes;
        case Table::compu_trac: return &Commodity::compu_trac;
        case Table::group_index: return &Commodity::group_index;
        default: return nullptr;
    }
}

struct Range {
    int low;
    int high;
};

std::optional<Range> valid_range(Table table) {
    switch (table) {
        case Table::roll_month: return Range{0, 1};
        case Table::precision: return Range{-7, 7};
        case Table::bytes: return Range{2, 4};
        case Table::compu_trac: return Range{-7, 7};
        case Table::group_index: return Range{0, 7};
        default: return std::nullopt;
    }
}

std::string name_from_line(std::string_view line) {
    // The name ends at the line end: a short line is padded with blanks, so that
    // no line feed ever reaches a report column or a MetaStock security name.
    std::string name(line.substr(0, line.find_first_of(std::string_view("\n\0", 2))));
    name.resize(16, ' ');
    return name;
}

// The decimal line of a row: "BP = 2", the number read after the first blank
// that follows the "=".
int decimal_value(std::string_view line) {
    const auto equals = line.find('=');
    if (equals == std::string_view::npos) return 0;
    const auto blank = line.find(' ', equals);
    if (blank == std::string_view::npos) return 0;
    std::size_t pos = blank + 1;
    long value = 0;
    return scan_int(line, pos, value) ? static_cast<int>(value) : 0;
}

class TableLoader {
public:
    TableLoader(std::FILE* file, const TableRules& rules) : reader_(file), rules_(rules) {}

    CommodityTable load();

private:
    int read_count();
    // The next line of a table (lines shorter than 6 characters are skipped);
    // the file must not end inside a table.
    void next_table_line();
    void read_table(Table table);
    void read_numeric(Table table);
    void read_names();
    void read_all_tags();
    void read_decimals();

    IniReader reader_;
    const TableRules& rules_;
    std::string line_;
    std::vector<Commodity> rows_;
    std::vector<std::string> decimal_lines_;
};

int TableLoader::read_count() {
    for (;;) {
        if (!reader_.next(line_)) fail("SUPPORT FILE \"TABLES.INI\" IS MISSING LINE ENTRY: [numcom]");
        if (starts_with_no_case(line_, "[numcom")) break;
    }
    const auto equals = line_.find('=');
    std::size_t pos = equals == std::string::npos ? line_.size() : equals + 1;
    while (pos < line_.size() && line_[pos] == ' ') ++pos;
    long count = 0;
    const bool found = equals != std::string::npos && scan_int(line_, pos, count);
    if (!found || count < rules_.min_count || count > rules_.max_count || count > static_cast<long>(max_commodities))
        fail("SUPPORT FILE \"TABLES.INI\" CONTAINS INVALID [numcom] VALUE");
    return static_cast<int>(count);
}

void TableLoader::next_table_line() {
    do {
        if (!reader_.next(line_)) fail_missing_data();
    } while (line_.size() < 6);
}

void TableLoader::read_numeric(Table table) {
    const auto field = numeric_field(table);
    const std::size_t lines = (rows_.size() + 3) / 4;
    for (std::size_t k = 0; k < lines; ++k) {
        next_table_line();
        std::array<std::int16_t, 4> values{};
        if (!scan_four_numbers(line_, values))
            fail(format("ERROR-LINE %zu IN TABLE %s INVALID", k + 1, std::string(name_of(table)).c_str()));
        for (std::size_t j = 0; j < 4 && 4 * k + j < rows_.size(); ++j) rows_[4 * k + j].*field = values[j];
    }
    if (const auto range = valid_range(table)) {
        for (const Commodity& row : rows_) {
            const int value = row.*field;
            if (value < range->low || value > range->high)
                fail(format("ERROR - INVALID %s ENTRY IN \"TABLES.INI\" FILE", std::string(name_of(table)).c_str()));
        }
    }
}

void TableLoader::read_names() {
    for (Commodity& row : rows_) {
        next_table_line();
        // A section header here means the names ran out before the count did;
        // taking it as a name would shift the rows of every later table.
        if (is_header(line_)) fail_missing_data();
        row.name = name_from_line(line_);
        row.tag = row.name.substr(0, 2);
    }
}

void TableLoader::read_all_tags() {
    const std::size_t lines = (rows_.size() + 3) / 4;
    for (std::size_t k = 0; k < lines; ++k) {
        next_table_line();
        const auto words = scan_four_words(line_);
        for (std::size_t j = 0; j < 4 && 4 * k + j < rows_.size(); ++j) rows_[4 * k + j].all_tag = words[j];
    }
    for (const Commodity& row : rows_) {
        bool letters = row.all_tag.size() >= 13;
        for (std::size_t i = 1; letters && i <= 12; ++i) letters = row.all_tag[i] >= 'A' && row.all_tag[i] <= 'Z';
        if (!letters) fail("ERROR - INVALID all_tag ENTRY IN \"TABLES.INI\" FILE");
    }
}

void TableLoader::read_decimals() {
    decimal_lines_.assign(rows_.size(), {});
    for (std::string& text : decimal_lines_) {
        next_table_line();
        if (is_header(line_)) fail_missing_data();
        text = line_;
    }
}

void TableLoader::read_table(Table table) {
    switch (table) {
        case Table::mynames: read_names(); break;
        case Table::all_tag: read_all_tags(); break;
        case Table::decimal: read_decimals(); break;
        default: read_numeric(table); break;
    }
}

CommodityTable TableLoader::load() {
    rows_.resize(static_cast<std::size_t>(read_count()));
    int tables_read = 0;
    while (reader_.next(line_)) {
        if (!is_header(line_)) continue;
        const auto close = line_.find(']');
        if (close == std::string::npos || close >= 29) {
            if (rules_.lenient_headers) continue;
            fail("INVALID TABLE HEADER IN FILE \"TABLES.INI\"");
        }
        const auto table = select_table(std::string_view(line_).substr(1, close - 1), rules_);
        if (!table) continue;
        read_table(*table);
        ++tables_read;
    }
    if (rules_.tables_needed > 0 && tables_read < rules_.tables_needed)
        fail(format("SUPPORT FILE \"TABLES.INI\" DOES NOT CONTAIN %d TABLES", rules_.tables_needed));

    for (std::size_t i = 0; i < rows_.size(); ++i) {
        Commodity& row = rows_[i];
        row.cycle = contract_cycle(row.all_tag);
        // Each decimal line belongs to the row of its position, when it names
        // that row's commodity; the tables may come in any order in the file.
        if (i < decimal_lines_.size() && row.tag.size() == 2 &&
            starts_with_no_case(decimal_lines_[i], row.tag))
            row.decimal = decimal_multiplier(decimal_value(decimal_lines_[i]));
    }
    return CommodityTable(std::move(rows_));
}
bool same_tag(std::string_view row, std::string_view tag, bool ignore_case) {
    if (tag.size() < 2 || row.size() < 2) return false;
    return ignore_case ? equal_no_case(row.substr(0, 2), tag.substr(0, 2)) : row.substr(0, 2) == tag.substr(0, 2);
}
}  // namespace

std::optional<std::size_t> CommodityTable::position_of(std::string_view tag) const {
    for (std::size_t i = 0; i < rows_.size(); ++i)
        if (same_tag(rows_[i].tag, tag, false)) return i;
    return std::nullopt;
}

std::optional<std::size_t> CommodityTable::position_of_no_case(std::string_view tag) const {
    for (std::size_t i = 0; i < rows_.size(); ++i)
        if (same_tag(rows_[i].tag, tag, true)) return i;
    return std::nullopt;
}

const Commodity* CommodityTable::find(std::string_view tag) const {
    const auto i = position_of(tag);
    return i ? &rows_[*i] : nullptr;
}

const Commodity* CommodityTable::find_no_case(std::string_view tag) const {
    const auto i = position_of_no_case(tag);
    return i ? &rows_[*i] : nullptr;
}

std::string contract_cycle(std::string_view all_tag) {
    std::string cycle;
    if (all_tag.size() < 2) return cycle;
    cycle.push_back(all_tag[1]);
    for (std::size_t i = 2; i <= 12 && i < all_tag.size(); ++i)
        if (all_tag[i] > cycle.back()) cycle.push_back(all_tag[i]);
    return cycle;
}

double decimal_multiplier(int n) {
    // 5 and 6 give ten times the power of ten, as the distributor has always
    // multiplied: the users' files were written with these factors.
    static constexpr double powers[] = {0.000001, 0.00001, 0.0001, 0.001, 0.01, 0.1, 1.0,
                                        10.0, 100.0, 1000.0, 10000.0, 1000000.0, 10000000.0};
    if (n < -6 || n > 6) return 1.0;
    return powers[n + 6];
}

CommodityTable load_tables(const TableRules& rules) {
    const FilePtr file = open_file(install::tables_file, "r");
    if (!file) fail("ERROR -  FILE \" TABLES.INI\" MISSING FROM \\QUORVANT FOLDER.");
    return TableLoader(file.get(), rules).load();
}

}  // namespace qv
