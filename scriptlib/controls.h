// Handlers of the language's own controls (errormode, lasterror, debug,
// debugtrace, decimals, exclusive, terminate, addextender, call,
// intcontrol); every other built-in word goes to its family (families.h),
// and a word that no family registered answers 3046.
#pragma once

#include <string>
#include <vector>

#include "scriptlib/values.h"

namespace qsl {

void call_builtin(Context& c, int code, std::vector<Value>& args, Value& out);
// Functions that read their own arguments; the current token follows the name.
void call_own_arguments(Context& c, int code, Value& out);
std::string intcontrol(Context& c, int opcode, const std::string& p1, const std::string& p2,
                       const std::string& p3, const std::string& p4);
void change_directory(const char* path);

}  // namespace qsl
