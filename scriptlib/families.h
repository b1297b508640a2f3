// Families of built-in functions. A family (strings, arithmetic, item lists,
// ...) lives in its own file and registers its words once when the library
// loads; the dispatcher hands every code that the language's own controls do
// not answer to the function its family registered, so families are added
// without touching each other's files.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "scriptlib/values.h"

namespace qsl {

// One call of a built-in function. The arguments are already converted by
// the entry's type mask; a function that reads its own arguments (argument
// count 100 in the name table) gets none and finds the token after its name
// as the current token.
struct Call {
    Context& c;
    int code;
    std::vector<Value>& args;
    Value& out;

    int32_t integer(int i) const { return args[size_t(i)].r.int_value; }
    double real(int i) const { return args[size_t(i)].r.float_value; }
    std::string text(int i) const { return args[size_t(i)].text(); }
    // Valid until the next string is stored: the heap may move when it grows.
    std::string_view view(int i) const { return args[size_t(i)].text(); }
};

using BuiltinFunction = void (*)(Call&);

// The longest string a function builds (strfill, strfix, strcat, ...): a
// longer result is 3096, before any memory is spent on it.
constexpr size_t built_string_max = size_t(16) << 20;
inline void check_built_length(uint64_t length) {
    if (length > built_string_max) fail(errors::strings_out_of_memory);
}

struct Builtin {
    std::string_view name;  // the word of the name table, lower case
    BuiltinFunction run;
};

// Registers a family's functions by name; a name that is not a word of the
// name table, or one that another family registered, stops the program
// (a mistake of the build, found by every test run). Returns true, for use
// as the initializer of a file-scope registration:
//     [[maybe_unused]] const bool registered = register_family(functions);
bool register_family(std::span<const Builtin> functions);

// Registers what a family releases when its instance is torn down (phase 99):
// its buffers, files, channels. Returns true, like register_family.
using FamilyTeardown = void (*)(Context&);
bool register_teardown(FamilyTeardown teardown);
// Runs every registered teardown.
void tear_down_families(Context& c);

// The function a family registered for a code, or nullptr.
BuiltinFunction family_function(int code);

// Reads "(" expression, ... ")" for a function that takes any number of
// arguments; leaves the token after ")" as the current token.
void read_any_arguments(Context& c, std::vector<Value>& args);

}  // namespace qsl
