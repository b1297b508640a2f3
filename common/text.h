#pragma once

#include <cstdarg>
#include <string>
#include <string_view>

namespace qv {

// printf-style formatting into a string; the suite's messages are printf formats.
std::string format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
std::string vformat(const char* fmt, std::va_list args);

std::string to_upper(std::string_view text);
bool equal_no_case(std::string_view a, std::string_view b);
bool starts_with_no_case(std::string_view text, std::string_view prefix);

}  // namespace qv
