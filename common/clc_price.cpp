#include "common/clc_price.h"

#include <limits>
#include <string>

namespace qv {

namespace {

bool is_separator(char c) { return c == ' ' || c == '\t' || c == ','; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }

// An optional sign and the digits that follow, as atol reads the start of a text;
// held at the 64-bit limits instead of overflowing.
std::int64_t leading_integer(std::string_view text, std::size_t& pos, bool& any_digit) {
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    constexpr auto limit = std::numeric_limits<std::int64_t>::max();
    std::int64_t value = 0;
    bool saturated = false;
    any_digit = false;
    for (; pos < text.size() && is_digit(text[pos]); ++pos) {
        any_digit = true;
        const int digit = text[pos] - '0';
        if (saturated || value > (limit - digit) / 10) {
            saturated = true;
            continue;
        }
        value = value * 10 + digit;
    }
    if (saturated) return negative ? std::numeric_limits<std::int64_t>::min() : limit;
    return negative ? -value : value;
}

}  // namespace

double stored_to_price(std::int64_t stored, int precision) {
    double price = static_cast<double>(stored);
    if (precision <= 0) return price;
    double divisor = 1.0;
    for (int i = 0; i < precision; ++i) divisor *= 10.0;
    return price / divisor;
}

void append_price(std::string& text, std::int64_t stored, int precision) {
    if (precision <= 0) {
        text += std::to_string(stored);
        return;
    }
    if (stored < 0) text += '-';
    const std::uint64_t magnitude = stored < 0 ? 0 - static_cast<std::uint64_t>(stored) : static_cast<std::uint64_t>(stored);
    std::string digits = std::to_string(magnitude);
    const auto places = static_cast<std::size_t>(precision);
    if (digits.size() <= places) digits.insert(0, places + 1 - digits.size(), '0');
    text.append(digits, 0, digits.size() - places);
    text += '.';
    text.append(digits, digits.size() - places, places);
}

std::string_view next_price_token(std::string_view text, std::size_t& pos) {
    while (pos < text.size() && is_separator(text[pos])) ++pos;
    const std::size_t start = pos;
    while (pos < text.size() && !is_separator(text[pos])) ++pos;
    return text.substr(start, pos - start);
}

std::int64_t update_number_to_stored(std::string_view token, int precision) {
    const std::size_t point = token.find('.');
    if (point == std::string_view::npos) {
        std::size_t pos = 0;
        bool any_digit = false;
        return leading_integer(token, pos, any_digit);
    }
    // The digits before the point, then exactly `precision` places after it.
    char digits[64];
    std::string longer;
    const std::size_t places = precision > 0 ? static_cast<std::size_t>(precision) : 0;
    const std::size_t size = point + places;
    char* out = digits;
    if (size > sizeof digits) {
        longer.resize(size);
        out = longer.data();
    }
    token.copy(out, point);
    for (std::size_t i = 1; i <= places; ++i) {
        const std::size_t at = point + i;
        out[point + i - 1] = at < token.size() && is_digit(token[at]) ? token[at] : '0';
    }
    std::size_t pos = 0;
    bool any_digit = false;
    return leading_integer(std::string_view(out, size), pos, any_digit);
}

bool read_whole_number(std::string_view text, std::size_t& pos, std::int64_t& value) {
    std::size_t at = pos;
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
    bool any_digit = false;
    value = leading_integer(text, at, any_digit);
    if (!any_digit) return false;
    pos = at;
    return true;
}

}  // namespace qv
