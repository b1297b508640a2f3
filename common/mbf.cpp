#include "common/mbf.h"

#include <bit>
#include <cstring>

namespace qv {

namespace {

constexpr std::uint32_t mantissa_mask = 0x7FFFFF;
constexpr std::uint32_t implied_one = 0x800000;

std::uint32_t get_u32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

void put_u32(std::uint8_t* p, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

}  // namespace

// Both forms hold 1.m x 2^k: MBF with exponent k + 129, IEEE with k + 127.
void mbf_to_ieee(const std::uint8_t* mbf, std::uint8_t* ieee) {
    const unsigned exponent = mbf[3];
    if (exponent == 0) {
        std::memset(ieee, 0, 4);
        return;
    }
    const std::uint32_t sign = (mbf[2] & 0x80u) ? 0x80000000u : 0;
    const std::uint32_t mantissa = get_u32(mbf) & mantissa_mask;
    if (exponent <= 2) {
        // 2^-128 and 2^-127 lie below the smallest normal float (2^-126).
        put_u32(ieee, sign | ((implied_one | mantissa) >> (3 - exponent)));
        return;
    }
    put_u32(ieee, sign | (exponent - 2) << 23 | mantissa);
}

int ieee_to_mbf(const std::uint8_t* ieee, std::uint8_t* mbf) {
    const std::uint32_t bits = get_u32(ieee);
    const unsigned exponent = (bits >> 23) & 0xFF;
    std::uint32_t mantissa = bits & mantissa_mask;
    if (exponent >= 254) return 1;  // beyond MBF's exponent byte, infinity, NaN
    const std::uint32_t sign = (bits & 0x80000000u) ? 0x800000u : 0;
    unsigned mbf_exponent = exponent + 2;
    if (exponent == 0) {
        // Zero or a denormal: only the two largest binary orders of the
        // denormals reach the smallest MBF exponents; the rest is 0.
        if (mantissa & 0x400000u) {
            mbf_exponent = 2;
            mantissa = (mantissa << 1) & mantissa_mask;
        } else if (mantissa & 0x200000u) {
            mbf_exponent = 1;
            mantissa = (mantissa << 2) & mantissa_mask;
        } else {
            std::memset(mbf, 0, 4);
            return 0;
        }
    }
    put_u32(mbf, static_cast<std::uint32_t>(mbf_exponent) << 24 | sign | mantissa);
    return 0;
}

float mbf_to_float(const std::uint8_t* mbf) {
    std::uint8_t ieee[4];
    mbf_to_ieee(mbf, ieee);
    return std::bit_cast<float>(get_u32(ieee));
}

bool float_to_mbf(float value, std::uint8_t* mbf) {
    std::uint8_t ieee[4];
    put_u32(ieee, std::bit_cast<std::uint32_t>(value));
    return ieee_to_mbf(ieee, mbf) == 0;
}

}  // namespace qv
