// Values: the record that every expression, variable and function result
// uses, its conversions and its display.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "scriptlib/instance.h"

namespace qsl {

// Type bit of our own: the string belongs to a variable and is only lent.
constexpr uint32_t borrowed = 0x80000000u;

// A value record that frees the string it owns.
class Value {
public:
    QslValue r{};
    Context* c;

    explicit Value(Context& context) : c(&context) { r.var_index = -1; }
    Value(const Value&) = delete;
    Value& operator=(const Value&) = delete;
    Value(Value&& other) noexcept : r(other.r), c(other.c) { other.r.type = 0; other.r.string_offset = 0; }
    Value& operator=(Value&& other) noexcept;
    ~Value() { release(); }

    void release() {
        if ((r.type & QSL_TYPE_STRING) && !(r.type & borrowed) && r.string_offset) free_string();
        r.type = 0;
        r.string_offset = 0;
    }
    bool is_int() const { return r.type & QSL_TYPE_INTEGER; }
    bool is_float() const { return r.type & QSL_TYPE_FLOAT; }
    bool is_string() const { return r.type & QSL_TYPE_STRING; }
    bool is_numeric() const { return r.type & (QSL_TYPE_INTEGER | QSL_TYPE_FLOAT); }
    bool is_object() const { return (r.type & QSL_TYPE_OBJECT) != 0; }
    void set_int(int32_t v) {
        release();
        r.type = QSL_TYPE_INTEGER;
        r.int_value = v;
        r.var_index = -1;
    }
    void set_float(double v);
    void set_string(std::string_view text);  // 3096 when the heap is full
    // The string's address; valid until the next heap allocation.
    const char* text() const { return c->heap + r.string_offset; }
    void free_string();
    // Takes ownership of a heap string.
    void adopt_string(uint32_t offset);
};

bool to_integer(Value& v);
bool to_float(Value& v);
void to_string(Value& v);  // 3096 on failure
bool string_to_integer(const char* text, int32_t& out);
bool string_to_float(const char* text, double& out);
std::string float_display(double value, int decimals);
std::string display(Value& v);  // the value as a string, without changing it
int32_t round_half_away(double value);

// Operators of the language core.
void apply_binary(int code, Value& left, Value& right);  // result in left
void apply_unary(int code, Value& operand);
void compare(int code, Value& left, Value& right);  // result in left

}  // namespace qsl
