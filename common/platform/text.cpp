#include "common/platform/text.h"

#include <algorithm>
#include <bit>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdint>
#include <cstring>
#include <iterator>

namespace qv {

std::string vformat(const char* fmt, std::va_list args) {
    std::va_list copy;
    va_copy(copy, args);
    const int size = std::vsnprintf(nullptr, 0, fmt, copy);
    va_end(copy);
    if (size <= 0) return {};
    std::string out(static_cast<std::size_t>(size), '\0');
    std::vsnprintf(out.data(), out.size() + 1, fmt, args);
    return out;
}

std::string format(const char* fmt, ...) {
    std::va_list args;
    va_start(args, fmt);
    std::string out = vformat(fmt, args);
    va_end(args);
    return out;
}

namespace {

constexpr double powers_of_ten[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
constexpr int fast_decimals = static_cast<int>(std::size(powers_of_ten)) - 1;
// Below this the product's rounding error is at most 2^-3 (an eighth of a unit).
constexpr double fast_limit = 0x1p50;

// "%.*f" prints the decimal nearest to the exact binary value of `value` at
// `decimals` places. The scaled product r = |value| * 10^decimals is one
// correctly rounded multiplication by an exact power of ten, so it differs
// from the exact scaled value by at most half an ulp of r (an eighth below
// 2^50). When r lies within a quarter of an integer n, the exact scaled value
// lies within 0.375 of n: n is its unique nearest integer, no tie can arise,
// and the printed digits are those of n with the point `decimals` places from
// the right (the tools leave the rounding mode at its default, to nearest).
// Otherwise (near a tie, huge, inf, nan) false, and printf decides.
bool scaled_whole(double magnitude, int decimals, unsigned long long& whole) {
    if (decimals < 0 || decimals > fast_decimals) return false;
    const double scaled = magnitude * powers_of_ten[decimals];
    if (!(scaled < fast_limit)) return false;
    const double nearest = std::nearbyint(scaled);
    if (!(std::fabs(scaled - nearest) < 0.25)) return false;
    whole = static_cast<unsigned long long>(nearest);
    return true;
}

// The two digits of 0 to 99, for writing numbers two digits at a time.
constexpr char digit_pairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

constexpr unsigned long long whole_powers_of_ten[] = {
    1ull, 10ull, 100ull, 1000ull, 10000ull, 100000ull, 1000000ull, 10000000ull, 100000000ull, 1000000000ull,
    10000000000ull, 100000000000ull, 1000000000000ull, 10000000000000ull, 100000000000000ull,
    1000000000000000ull, 10000000000000000ull, 100000000000000000ull, 1000000000000000000ull,
    10000000000000000000ull};

// The number of decimal digits of `value` (1 for 0): log10 estimated from the
// binary length (1233 / 4096 is just below log10 2), then corrected.
template <typename Unsigned>
int decimal_digits(Unsigned value) {
    const int estimate = (std::bit_width(static_cast<Unsigned>(value | 1)) * 1233) >> 12;
    return estimate + (value >= whole_powers_of_ten[estimate] ? 1 : 0);
}

// Writes the digits of `value` backwards ending at `end`, at least `width` of
// them (zeros in front); answers where they begin.
char* put_digits_before(char* end, unsigned long long value, int width) {
    char* first = end;
    while (value >= 100) {
        const unsigned pair = static_cast<unsigned>(value % 100) * 2;
        value /= 100;
        first -= 2;
        first[0] = digit_pairs[pair];
        first[1] = digit_pairs[pair + 1];
    }
    if (value >= 10) {
        const unsigned pair = static_cast<unsigned>(value) * 2;
        first -= 2;
        first[0] = digit_pairs[pair];
        first[1] = digit_pairs[pair + 1];
    } else {
        *--first = static_cast<char>('0' + value);
    }
    while (end - first < width) *--first = '0';
    return first;
}

// Writes the digits of `whole` with the point `decimals` places from the
// right and zeros in front so that at least one digit stands before the
// point, ending at `end`; answers where they begin.
char* put_point_digits_before(char* end, unsigned long long whole, int decimals) {
    char* first = end;
    if (decimals > 0) {
        const unsigned long long scale = whole_powers_of_ten[decimals];
        first = put_digits_before(end, whole % scale, decimals);
        *--first = '.';
        whole /= scale;
    }
    return put_digits_before(first, whole, 1);
}

void append_point_digits(std::string& out, unsigned long long whole, int decimals) {
    char digits[fixed_units_room];
    char* const end = digits + sizeof digits;
    const char* first = put_point_digits_before(end, whole, decimals);
    out.append(first, static_cast<std::size_t>(end - first));
}

void append_printf_fixed(std::string& out, double value, int decimals) {
    char text[512];
    const int size = std::snprintf(text, sizeof text, "%.*f", decimals, value);
    if (size >= 0 && static_cast<std::size_t>(size) < sizeof text) out.append(text, static_cast<std::size_t>(size));
    else out += format("%.*f", decimals, value);
}

}  // namespace

void append_fixed(std::string& out, double value, int decimals) {
    unsigned long long whole = 0;
    if (!scaled_whole(std::fabs(value), decimals, whole)) {
        append_printf_fixed(out, value, decimals);
        return;
    }
    if (std::signbit(value)) out += '-';
    append_point_digits(out, whole, decimals);
}

namespace {

// put_fixed_units for any magnitude and number of places.
template <typename Unsigned>
char* put_point_units(char* out, Unsigned magnitude, int decimals) {
    // Written backwards from the end, which is known once the digits are
    // counted: at least one before the point, `decimals` after it.
    const int digits = std::max(decimal_digits(magnitude), decimals + 1);
    char* const end = out + digits + (decimals > 0 ? 1 : 0);
    char* first = end;
    int places = decimals;
    for (; places >= 2; places -= 2) {
        const unsigned pair = static_cast<unsigned>(magnitude % 100) * 2;
        magnitude /= 100;
        first -= 2;
        std::memcpy(first, digit_pairs + pair, 2);
    }
    if (places == 1) {
        *--first = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    }
    if (decimals > 0) *--first = '.';
    while (magnitude >= 100) {
        const unsigned pair = static_cast<unsigned>(magnitude % 100) * 2;
        magnitude /= 100;
        first -= 2;
        std::memcpy(first, digit_pairs + pair, 2);
    }
    if (magnitude >= 10) {
        const unsigned pair = static_cast<unsigned>(magnitude) * 2;
        first -= 2;
        std::memcpy(first, digit_pairs + pair, 2);
    } else {
        *--first = static_cast<char>('0' + magnitude);
    }
    return end;
}

// One or two digits of a value below 100.
char* put_short(char* out, std::uint32_t value) {
    if (value < 10) {
        *out = static_cast<char>('0' + value);
        return out + 1;
    }
    std::memcpy(out, digit_pairs + 2 * value, 2);
    return out + 2;
}

// The two digits of a value below 100.
char* put_pair(char* out, std::uint32_t value) {
    std::memcpy(out, digit_pairs + 2 * value, 2);
    return out + 2;
}

// Writes `value` at `out` without zeros in front; answers the end. The
// short numbers prices are made of take a branch or two and a pair or three.
inline char* put_whole(char* out, std::uint32_t value) {
    if (value < 100) return put_short(out, value);
    if (value < 10000) return put_pair(put_short(out, value / 100), value % 100);
    if (value < 1000000) return put_pair(put_pair(put_short(out, value / 10000), value / 100 % 100), value % 100);
    char* const end = out + decimal_digits(value);
    put_digits_before(end, value, 1);
    return end;
}

// Writes the `Places` digits of `value` (below 10^Places), zeros in front.
template <int Places>
char* put_places(char* out, std::uint32_t value) {
    if constexpr (Places == 1) {
        *out = static_cast<char>('0' + value);
        return out + 1;
    } else if constexpr (Places == 2) {
        return put_pair(out, value);
    } else if constexpr (Places == 3) {
        *out = static_cast<char>('0' + value / 100);
        return put_pair(out + 1, value % 100);
    } else if constexpr (Places == 4) {
        return put_pair(put_pair(out, value / 100), value % 100);
    } else {
        char* const end = out + Places;
        put_digits_before(end, value, Places);
        return end;
    }
}

// A magnitude with `Places` places after the point, divided by a constant,
// which the compiler turns into a multiplication.
template <int Places>
char* put_scaled(char* out, std::uint32_t magnitude) {
    constexpr auto scale = static_cast<std::uint32_t>(whole_powers_of_ten[Places]);
    out = put_whole(out, magnitude / scale);
    *out++ = '.';
    return put_places<Places>(out, magnitude % scale);
}

}  // namespace

char* put_fixed_units(char* out, long long units, int decimals) {
    const unsigned long long magnitude =
        units < 0 ? 0 - static_cast<unsigned long long>(units) : static_cast<unsigned long long>(units);
    if (units < 0) *out++ = '-';
    if (magnitude > 0xFFFFFFFFu) return put_point_units(out, magnitude, decimals);
    const auto price = static_cast<std::uint32_t>(magnitude);
    switch (decimals) {
        case 0: return put_whole(out, price);
        case 1: return put_scaled<1>(out, price);
        case 2: return put_scaled<2>(out, price);
        case 3: return put_scaled<3>(out, price);
        case 4: return put_scaled<4>(out, price);
        case 5: return put_scaled<5>(out, price);
        case 6: return put_scaled<6>(out, price);
        default: return put_point_units(out, price, decimals);
    }
}

void append_fixed_units(std::string& out, long long units, int decimals) {
    char text[fixed_units_room];
    out.append(text, static_cast<std::size_t>(put_fixed_units(text, units, decimals) - text));
}

void append_whole(std::string& out, long long value) {
    char digits[24];
    const auto written = std::to_chars(digits, digits + sizeof digits, value).ptr;
    out.append(digits, static_cast<std::size_t>(written - digits));
}

std::string to_upper(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

std::string to_lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::string without_line_end(std::string_view line) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
    return std::string(line);
}

bool equal_no_case(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

bool starts_with_no_case(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && equal_no_case(text.substr(0, prefix.size()), prefix);
}

}  // namespace qv
