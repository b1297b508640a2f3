#include "common/mbf.h"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>

namespace qv {
namespace {

using Bytes = std::array<std::uint8_t, 4>;

Bytes ieee_bytes(float value) {
    const auto bits = std::bit_cast<std::uint32_t>(value);
    return {static_cast<std::uint8_t>(bits), static_cast<std::uint8_t>(bits >> 8),
            static_cast<std::uint8_t>(bits >> 16), static_cast<std::uint8_t>(bits >> 24)};
}

TEST(Mbf, KnownNumbersBothWays) {
    struct Case {
        Bytes ieee;
        Bytes mbf;
    };
    const Case cases[] = {
        {{0x00, 0x00, 0x80, 0x3F}, {0x00, 0x00, 0x00, 0x81}},  // 1.0
        {{0x00, 0x00, 0x20, 0xC0}, {0x00, 0x00, 0xA0, 0x82}},  // -2.5
        {{0x00, 0x00, 0x00, 0x3F}, {0x00, 0x00, 0x00, 0x80}},  // 0.5
        {{0xDB, 0x0F, 0x49, 0x40}, {0xDB, 0x0F, 0x49, 0x82}},  // pi
        // 1140315, the date 15 March 2014
        {ieee_bytes(1140315.0f), {0xD8, 0x32, 0x0B, 0x95}},
    };
    for (const Case& c : cases) {
        Bytes out{9, 9, 9, 9};
        EXPECT_EQ(ieee_to_mbf(c.ieee.data(), out.data()), 0);
        EXPECT_EQ(out, c.mbf);
        mbf_to_ieee(c.mbf.data(), out.data());
        EXPECT_EQ(out, c.ieee);
    }
}

TEST(Mbf, ZeroAndTinyValuesBecomeZero) {
    // Any MBF number with exponent 0 is 0, whatever its other bytes.
    const Bytes mbf_zero{0x12, 0x34, 0xD6, 0x00};
    Bytes out{9, 9, 9, 9};
    mbf_to_ieee(mbf_zero.data(), out.data());
    EXPECT_EQ(out, (Bytes{0, 0, 0, 0}));

    for (float value : {0.0f, -0.0f, std::numeric_limits<float>::denorm_min(), 1.0e-39f}) {
        out = {9, 9, 9, 9};
        EXPECT_EQ(ieee_to_mbf(ieee_bytes(value).data(), out.data()), 0) << value;
        EXPECT_EQ(out, (Bytes{0, 0, 0, 0})) << value;
        EXPECT_EQ(mbf_to_float(out.data()), 0.0f);
    }
}

TEST(Mbf, TheSmallestMbfExponentsAreNotInfinite) {
    // Exponents 1 and 2 are 2^-128 and 2^-127: below the normal floats, but
    // still tiny numbers, never an infinity or NaN.
    const Bytes smallest{0x00, 0x00, 0x00, 0x01};
    const Bytes next{0x00, 0x00, 0x80, 0x02};  // -2^-127
    EXPECT_EQ(mbf_to_float(smallest.data()), std::ldexp(1.0f, -128));
    EXPECT_EQ(mbf_to_float(next.data()), -std::ldexp(1.0f, -127));
}

TEST(Mbf, ValuesWithoutMbfFormAreRefusedAndWriteNothing) {
    for (float value : {std::numeric_limits<float>::max(), -std::ldexp(1.0f, 127),
                        std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity(),
                        std::numeric_limits<float>::quiet_NaN()}) {
        Bytes out{9, 9, 9, 9};
        EXPECT_EQ(ieee_to_mbf(ieee_bytes(value).data(), out.data()), 1) << value;
        EXPECT_EQ(out, (Bytes{9, 9, 9, 9})) << value;
        EXPECT_FALSE(float_to_mbf(value, out.data()));
    }
    // The largest value with an MBF form: exponent field 253.
    Bytes out{};
    EXPECT_TRUE(float_to_mbf(std::ldexp(1.99f, 126), out.data()));
    EXPECT_EQ(out[3], 255);
}

TEST(Mbf, EveryRepresentableFloatSurvivesTheRoundTrip) {
    std::mt19937 random(20141215);
    std::uniform_int_distribution<std::uint32_t> any_bits;
    int checked = 0;
    for (int i = 0; i < 200000; ++i) {
        const float value = std::bit_cast<float>(any_bits(random));
        Bytes mbf{};
        if (!float_to_mbf(value, mbf.data())) {
            ASSERT_TRUE(std::isnan(value) || std::fabs(value) >= std::ldexp(1.0f, 127)) << value;
            continue;
        }
        ++checked;
        if (std::fabs(value) < std::ldexp(1.0f, -128))
            ASSERT_EQ(mbf_to_float(mbf.data()), 0.0f) << value;
        else
            ASSERT_EQ(mbf_to_float(mbf.data()), value) << value;
    }
    EXPECT_GT(checked, 100000);
}

}  // namespace
}  // namespace qv
