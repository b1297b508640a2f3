// Conversions between integers, floats and strings, float display, and the
// arithmetic, logic and comparison operators.
#include "scriptlib/values.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "scriptlib/name_table.h"
#include "scriptlib/string_heap.h"

namespace qsl {

Value& Value::operator=(Value&& other) noexcept {
    if (this != &other) {
        release();
        r = other.r;
        c = other.c;
        other.r.type = 0;
        other.r.string_offset = 0;
    }
    return *this;
}

void Value::free_string() { heap_free(*c, r.string_offset); }

void Value::set_float(double v) {
    release();
    r.type = QSL_TYPE_FLOAT;
    r.float_value = v;
    r.var_index = -1;
}

void Value::set_string(std::string_view text) {
    uint32_t at = heap_store(*c, text);
    if (!at) fail(errors::strings_out_of_memory);
    release();
    r.type = QSL_TYPE_STRING;
    r.string_offset = at;
    r.var_index = -1;
}

void Value::adopt_string(uint32_t offset) {
    release();
    r.type = QSL_TYPE_STRING;
    r.string_offset = offset;
    r.var_index = -1;
}

int32_t round_half_away(double value) {
    return int32_t(value < 0 ? -std::floor(-value + 0.5) : std::floor(value + 0.5));
}

bool string_to_integer(const char* text, int32_t& out) {
    const char* p = text;
    while (*p == ' ') ++p;
    if (!*p) return false;
    bool digit_seen = false;
    for (const char* q = p; *q; ++q) {
        if (*q >= '0' && *q <= '9') digit_seen = true;
        else if ((*q == '+' || *q == '-') && !digit_seen) continue;
        else return false;
    }
    // The value is that of the leading sign and digits, as the C library reads it.
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    uint32_t value = 0;
    while (*p >= '0' && *p <= '9') value = value * 10 + uint32_t(*p++ - '0');
    out = int32_t(negative ? 0u - value : value);
    return true;
}

bool string_to_float(const char* text, double& out) {
    const char* p = text;
    while (*p == ' ') ++p;
    const char* start = p;
    if (*p == '+' || *p == '-') ++p;
    int digits = 0, dots = 0;
    for (; (*p >= '0' && *p <= '9') || *p == '.'; ++p) {
        if (*p == '.') ++dots;
        else ++digits;
    }
    if (!digits || dots > 1) return false;
    if (*p == 'e' || *p == 'E') {
        ++p;
        if (*p == '+' || *p == '-') ++p;
        if (!(*p >= '0' && *p <= '9')) return false;
        while (*p >= '0' && *p <= '9') ++p;
    }
    if (*p) return false;
    out = std::strtod(start, nullptr);
    return std::isfinite(out);
}

bool to_integer(Value& v) {
    if (v.is_int()) return true;
    if (v.is_float()) {
        double f = v.r.float_value;
        if (!(f >= -2147483645.0 && f <= 2147483645.0)) return false;
        v.set_int(round_half_away(f));
        return true;
    }
    if (v.is_string()) {
        int32_t n;
        if (!string_to_integer(v.text(), n)) return false;
        v.r.int_value = n;
        v.r.type |= QSL_TYPE_INTEGER;
        return true;
    }
    return false;
}

bool to_float(Value& v) {
    if (v.is_float()) return true;
    if (v.is_int()) {
        v.set_float(double(v.r.int_value));
        return true;
    }
    if (v.is_string()) {
        double f;
        if (!string_to_float(v.text(), f)) return false;
        v.r.float_value = f;
        v.r.type |= QSL_TYPE_FLOAT;
        return true;
    }
    return false;
}

std::string float_display(double value, int decimals) {
    char text[400];
    double magnitude = std::fabs(value);
    if (decimals == 0 && magnitude <= 2147483647.0) {
        std::snprintf(text, sizeof text, "%ld", long(round_half_away(value)));
        return text;
    }
    if (decimals == -3 || decimals == -2) {
        std::snprintf(text, sizeof text, decimals == -3 ? "%e" : "%g", value);
        std::string s = text;
        if (!s.empty() && s[0] == '.') s = "0" + s;
        return s;
    }
    int precision = decimals < 0 ? 8 : decimals;
    // Zero is shown in the fixed form: a scientific "0.00000000e+00" helps nobody.
    bool scientific = magnitude > 999999999.0 || (magnitude < 0.0001 && decimals == -1 && value != 0.0);
    std::snprintf(text, sizeof text, scientific ? "%#1.*e" : "%#1.*f", precision, value);
    std::string s = text;
    bool added = false;
    if (s.find('.') == std::string::npos) {
        s += ".0";
        added = true;
    }
    if (!scientific && (decimals < 0 || added)) {
        while (s.size() > 1 && s.back() == '0') s.pop_back();
    }
    size_t dot = s.find('.');
    if (dot != std::string::npos && !scientific) {
        size_t have = s.size() - dot - 1;
        size_t want = decimals < 0 ? 1 : size_t(decimals);
        if (have < want) s.append(want - have, '0');
    }
    return s;
}

std::string display(Value& v) {
    if (v.is_string()) return v.text();
    if (v.is_int()) return std::to_string(v.r.int_value);
    if (v.is_float()) return float_display(v.r.float_value, v.c->in->decimals);
    return "";
}

void to_string(Value& v) {
    if (v.is_string()) return;
    if (!v.is_numeric()) fail(errors::not_convertible_to_string);
    bool integer = v.is_int();
    int32_t i = v.r.int_value;
    double f = v.r.float_value;
    std::string s = display(v);
    uint32_t at = heap_store(*v.c, s);
    if (!at) fail(errors::strings_out_of_memory);
    v.release();
    v.r.string_offset = at;
    if (integer) {
        v.r.type = QSL_TYPE_INTEGER | QSL_TYPE_STRING;
        v.r.int_value = i;
    } else {
        v.r.type = QSL_TYPE_FLOAT | QSL_TYPE_STRING;
        v.r.float_value = f;
    }
}

namespace {

void make_numeric(Value& v) {
    if (v.is_numeric()) return;
    if (!v.is_string() || v.is_object()) fail(errors::not_a_number);
    if (!to_integer(v) && !to_float(v)) fail(errors::not_a_number);
}

double checked(double result) {
    if (std::isnan(result)) fail(errors::fp_domain);
    if (std::fabs(result) > 1e300) fail(errors::fp_overflow);
    if (std::fabs(result) < 1e-300) return 0.0;
    return result;
}

int32_t int_power(int32_t base, int32_t exponent) {
    if (exponent < 0) fail(errors::fp_error);
    uint32_t result = 1, b = uint32_t(base);
    for (uint32_t e = uint32_t(exponent); e; e >>= 1) {
        if (e & 1) result *= b;
        b *= b;
    }
    return int32_t(result);
}

bool truth(const Value& v) { return v.is_int() ? v.r.int_value != 0 : v.r.float_value != 0.0; }

}  // namespace

void apply_binary(int code, Value& left, Value& right) {
    make_numeric(left);
    make_numeric(right);
    if (code == code_and || code == code_or) {
        bool a = truth(left), b = truth(right);
        left.set_int(code == code_and ? (a && b) : (a || b));
        return;
    }
    if (!left.is_int() || !right.is_int()) {
        if (code == code_bit_and || code == code_bit_or || code == code_bit_xor || code == code_shl || code == code_shr)
            fail(errors::binary_operation_illegal);
        double x = left.is_int() ? double(left.r.int_value) : left.r.float_value;
        double y = right.is_int() ? double(right.r.int_value) : right.r.float_value;
        double result = 0;
        switch (code) {
            case code_plus: result = x + y; break;
            case code_minus: result = x - y; break;
            case code_mul: result = x * y; break;
            case code_div:
                if (y == 0.0) fail(errors::divide_by_zero);
                result = x / y;
                break;
            case code_mod:
                if (y == 0.0) fail(errors::divide_by_zero);
                result = x - y * std::trunc(x / y);
                break;
            case code_pow: result = std::pow(x, y); break;
            default: fail(errors::structure_not_defined);
        }
        left.set_float(checked(result));
        return;
    }
    uint32_t a = uint32_t(left.r.int_value), b = uint32_t(right.r.int_value);
    int32_t x = left.r.int_value, y = right.r.int_value;
    int32_t result = 0;
    switch (code) {
        case code_bit_and: result = int32_t(a & b); break;
        case code_bit_or: result = int32_t(a | b); break;
        case code_bit_xor: result = int32_t(a ^ b); break;
        case code_shl: result = int32_t(a << (b & 31)); break;
        case code_shr: result = x >> (b & 31); break;
        case code_plus: result = int32_t(a + b); break;
        case code_minus: result = int32_t(a - b); break;
        case code_mul: result = int32_t(a * b); break;
        case code_div:
            if (y == 0) fail(errors::divide_by_zero);
            result = (x == INT32_MIN && y == -1) ? INT32_MIN : x / y;
            break;
        case code_mod:
            if (y == 0) fail(errors::divide_by_zero);
            result = (y == -1) ? 0 : x % y;
            break;
        case code_pow: result = int_power(x, y); break;
        default: fail(errors::structure_not_defined);
    }
    left.set_int(result);
}

void apply_unary(int code, Value& v) {
    make_numeric(v);
    if (v.is_int()) {
        int32_t x = v.r.int_value;
        if (code == code_not) v.set_int(x == 0);
        else if (code == code_minus) v.set_int(int32_t(0u - uint32_t(x)));
        else if (code == code_bit_not) v.set_int(~x);
        else v.set_int(x);
        return;
    }
    double f = v.r.float_value;
    if (code == code_not) v.set_int(f == 0.0);
    else if (code == code_minus) v.set_float(-f);
    else if (code == code_bit_not) fail(errors::unary_operation_illegal);
    else v.set_float(f);
}

namespace {

enum class Kind { integer, floating, string };

Kind kind_of(const Value& v) {
    if (v.is_int()) return Kind::integer;
    if (v.is_float()) return Kind::floating;
    if (v.is_string() && !v.is_object()) return Kind::string;
    fail(errors::not_a_number);
}

int order_of(int code, int cmp) {
    switch (code) {
        case code_ne: case code_ne2: return cmp != 0;
        case code_lt: return cmp < 0;
        case code_le: return cmp <= 0;
        case code_eq: return cmp == 0;
        case code_gt: return cmp > 0;
        case code_ge: return cmp >= 0;
    }
    fail(errors::structure_not_defined);
}

double as_double(const Value& v) { return v.is_int() ? double(v.r.int_value) : v.r.float_value; }

int compare_floats(int code, double a, double b, int decimals) {
    if (code == code_eq || code == code_ne || code == code_ne2) {
        // Equality of floats is equality of what the user sees.
        int same = float_display(a, decimals) == float_display(b, decimals);
        return code == code_eq ? same : !same;
    }
    return order_of(code, a < b ? -1 : (a > b ? 1 : 0));
}

}  // namespace

void compare(int code, Value& left, Value& right) {
    Kind a = kind_of(left), b = kind_of(right);
    int decimals = left.c->in->decimals;
    int result;
    if (a == Kind::integer && b == Kind::integer) {
        int32_t x = left.r.int_value, y = right.r.int_value;
        result = order_of(code, x < y ? -1 : (x > y ? 1 : 0));
    } else if (a != Kind::string && b != Kind::string) {
        result = compare_floats(code, as_double(left), as_double(right), decimals);
    } else if (a == Kind::string && b == Kind::string) {
        int32_t x, y;
        double f, g;
        if (string_to_integer(left.text(), x) && string_to_integer(right.text(), y))
            result = order_of(code, x < y ? -1 : (x > y ? 1 : 0));
        else if (string_to_float(left.text(), f) && string_to_float(right.text(), g))
            result = compare_floats(code, f, g, decimals);
        else
            result = order_of(code, std::strcoll(left.text(), right.text()));
    } else {
        // One number, one string.
        bool string_left = a == Kind::string;
        Value& s = string_left ? left : right;
        Value& n = string_left ? right : left;
        int32_t i;
        double f;
        if (n.is_int() && string_to_integer(s.text(), i)) {
            int32_t x = string_left ? i : n.r.int_value, y = string_left ? n.r.int_value : i;
            result = order_of(code, x < y ? -1 : (x > y ? 1 : 0));
        } else if (string_to_float(s.text(), f)) {
            double x = string_left ? f : as_double(n), y = string_left ? as_double(n) : f;
            result = compare_floats(code, x, y, decimals);
        } else {
            std::string number = display(n);
            std::string other = s.text();
            result = order_of(code, string_left ? std::strcoll(other.c_str(), number.c_str())
                                                : std::strcoll(number.c_str(), other.c_str()));
        }
    }
    left.set_int(result);
}

}  // namespace qsl
