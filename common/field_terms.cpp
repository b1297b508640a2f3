#include "common/field_terms.h"

#include <algorithm>
#include <cstdlib>

namespace qv {

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_separator(char c) { return c == ' ' || c == ','; }
bool is_operator(char c) { return std::string_view("*/+-^").find(c) != std::string_view::npos; }

FieldList failed(FieldList list, FieldListFault fault, std::size_t position = 0) {
    list.fault = fault;
    list.position = position;
    return list;
}

}  // namespace

FieldList scan_field_list(std::string_view line, int highest_field) {
    FieldList list;
    const std::size_t name_end = line.find_first_of(" ,");
    if (name_end == std::string_view::npos) return failed(list, FieldListFault::no_name_end);
    list.series = line.substr(0, name_end);

    constexpr std::string_view allowed = " *+,-./0123456789^";
    for (std::size_t i = name_end; i < line.size(); ++i) {
        if (allowed.find(line[i]) == std::string_view::npos) return failed(list, FieldListFault::bad_character, i);
    }
    if (!is_digit(line.back()) && line.back() != '.') return failed(list, FieldListFault::no_final_number);

    std::size_t at = name_end;
    while (at < line.size() && is_separator(line[at])) ++at;
    if (at == line.size()) return failed(list, FieldListFault::no_fields);
    if (!is_digit(line[at])) return failed(list, FieldListFault::first_not_number);

    while (true) {
        FieldTerm term;
        long field = 0;
        while (at < line.size() && is_digit(line[at])) field = std::min<long>(field * 10 + (line[at++] - '0'), 999999);
        term.field = static_cast<int>(field);
        if (highest_field > 0 && (field == 0 || field > highest_field)) {
            list.field = term.field;
            return failed(list, FieldListFault::bad_field);
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
            if (!digits) return failed(list, FieldListFault::bad_character, start);
            if (at - start > operand_length) return failed(list, FieldListFault::bad_character, start + operand_length);
            term.operand = std::string(line.substr(start, at - start));
        }
        list.terms.push_back(std::move(term));
        if (at == line.size()) return list;
        if (!is_separator(line[at])) return failed(list, FieldListFault::bad_character, at);
        while (at < line.size() && is_separator(line[at])) ++at;
        if (at == line.size()) return list;
        if (!is_digit(line[at])) return failed(list, FieldListFault::bad_character, at);
    }
}

double apply_operator(const FieldTerm& term, double value, double zero_operand) {
    const double operand = std::strtod(term.operand.c_str(), nullptr);
    switch (term.op) {
    case '*': return value * operand;
    case '/': return value / (operand == 0.0 ? zero_operand : operand);
    case '+': return value + operand;
    case '-': return value - operand;
    case '^': return operand / (value == 0.0 ? 0.00001 : value);
    default: return value;
    }
}

}  // namespace qv
