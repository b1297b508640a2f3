// The tokenizer: cuts the current statement text (the instance's line from
// its scan position) into tokens.
#pragma once

#include "scriptlib/instance.h"

namespace qsl {

// Token classes.
constexpr int kTokenEnd = 0;
constexpr int kTokenName = 1;      // an entry of a name table; code is its number
constexpr int kTokenVariable = 2;  // code is the variable index
constexpr int kTokenInteger = 3;
constexpr int kTokenString = 4;
constexpr int kTokenFloat = 5;
constexpr int kTokenObject = 6;  // an OLE object reference
constexpr int kTokenWord = 7;    // a bare word read for a label

// Codes of host and extender functions as the tokenizer reports them.
constexpr int kHostCodeBase = 900;
constexpr int kExtenderCodeBase = 3000;

int next_token(Context& c);  // returns the class
void putback(Context& c);
// A bare word for labels: letters, digits, "@" and "_"; returns its class.
int next_string_token(Context& c);
// The entry class of a name token (built-in, host or extender).
int token_entry_class(const Context& c);
int outside_class(int cls);
bool token_is(const Context& c, int code);

}  // namespace qsl
