// Values, expressions and variables: precedence, conversions, comparisons,
// float display, substitution and the limits of names.
#include <gtest/gtest.h>
#include <unistd.h>

#include "script_host.h"

namespace qsl::testing {
int ScriptHost::getpid_() { return int(::getpid()); }
}  // namespace qsl::testing

using qsl::testing::ScriptHost;

namespace {

struct ExpressionCase {
    const char* expression;
    const char* value;
};

// The value of each expression as the script sees it (converted to a string).
TEST(Expressions, PrecedenceConversionsAndComparisons) {
    const ExpressionCase cases[] = {
        {"\"5\" == 5", "1"},          // both integers
        {"\"abc\" < \"abd\"", "1"},   // string compare
        {"\"1.0\" == 1", "1"},        // float compare of display forms
        {"7 / 2", "3"},
        {"7.0 / 2", "3.5"},
        {"-7 mod 3", "-1"},
        {"7 mod -3", "1"},
        {"2 ** 3 ** 2", "64"},        // left to right
        {"2 + 3 * 4", "14"},
        {"(2 + 3) * 4", "20"},
        {"1 + 2 == 3", "1"},
        {"1 < 2 && 2 < 1 || 1", "1"},
        {"6 & 3 | 8", "10"},
        {"1 << 33", "2"},             // shift count modulo 32
        {"-16 >> 2", "-4"},           // arithmetic right shift
        {"2147483647 + 1", "-2147483648"},
        {"-2 ** 2", "4"},             // unary binds tighter than **
        {"!0", "1"},
        {"!0.0", "1"},
        {"~0", "-1"},
        {"\"12\" + 1", "13"},
        {"\"1.5\" + 1", "2.5"},
        {"0.1 + 0.2", "0.3"},
        {"2.0", "2.0"},
        {"1.5", "1.5"},
        {"1 + 1.0", "2.0"},
        {"0.0", "0.0"},
        {"\"abc\" == 5", "0"},        // number turned into its string form
        {"\"b\" > 5", "1"},
        {"2 ** 0", "1"},
        {"@pi > 3.14", "1"},
        {"@tab == \"\t\"", "1"},
        {"@wholesection", "692837"},
        {"@regmachine", "-2147483646"},
        {"12345678901", "1.23456789e+10"},  // too big for an integer
    };
    for (const auto& c : cases) {
        ScriptHost host;
        ASSERT_EQ(host.run(std::string("x = ") + c.expression + "\n"), 0) << c.expression;
        EXPECT_EQ(host.var("x"), c.value) << c.expression;
    }
}

struct ErrorCase {
    const char* statement;
    int error;
};

TEST(Expressions, ErrorsStopTheScript) {
    const ErrorCase cases[] = {
        {"x = 1 & 1.5", 3063},
        {"x = 1 / 0", 3062},
        {"x = 1.0 mod 0", 3062},
        {"x = ~1.5", 3064},
        {"x = 2 ** -1", 1351},
        {"x = 1e200 * 1e200", 1342},
        {"x = \"abc\" + 1", 3057},
        {"x = (1 + 2", 3065},
        {"x = 1 = 2", 3069},
        {"x = 1 2", 3074},
        {"x = 1..2", 3338},
        {"x = 1e5e3", 3339},
        {"x = undefinedname", 3052},
        {"x = 1 $ 2", 3054},
        {"abcdefghijabcdefghijabcdefghij1 = 1", 3055},
        {"x = ", 3071},
        {"x = \"unterminated", 3054},
        {"x = debugdata(\"a\", \"b\")", 3046},   // a family this build does not have
        {"x = errormode(1, 2)", 3068},
        {"x = errormode(1 2)", 3066},
        {"x = errormode 1", 3067},
        {"x = drop(1)", 3102},
        {"x = isdefined(1)", 3103},
    };
    for (const auto& c : cases) {
        ScriptHost host;
        EXPECT_EQ(host.run(std::string(c.statement) + "\ny = 1\n"), c.error) << c.statement;
        EXPECT_EQ(host.var("y"), "<none>") << c.statement;
        ASSERT_EQ(host.boxes.size(), 1u) << c.statement;
        EXPECT_EQ(host.boxes[0].title.substr(0, 4), std::to_string(c.error)) << c.statement;
    }
}

TEST(Expressions, FloatThatDoesNotFitAnIntegerIsRefusedAsArgument) {
    ScriptHost host;
    EXPECT_EQ(host.run("x = errormode(3000000000.0)\n"), 3057);
    ScriptHost rounded;
    EXPECT_EQ(rounded.run("x = errormode(0.6)\ny = errormode(1)\n"), 0);
    EXPECT_EQ(rounded.var("y"), "1");  // 0.6 rounded to 1 (@CANCEL) was the mode set
}

TEST(Expressions, DecimalsChoosesTheFloatDisplay) {
    const struct {
        const char* decimals;
        const char* value;
        const char* shown;
    } cases[] = {
        {"-1", "3.14159", "3.14159"},  {"-1", "0.00001", "1.00000000e-05"}, {"-1", "1234567890.0", "1.23456789e+09"},
        {"2", "3.14159", "3.14"},      {"2", "2.5", "2.50"},                {"0", "2.5", "3"},
        {"0", "-2.5", "-3"},           {"-2", "0.5", "0.5"},                {"-3", "1.5", "1.500000e+00"},
        {"12", "1.0", "1.00000000"},   {"-7", "0.25", "0.25"},
    };
    for (const auto& c : cases) {
        ScriptHost host;
        ASSERT_EQ(host.run(std::string("d = decimals(") + c.decimals + ")\nx = " + c.value + "\ns = \"%x%\"\n"), 0);
        EXPECT_EQ(host.var("s"), c.shown) << c.decimals << " " << c.value;
    }
}

TEST(Variables, AssignmentDropAndIsDefined) {
    ScriptHost host;
    EXPECT_EQ(host.run("a = \"text\"\nb = a\na = 5\nc = isdefined(a) + isdefined(nothing)\n"
                       "x = drop(a, b)\nd = isdefined(a)\nMixedCase = 3\n"),
              0);
    EXPECT_EQ(host.var("a"), "<none>");
    EXPECT_EQ(host.var("b"), "<none>");
    EXPECT_EQ(host.var("c"), "1");
    EXPECT_EQ(host.var("d"), "0");
    EXPECT_EQ(host.var("mixedcase"), "3");
}

TEST(Variables, ADroppedNameIsLookedUpAgainWhenItsSlotIsReused) {
    ScriptHost host;
    EXPECT_EQ(host.run("a = 1\nb = 2\nx = drop(a)\nc = 3\na = 4\nd = a + c\n"), 0);
    EXPECT_EQ(host.var("c"), "3");
    EXPECT_EQ(host.var("a"), "4");
    EXPECT_EQ(host.var("d"), "7");
}

TEST(Substitution, ReplacesNamesAndKeepsPercent) {
    ScriptHost host;
    EXPECT_EQ(host.run("n = 100\nname = \"World\"\ns = \"%n%%% of %name%%nothing%!\"\nt = \"a%@tab%b\"\n"
                       "v = \"s\"\n%v%2 = 7\n"),
              0);
    EXPECT_EQ(host.var("s"), "100% of World!");
    EXPECT_EQ(host.var("t"), "a\tb");
    EXPECT_EQ(host.var("s2"), "7");
}

TEST(Substitution, Errors) {
    const ErrorCase cases[] = {
        {"s = \"%abcdefghijabcdefghijabcdefghij1%\"", 3047},
        {"s = \"50% off\"", 3048},
        {"s = \"%long%%long%\"", 3101},
    };
    for (const auto& c : cases) {
        ScriptHost host;
        std::string long_value(200, 'x');
        EXPECT_EQ(host.run("long = \"" + long_value + "\"\n" + c.statement + "\n"), c.error) << c.statement;
    }
}

TEST(Substitution, InsideASkippedBlockIsNotAnError) {
    ScriptHost host;
    EXPECT_EQ(host.run("IF 0\ns = \"50% off\"\nENDIF\nok = 1\n"), 0);
    EXPECT_EQ(host.var("ok"), "1");
}

TEST(StringHeap, GrowsWithoutMovingOtherStrings) {
    ScriptHost host(1024);
    ASSERT_EQ(host.run("first = \"one\"\nsecond = \"two\"\n"), 0);
    uint32_t first = host.offset_of(0), second = host.offset_of(1);
    // A line holds at most 255 characters, so the host sets the long value.
    std::string value(10000, 'q');
    EXPECT_EQ(DLLServices(host.instance, 1, "big", value.data(), 0, 0), 1);
    EXPECT_EQ(host.var("big"), value);
    EXPECT_EQ(host.offset_of(0), first);
    EXPECT_EQ(host.offset_of(1), second);
    EXPECT_EQ(host.var("first"), "one");
    EXPECT_EQ(host.var("second"), "two");
    EXPECT_GT(QslGlobalSize(host.heap), 10000u);
    EXPECT_EQ(host.record[2], host.heap);  // the host record received the handle
}

}  // namespace
