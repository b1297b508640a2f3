#pragma once

#include <cstdarg>
#include <string>
#include <string_view>

namespace qv {

// printf-style formatting into a string; the suite's messages are printf formats.
std::string format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
std::string vformat(const char* fmt, std::va_list args);

// Appends `value` as printf's "%.*f" prints it with `decimals` places, byte for
// byte (sign of a negative zero, rounding of ties, inf and nan included), but
// without printf's arbitrary-precision work for the prices the tools print.
void append_fixed(std::string& out, double value, int decimals);
// Appends `value` as "%lld" prints it.
void append_whole(std::string& out, long long value);

std::string to_upper(std::string_view text);
std::string to_lower(std::string_view text);
bool equal_no_case(std::string_view a, std::string_view b);
bool starts_with_no_case(std::string_view text, std::string_view prefix);

}  // namespace qv
