// The string functions: names beginning with "str", char2num, num2char and
// parsedata. Positions in strings count from 1.
#include <string>

#include "scriptlib/families.h"

namespace qsl {
namespace {

// StrCat(s1, s2, ...): any number of arguments, each taken as a string.
void str_cat(Call& call) {
    std::vector<Value> args;
    read_any_arguments(call.c, args);
    std::string joined;
    for (Value& v : args) {
        to_string(v);
        joined += v.text();
    }
    call.out.set_string(joined);
}

void str_len(Call& call) { call.out.set_int(int32_t(call.view(0).size())); }

const Builtin functions[] = {
    {"strcat", str_cat},
    {"strlen", str_len},
};

[[maybe_unused]] const bool registered = register_family(functions);

}  // namespace
}  // namespace qsl
