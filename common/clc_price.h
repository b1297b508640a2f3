#pragma once

// Prices of the CLC database are stored as whole numbers, the price times
// 10^precision, the precision coming from the commodity table. These are the
// conversions between stored numbers, prices and the price texts of update
// lines and converter files.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace qv {

// The price a stored number stands for; a precision of 0 or less means no division.
double stored_to_price(std::int64_t stored, int precision);

// Appends the price a stored number stands for with `precision` decimals,
// exactly as "%.<precision>lf" prints it but from the stored digits, without a
// detour through floating point; a precision of 0 or less writes the number.
void append_price(std::string& text, std::int64_t stored, int precision);

// The next price token of a line, from pos on: blanks, tabs and commas before it
// are skipped, and it ends at the next blank, tab or comma or at the end of the
// text. pos is left just after the token; empty when the text has no more tokens.
std::string_view next_price_token(std::string_view text, std::size_t& pos);

// Update number to stored number. A token without a decimal point is already a
// stored number and is read as it is. Otherwise the digits before the point are
// followed by exactly `precision` characters from after it, where a position
// beyond the token or holding anything but a digit counts as "0"; further
// decimals are dropped, not rounded. So with precision 2: 1.2345 gives 123,
// 98.5 gives 9850, 98 gives 98. A number too large for 64 bits is held at the
// nearest 64-bit value, which no price width accepts.
std::int64_t update_number_to_stored(std::string_view token, int precision);

// A whole number as "%ld" reads it from pos: blanks and tabs, an optional sign,
// digits. Returns false when there is no digit; pos is left after the number.
bool read_whole_number(std::string_view text, std::size_t& pos, std::int64_t& value);

}  // namespace qv
