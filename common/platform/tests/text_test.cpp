#include "common/platform/text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <vector>

namespace qv {
namespace {

TEST(Text, FormatsLikePrintf) {
    EXPECT_EQ(format("ERROR-LINE %d IN TABLE %s INVALID", 3, "roll_day"), "ERROR-LINE 3 IN TABLE roll_day INVALID");
    EXPECT_EQ(format("%02d/%02d/%04d", 1, 2, 1995), "01/02/1995");
}

std::string printf_fixed(double value, int decimals) {
    char text[512];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string fixed(double value, int decimals) {
    std::string out = "x";
    append_fixed(out, value, decimals);
    return out.substr(1);
}

// Every value at every precision the tools print: the text must be printf's,
// byte for byte.
void expect_fixed_like_printf(const std::vector<double>& values) {
    int mismatches = 0;
    for (const double value : values) {
        for (int decimals = 0; decimals <= 10; ++decimals) {
            const std::string expected = printf_fixed(value, decimals);
            const std::string actual = fixed(value, decimals);
            if (actual != expected && ++mismatches <= 10) {
                ADD_FAILURE() << std::hexfloat << value << " at " << decimals << ": " << actual << " instead of "
                              << expected;
            }
        }
    }
    EXPECT_EQ(mismatches, 0);
}

TEST(Text, PrintsFixedPointLikePrintf) {
    const double inf = std::numeric_limits<double>::infinity();
    std::vector<double> values = {
        0.0, -0.0, 1.0, -1.0, 0.5, 1.5, 2.5, -0.5, -2.5, 0.125, 0.375, 1.005, 2.675, 1.115, 65.125, 65.175,
        -0.004, -0.0049999, -0.005, -0.4, -1e-9, 0.045, 0.0005, 9.5, 99.995, 999999.9999995, 1e15, 1e16,
        123456789012.5, 0x1p49, 0x1p50, 0x1p52, 0x1p53 + 2, 1e22, 1e300, -1e300, 5e-324, 2.2250738585072014e-308,
        inf, -inf, std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::max()};
    // Ties and their neighbours at every precision: k + 1/2 units of the last place.
    for (int decimals = 0; decimals <= 10; ++decimals) {
        for (int k = 0; k < 2000; k += 7) {
            const double tie = (k + 0.5) / std::pow(10.0, decimals);
            for (const double v : {tie, std::nextafter(tie, 0.0), std::nextafter(tie, 1e9)}) {
                values.push_back(v);
                values.push_back(-v);
            }
        }
    }
    std::mt19937_64 random(20201204);
    // Prices as the CLC files store them (whole units scaled by the precision),
    // sums of them as the gap adjustments make them, and products as the ratio
    // linking and the field operators make them.
    std::uniform_int_distribution<std::int32_t> stored(-100000, 9999999);
    std::uniform_int_distribution<int> precision(0, 7);
    std::uniform_real_distribution<double> factor(0.2, 5.0);
    for (int i = 0; i < 20000; ++i) {
        const double price = stored(random) / std::pow(10.0, precision(random));
        const double other = stored(random) / std::pow(10.0, precision(random));
        values.push_back(price);
        values.push_back(price + other - 0.25 * stored(random) / 1000.0);
        values.push_back(price * factor(random));
    }
    // Doubles of every magnitude, from tiny to beyond the range of the integer digits.
    std::uniform_real_distribution<double> exponent(-12.0, 20.0);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);
    for (int i = 0; i < 20000; ++i) values.push_back(unit(random) * std::pow(10.0, exponent(random)));
    expect_fixed_like_printf(values);
}

TEST(Text, PrintsWholeNumbersLikePrintf) {
    for (const long long value : {0LL, 7LL, -7LL, 65535LL, 4294967295LL, std::numeric_limits<long long>::max(),
                                  std::numeric_limits<long long>::min()}) {
        std::string out = "x";
        append_whole(out, value);
        EXPECT_EQ(out, "x" + format("%lld", value));
    }
}

// A whole number of units with the point set in: printf's text of the exact
// decimal it stands for, written as digits and a point.
TEST(Text, PrintsWholeUnitsAsFixedPoint) {
    struct Case {
        long long units;
        int decimals;
        const char* text;
    };
    const Case cases[] = {{0, 0, "0"},          {0, 2, "0.00"},        {5, 3, "0.005"},
                          {-5, 3, "-0.005"},    {12345, 2, "123.45"},  {-12345, 0, "-12345"},
                          {100, 2, "1.00"},     {-99, 2, "-0.99"},     {1234567, 6, "1.234567"},
                          {std::numeric_limits<long long>::min(), 18, "-9.223372036854775808"},
                          {std::numeric_limits<long long>::max(), 0, "9223372036854775807"}};
    for (const Case& c : cases) {
        std::string out = "x";
        append_fixed_units(out, c.units, c.decimals);
        EXPECT_EQ(out, std::string("x") + c.text) << c.units << " at " << c.decimals;
    }
    // Stored prices at every precision, as append_fixed prints the price they stand for.
    std::mt19937_64 random(19801205);
    std::uniform_int_distribution<long long> stored(-99999999, 99999999);
    for (int i = 0; i < 20000; ++i) {
        const long long units = stored(random);
        const int decimals = i % 7;
        std::string out;
        append_fixed_units(out, units, decimals);
        ASSERT_EQ(out, fixed(static_cast<double>(units) / std::pow(10.0, decimals), decimals)) << units;
    }
    // Any whole number at any number of places, against the digits of
    // std::to_string with the point set in: numbers of every length, beyond
    // 32 bits too, so that each way of writing them is met.
    const auto expected = [](long long units, int decimals) {
        const unsigned long long magnitude =
            units < 0 ? 0 - static_cast<unsigned long long>(units) : static_cast<unsigned long long>(units);
        std::string digits = std::to_string(magnitude);
        if (digits.size() < static_cast<std::size_t>(decimals) + 1) digits.insert(0, decimals + 1 - digits.size(), '0');
        if (decimals > 0) digits.insert(digits.size() - static_cast<std::size_t>(decimals), ".");
        return (units < 0 ? "-" : "") + digits;
    };
    for (int i = 0; i < 20000; ++i) {
        const int length = 1 + static_cast<int>(random() % 18);  // digits of the magnitude (19: the cases above)
        const long long units = static_cast<long long>(random() % static_cast<unsigned long long>(std::pow(10.0, length))) *
                                (i % 2 == 0 ? 1 : -1);
        const int decimals = static_cast<int>(random() % 19);
        std::string out;
        append_fixed_units(out, units, decimals);
        ASSERT_EQ(out, expected(units, decimals)) << units << " at " << decimals;
    }
}

TEST(Text, ComparesWithoutCase) {
    EXPECT_TRUE(equal_no_case("[NUMCOM]", "[numcom]"));
    EXPECT_TRUE(starts_with_no_case("[NumCom] = 95", "[numcom"));
    EXPECT_FALSE(starts_with_no_case("[num", "[numcom"));
    EXPECT_EQ(to_upper("w_ wheat"), "W_ WHEAT");
}

}  // namespace
}  // namespace qv
