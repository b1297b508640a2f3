// Precedence, lowest first: && ||; & ^ |; comparisons; << >>; + -; * / mod;
// **; unary ! + - ~; primaries. Every binary level is left-associative.
#include "scriptlib/expressions.h"

#include "scriptlib/calls.h"
#include "scriptlib/name_table.h"
#include "scriptlib/tokenizer.h"
#include "scriptlib/variables.h"

namespace qsl {
namespace {

constexpr double float_constants[20] = {
    3.141592653589793, 2.718281828459045, 0.017453292519943, 57.29577951308232, 6.6256e-34,
    6.6252e-27,        32.174,            9.80665,           1.66043e-27,       6.02252e+23,
    1.38054e-23,       8.8541853e-12,     0.5772156649015339, 96487.0,         1.618033988749895,
    6.67e-11,          299792500.0,       1.256637,          206.265,           186272.0};
constexpr const char* string_constants[4] = {"\r\n", "\t", "\r", "\n"};

int operator_code(const Context& c) {
    return c.in->token_class == token_name ? c.in->token_code : -1;
}

void unary(Context& c, Value& out);

void primary(Context& c, Value& out) {
    Instance& in = *c.in;
    switch (in.token_class) {
        case token_integer:
            out.set_int(in.token_int);
            next_token(c);
            return;
        case token_float_number:
            out.set_float(in.token_float);
            next_token(c);
            return;
        case token_string:
            out.set_string(std::string_view(in.token, size_t(in.token_length)));
            next_token(c);
            return;
        case token_variable:
            load_variable(c, in.token_code, out);
            next_token(c);
            return;
        case token_object:
            fail(errors::function_not_defined);  // OLE automation is not part of this build
        case token_end:
            fail(errors::incomplete_statement);
    }
    int code = in.token_code;
    if (code == code_left_paren) {
        next_token(c);
        evaluate(c, out, false);
        if (operator_code(c) != code_right_paren) fail(errors::unbalanced_parenthesis);
        next_token(c);
        return;
    }
    int cls = token_entry_class(c);
    if ((cls & ~class_disabled) == class_constant && code < name_table_size) {
        constant_value(c, code, out);
        next_token(c);
        return;
    }
    int base = cls & ~class_disabled;
    if (base == class_function || base == class_special) {
        call_function(c, out);
        return;
    }
    if (code == code_right_paren) fail(errors::unbalanced_parenthesis);
    fail(errors::unrecognizable_item);
}

void unary(Context& c, Value& out) {
    int code = operator_code(c);
    if (code == code_not || code == code_plus || code == code_minus || code == code_bit_not) {
        next_token(c);
        unary(c, out);
        apply_unary(code, out);
        return;
    }
    primary(c, out);
}

// Binary precedence levels by operator code (0: not a binary operator).
struct Levels {
    uint8_t of[name_table_size];
    constexpr Levels() : of() {
        of[code_and] = of[code_or] = 1;
        of[code_bit_and] = of[code_bit_xor] = of[code_bit_or] = 2;
        of[code_ne] = of[code_lt] = of[code_le] = of[code_ne2] = of[code_eq] = of[code_gt] = of[code_ge] = of[code_assign] = 3;
        of[code_shl] = of[code_shr] = 4;
        of[code_plus] = of[code_minus] = 5;
        of[code_mul] = of[code_div] = of[code_mod] = 6;
        of[code_pow] = 7;
    }
};
constexpr Levels precedence_levels;
constexpr int comparison_level = 3;

int level_of(const Context& c) {
    if (c.in->token_class != token_name) return 0;
    int code = c.in->token_code;
    return code >= 0 && code < name_table_size ? precedence_levels.of[code] : 0;
}

// Operators of at least min_level; every level is left-associative.
void binary(Context& c, Value& out, int min_level) {
    unary(c, out);
    for (;;) {
        int level = level_of(c);
        if (level == 0 || level < min_level) return;
        int code = c.in->token_code;
        if (code == code_assign) fail(errors::assignment_not_legal);
        next_token(c);
        Value right(c);
        binary(c, right, level + 1);
        if (level == comparison_level) compare(code, out, right);
        else apply_binary(code, out, right);
    }
}

void logical(Context& c, Value& out) { binary(c, out, 1); }

// A variable followed by a single "=".
bool at_assignment(const Context& c) {
    if (c.in->token_class != token_variable) return false;
    const char* s = c.in->line + c.in->scan;
    while (*s == ' ' || *s == '\t') ++s;
    return s[0] == '=' && s[1] != '=';
}

}  // namespace

void constant_value(Context&, int code, Value& out) {
    const NameEntry& e = name_entry(code);
    uint32_t value = uint32_t(e.count) | (uint32_t(e.mask) << 16);
    if (value >= 0xF0F0F000u && value < 0xF0F0F000u + 20) {
        out.set_float(float_constants[value - 0xF0F0F000u]);
    } else if (value >= 0xFFF0F000u && value < 0xFFF0F000u + 4) {
        out.set_string(string_constants[value - 0xFFF0F000u]);
    } else {
        out.set_int(int32_t(value));
    }
}

void evaluate_statement(Context& c, Value& out, bool want_value) {
    if (at_assignment(c)) {
        int index = c.in->token_code;
        next_token(c);  // "="
        next_token(c);
        Value right(c);
        logical(c, right);
        assign_variable(c, index, right);
        if (want_value) load_variable(c, index, out);
        return;
    }
    if (c.in->token_class == token_object) fail(errors::function_not_defined);
    logical(c, out);
}

void evaluate(Context& c, Value& out, bool assignment_allowed) {
    if (assignment_allowed) {
        evaluate_statement(c, out, true);
        return;
    }
    logical(c, out);
}

}  // namespace qsl
