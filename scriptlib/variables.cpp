// The variable table belongs to the host; the count of slots in use is the
// highest used index + 1, and free slots below it are reused first.
#include "scriptlib/variables.h"

#include <cctype>
#include <cstring>

#include "scriptlib/string_heap.h"

namespace qsl {
namespace {

constexpr int slot_size = QSL_VARIABLE_SLOT_SIZE;
constexpr int name_at = 20;
constexpr int name_field = 32;

uint8_t* slot_at(const Context& c, int index) { return c.vars + size_t(index) * slot_size; }

uint32_t slot_type(const Context& c, int index) {
    uint32_t type;
    std::memcpy(&type, slot_at(c, index) + 12, 4);
    return type;
}

std::string fold_name(std::string_view name) {
    std::string lower(name.substr(0, 29));
    for (char& ch : lower) ch = char(std::tolower(static_cast<unsigned char>(ch)));
    // Characters past the 29th are added onto the stored ones from the 5th on.
    for (size_t i = 29; i < name.size(); ++i) {
        char& target = lower[4 + (i - 29) % 25];
        char sum = char(target + std::tolower(static_cast<unsigned char>(name[i])));
        target = sum ? sum : target;
    }
    return lower;
}

}  // namespace

Slot read_slot(const Context& c, int index) {
    const uint8_t* p = slot_at(c, index);
    Slot s;
    std::memcpy(&s.float_value, p, 8);
    std::memcpy(&s.int_value, p + 8, 4);
    std::memcpy(&s.type, p + 12, 4);
    std::memcpy(&s.string_offset, p + 16, 4);
    return s;
}

void write_slot(Context& c, int index, const Slot& s) {
    uint8_t* p = slot_at(c, index);
    std::memcpy(p, &s.float_value, 8);
    std::memcpy(p + 8, &s.int_value, 4);
    std::memcpy(p + 12, &s.type, 4);
    std::memcpy(p + 16, &s.string_offset, 4);
}

std::string slot_name(const Context& c, int index) {
    const char* name = reinterpret_cast<const char*>(slot_at(c, index) + name_at);
    return std::string(name, strnlen(name, name_field));
}

int find_variable(Context& c, std::string_view name) {
    if (name.size() > variable_name_max) return -1;
    char key[name_field] = {};
    std::memcpy(key, name.data(), name.size());
    uint64_t k[4];
    std::memcpy(k, key, sizeof k);
    const uint8_t* p = c.vars + name_at;
    for (int i = 0; i < c.in->var_count; ++i, p += slot_size) {
        uint64_t w[4];
        std::memcpy(w, p, sizeof w);
        if (w[0] == k[0] && w[1] == k[1] && w[2] == k[2] && w[3] == k[3] && slot_type(c, i) != 0) return i;
    }
    return -1;
}

int declare_variable(Context& c, std::string_view name) {
    int index = find_variable(c, name);
    if (index >= 0) return index;
    for (index = 0; index < c.in->var_count && slot_type(c, index) != 0; ++index) {
    }
    if (index >= c.in->var_capacity) fail(errors::variables_out_of_memory);
    uint8_t* p = slot_at(c, index);
    std::memset(p, 0, slot_size);
    std::memcpy(p + name_at, name.data(), std::min<size_t>(name.size(), variable_name_max));
    write_slot(c, index, Slot{0.0, -1, QSL_TYPE_DECLARED, 0});
    if (index >= c.in->var_count) c.in->var_count = uint16_t(index + 1);
    return index;
}

void load_variable(Context& c, int index, Value& out) {
    Slot s = read_slot(c, index);
    if (s.type == 0) fail(errors::undefined_name);
    if (!(s.type & (QSL_TYPE_INTEGER | QSL_TYPE_FLOAT | QSL_TYPE_STRING))) fail(errors::uninitialized_variable);
    out.release();
    out.r.float_value = s.float_value;
    out.r.int_value = s.int_value;
    out.r.type = s.type & ~uint32_t(QSL_TYPE_DECLARED);
    out.r.string_offset = s.string_offset;
    if (out.r.type & QSL_TYPE_STRING) out.r.type |= borrowed;
    out.r.var_index = int16_t(index);
}

void assign_variable(Context& c, int index, Value& value) {
    Slot old = read_slot(c, index);
    Slot s{value.r.float_value, value.r.int_value, value.r.type & ~borrowed, 0};
    if (value.is_string()) {
        if (value.r.type & borrowed) {
            s.string_offset = heap_store(c, value.text());
            if (!s.string_offset) fail(errors::strings_out_of_memory);
        } else {
            s.string_offset = value.r.string_offset;
            value.r.type = 0;  // the variable owns it now
            value.r.string_offset = 0;
        }
    }
    if ((old.type & QSL_TYPE_STRING) && old.string_offset) heap_free(c, old.string_offset);
    if (s.type == 0) s.type = QSL_TYPE_DECLARED;
    write_slot(c, index, s);
    c.in->last_assigned = index;
}

void drop_variable(Context& c, int index) {
    Slot old = read_slot(c, index);
    if ((old.type & QSL_TYPE_STRING) && old.string_offset) heap_free(c, old.string_offset);
    std::memset(slot_at(c, index), 0, slot_size);
    ++c.in->names_generation;  // words resolved to this slot must be looked up again
    while (c.in->var_count > 0 && slot_type(c, c.in->var_count - 1) == 0) --c.in->var_count;
}

void set_variable_text(Context& c, std::string_view name, std::string_view text) {
    int index = declare_variable(c, fold_name(name));
    Value v(c);
    v.set_string(text);
    assign_variable(c, index, v);
}

void set_variable_int(Context& c, std::string_view name, int32_t value) {
    int index = declare_variable(c, fold_name(name));
    Value v(c);
    v.set_int(value);
    assign_variable(c, index, v);
}

void clear_variables(Context& c) {
    std::memset(c.vars, 0, size_t(c.in->var_capacity) * slot_size);
    c.in->var_count = 0;
    ++c.in->names_generation;
}

}  // namespace qsl
