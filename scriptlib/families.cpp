#include "scriptlib/families.h"

#include <array>
#include <cstdio>
#include <cstdlib>

#include "scriptlib/expressions.h"
#include "scriptlib/name_table.h"
#include "scriptlib/tokenizer.h"

namespace qsl {
namespace {

std::array<BuiltinFunction, name_table_size>& functions_by_code() {
    static std::array<BuiltinFunction, name_table_size> table{};
    return table;
}

std::vector<FamilyTeardown>& teardowns() {
    static std::vector<FamilyTeardown> list;
    return list;
}

}  // namespace

bool register_teardown(FamilyTeardown teardown) {
    teardowns().push_back(teardown);
    return true;
}

void tear_down_families(Context& c) {
    for (FamilyTeardown teardown : teardowns()) teardown(c);
}

bool register_family(std::span<const Builtin> functions) {
    auto& table = functions_by_code();
    for (const Builtin& f : functions) {
        int code = lookup_word(f.name);
        if (code < 0 || table[size_t(code)]) {
            std::fprintf(stderr, "built-in function \"%.*s\" %s\n", int(f.name.size()), f.name.data(),
                         code < 0 ? "is no word of the name table" : "is registered twice");
            std::abort();
        }
        table[size_t(code)] = f.run;
    }
    return true;
}

BuiltinFunction family_function(int code) {
    if (code < 0 || code >= name_table_size) return nullptr;
    return functions_by_code()[size_t(code)];
}

void read_any_arguments(Context& c, std::vector<Value>& args) {
    if (c.in->token_class != token_name || c.in->token_code != code_left_paren)
        fail(errors::opening_parenthesis_missing);
    next_token(c);
    if (token_is(c, code_right_paren)) {
        next_token(c);
        return;
    }
    for (;;) {
        args.emplace_back(c);
        evaluate(c, args.back(), false);
        if (token_is(c, code_right_paren)) break;
        if (!token_is(c, code_comma)) fail(errors::illegal_delimiter);
        next_token(c);
    }
    next_token(c);
}

}  // namespace qsl
