// Function calls: call syntax, argument conversion by the entry's type mask,
// and the dispatch to the language's own handlers, the host callback or an
// extender.
#pragma once

#include <vector>

#include "scriptlib/values.h"

namespace qsl {

constexpr int max_arguments = 20;

// The argument list of one function call, borrowed from a per-thread stack
// of lists that keep their capacity, so that a call allocates nothing. Calls
// nest strictly (an argument may call a function), so the lists are taken
// and given back in turn; the values are released when the call ends.
class ArgumentList {
public:
    ArgumentList();
    ~ArgumentList();
    ArgumentList(const ArgumentList&) = delete;
    ArgumentList& operator=(const ArgumentList&) = delete;
    std::vector<Value>& values() { return *values_; }

private:
    std::vector<Value>* values_;
};

// Calls the function named by the current token; leaves the token after it.
void call_function(Context& c, Value& out);
// Runs a host command or function (code 900-1899) with the given arguments.
void call_host(Context& c, int code, std::vector<Value>& args, Value& out);
// Runs an extender function (code 3000-3499).
void call_extender(Context& c, int code, std::vector<Value>& args, Value& out);
// Sends a notification to the host callback; returns the callback's result.
int notify_host(Context& c, intptr_t request, const char* what, uintptr_t a10 = 0,
                uintptr_t a11 = 0, uintptr_t a12 = 0);
// Turns a host or extender result into an error number (0 for success).
int extender_result_error(Context& c, int result);

}  // namespace qsl
