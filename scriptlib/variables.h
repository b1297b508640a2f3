// Variables: 52-byte slots in the host's variable table, looked up by their
// lower-case names.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "scriptlib/values.h"

namespace qsl {

constexpr int variable_name_max = 30;

struct Slot {
    double float_value;
    int32_t int_value;
    uint32_t type;
    uint32_t string_offset;
};

Slot read_slot(const Context& c, int index);
void write_slot(Context& c, int index, const Slot& slot);
std::string slot_name(const Context& c, int index);

// Index of the variable of that lower-case name, or -1.
int find_variable(Context& c, std::string_view name);
// Finds or creates (type 8, integer -1) the variable; 3097 when full.
int declare_variable(Context& c, std::string_view name);
// The variable's value, its string lent; 3051 / 3052 when it has none.
void load_variable(Context& c, int index, Value& out);
// Gives the variable the value; a string the value owns moves into it.
void assign_variable(Context& c, int index, Value& value);
// Frees the variable's string and marks its slot free.
void drop_variable(Context& c, int index);
// Sets a variable from outside: the name is lower-cased and folded.
void set_variable_text(Context& c, std::string_view name, std::string_view text);
void set_variable_int(Context& c, std::string_view name, int32_t value);
// Empties the table.
void clear_variables(Context& c);

}  // namespace qsl
