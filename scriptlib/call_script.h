// CALL: runs another script file in the same instance, with its parameters
// in param0 to paramN.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "scriptlib/instance.h"

namespace qsl {

void call_script(Context& c, const std::string& file, const std::string& parameters);
// Splits the parameter text into words and stores param0 (the count) and
// param1 to paramN; returns the count.
int set_parameters(Context& c, const std::string& parameters);
// Turns a UTF-16 text with a byte-order mark into UTF-8; false when it is bad.
bool convert_utf16(const unsigned char* data, size_t size, std::string& out);
// The largest script file CALL and #include read.
constexpr uint64_t script_file_max = uint64_t(16) << 20;
// Reads a script file whole; 0 or the loader's message number: 102 missing,
// 203 larger than script_file_max, 206 unreadable or not a regular file (a
// device or a FIFO is never read), 211 protected, 215 bad UTF-16.
int load_script_file(const std::string& path, std::string& text);

}  // namespace qsl
