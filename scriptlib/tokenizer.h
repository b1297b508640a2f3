// The tokenizer: cuts the current statement text (the instance's line from
// its scan position) into tokens.
#pragma once

#include "scriptlib/instance.h"

namespace qsl {

// Token classes.
constexpr int token_end = 0;
constexpr int token_name = 1;      // an entry of a name table; code is its number
constexpr int token_variable = 2;  // code is the variable index
constexpr int token_integer = 3;
constexpr int token_string = 4;
constexpr int token_float_number = 5;
constexpr int token_object = 6;  // an OLE object reference
constexpr int token_word = 7;    // a bare word read for a label

// Codes of host and extender functions as the tokenizer reports them.
constexpr int host_code_base = 900;
constexpr int extender_code_base = 3000;

int next_token(Context& c);  // returns the class
void putback(Context& c);
// A bare word for labels: letters, digits, "@" and "_"; returns its class.
int next_string_token(Context& c);
// The entry class of a name token (built-in, host or extender).
int token_entry_class(const Context& c);
int outside_class(int cls);
bool token_is(const Context& c, int code);

}  // namespace qsl
