#include "builder/input_line.h"

#include "builder/series_class.h"
#include "common/messages.h"
#include "common/platform/text.h"
#include "common/tool.h"

namespace qv::builder {

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_separator(char c) { return c == ' ' || c == ','; }
bool is_operator(char c) { return std::string_view("*/+-^").find(c) != std::string_view::npos; }

enum class Fault { none, no_name_end, bad_character, no_final_number, no_fields, first_not_number, bad_field };

struct Scan {
    std::string_view series;
    SeriesClass series_class = SeriesClass::asc;
    std::vector<FieldTerm> terms;
    Fault fault = Fault::none;
    std::size_t position = 0;   // of a bad character, from 0
    int field = 0;              // a field number out of range
};

Scan failed(Scan scan, Fault fault, std::size_t position = 0) {
    scan.fault = fault;
    scan.position = position;
    return scan;
}

// The one reading of an input line, for its check and for the build, so that
// a line that passes the check is built as it was checked. Field numbers are
// checked against the class only when check_fields is set.
Scan scan_input_line(std::string_view line, bool check_fields) {
    Scan scan;
    const std::size_t name_end = line.find_first_of(" ,");
    if (name_end == std::string_view::npos) return failed(scan, Fault::no_name_end);
    scan.series = line.substr(0, name_end);
    scan.series_class = find_series_class(scan.series);

    constexpr std::string_view allowed = " *+,-./0123456789^";
    for (std::size_t i = name_end; i < line.size(); ++i) {
        if (allowed.find(line[i]) == std::string_view::npos) return failed(scan, Fault::bad_character, i);
    }
    if (!is_digit(line.back()) && line.back() != '.') return failed(scan, Fault::no_final_number);

    std::size_t at = name_end;
    while (at < line.size() && is_separator(line[at])) ++at;
    if (at == line.size()) return failed(scan, Fault::no_fields);
    if (!is_digit(line[at])) return failed(scan, Fault::first_not_number);

    const int highest = series_class_row(scan.series_class).highest_field;
    while (true) {
        FieldTerm term;
        long field = 0;
        while (at < line.size() && is_digit(line[at])) field = std::min<long>(field * 10 + (line[at++] - '0'), 999999);
        term.field = static_cast<int>(field);
        if (check_fields && scan.series_class != SeriesClass::asc && (field == 0 || field > highest)) {
            scan.field = term.field;
            return failed(scan, Fault::bad_field);
        }
        if (at < line.size() && is_operator(line[at])) {
            term.op = line[at++];
            while (at < line.size() && line[at] == ' ') ++at;
            const std::size_t start = at;
            bool point = false;
            bool digits = false;
            for (; at < line.size(); ++at) {
                if (is_digit(line[at])) {
                    digits = true;
                } else if (line[at] == '.' && !point) {
                    point = true;
                } else {
                    break;
                }
            }
            if (!digits) return failed(scan, Fault::bad_character, start);
            if (at - start > operand_length) return failed(scan, Fault::bad_character, start + operand_length);
            term.operand = std::string(line.substr(start, at - start));
        }
        scan.terms.push_back(std::move(term));
        if (at == line.size()) return scan;
        if (!is_separator(line[at])) return failed(scan, Fault::bad_character, at);
        while (at < line.size() && is_separator(line[at])) ++at;
        if (at == line.size()) return scan;
        if (!is_digit(line[at])) return failed(scan, Fault::bad_character, at);
    }
}

void show(const std::string& text) { message(builder_profile, text); }

}  // namespace

SeriesClass find_series_class(std::string_view series) {
    for (std::size_t at = 0; at < series.size(); ++at) {
        for (const SeriesClassRow& row : series_classes()) {
            if (equal_no_case(series.substr(at, row.name.size()), row.name)) return row.series_class;
        }
    }
    return SeriesClass::asc;
}

std::optional<std::string> clc_tag(std::string_view series) {
    std::size_t underscore = series.find('_');
    if (underscore == std::string_view::npos) return std::nullopt;
    if (underscore + 1 < series.size() && series[underscore + 1] == '_') ++underscore;
    if (underscore < 2) return std::nullopt;
    return std::string(series.substr(underscore - 2, 2));
}

int check_input_line(std::string_view line) {
    const Scan scan = scan_input_line(line, true);
    const std::string text(line);
    switch (scan.fault) {
        case Fault::none: return 0;
        case Fault::no_name_end: show("NO FIELDS SPECIFIED FOR THIS FILE@" + text); break;
        case Fault::bad_character:
            show(format("INVALID CHARACTER AT POSITION %d ON LINE@%s", static_cast<int>(scan.position + 1),
                        text.c_str()));
            break;
        case Fault::no_final_number: show(format("THIS LINE DOESN'T END WITH A NUMBER?@%s", text.c_str())); break;
        case Fault::no_fields: show(format("NO FIELDS SPECIFIED IN THIS LINE@%s", text.c_str())); break;
        case Fault::first_not_number: show(format("FIRST FIELD IN THIS LINE IS NOT A NUMBER?@%s", text.c_str())); break;
        case Fault::bad_field: show(format("%d IS AN INVALID FIELD NUMBER@%s", scan.field, text.c_str())); break;
    }
    return 1;
}

std::optional<InputLine> parse_field_list(std::string_view line) {
    const Scan scan = scan_input_line(line, false);
    if (scan.fault != Fault::none) {
        show("INVALID FILE/FIELD LINE DETECTED - " + std::string(line));
        return std::nullopt;
    }
    if (scan.terms.size() > field_terms_kept) {
        message(builder_profile, "ERROR-NUMBER OF FIELDS EXCEEDS", static_cast<int>(field_terms_kept));
        return std::nullopt;
    }
    return InputLine{std::string(scan.series), scan.series_class, scan.terms};
}

}  // namespace qv::builder
