// The expression evaluator: precedence climbing over the tokenizer, with the
// current token as the first token of what is evaluated.
#pragma once

#include "scriptlib/values.h"

namespace qsl {

// Evaluates an expression (or, when allowed, an assignment) starting at the
// current token; leaves the first token after it as the current token.
void evaluate(Context& c, Value& out, bool assignment_allowed);
// The same with assignment allowed; after an assignment out receives the
// variable's value only when want_value is set.
void evaluate_statement(Context& c, Value& out, bool want_value);
// The value of an @constant entry.
void constant_value(Context& c, int code, Value& out);

}  // namespace qsl
