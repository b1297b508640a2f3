#pragma once

// Text helpers of the platform layer, shared with the whole suite:
// printf-style formatting (the tools' messages and file lines are printf
// formats), numbers printed exactly as printf prints them, and comparisons
// without regard to case.

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
// Appends the whole number `units` read as units / 10^decimals with the point
// `decimals` places from the right (at least one digit before it), as
// append_fixed prints a value of exactly that size: 12345 with 2 gives
// "123.45", -5 with 3 "-0.005". Decimals from 0 to 18.
void append_fixed_units(std::string& out, long long units, int decimals);
// The same written at `out`, which has room for fixed_units_room characters;
// answers the end of what was written.
inline constexpr std::size_t fixed_units_room = 48;
char* put_fixed_units(char* out, long long units, int decimals);
// Appends `value` as "%lld" prints it.
void append_whole(std::string& out, long long value);

std::string to_upper(std::string_view text);
std::string to_lower(std::string_view text);
// A line as read from a file without the line feeds and carriage returns at its end.
std::string without_line_end(std::string_view line);
bool equal_no_case(std::string_view a, std::string_view b);
bool starts_with_no_case(std::string_view text, std::string_view prefix);

}  // namespace qv
