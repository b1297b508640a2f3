// The string and arithmetic functions: results, argument conversions and
// the error numbers of wrong arguments.
#include "family_cases.h"

using namespace qsl::testing;

namespace {

TEST(StringFunctions, Results) {
    const ValueCase cases[] = {
        {"strcat(\"ab\", 1, 2.5, \"\")", "ab12.5"},
        {"strcat()", ""},
        {"strlen(123)", "3"},  // the integer is converted to its string form
        {"strlen(\"\")", "0"},
        {"strcharcount(\"abc\")", "3"},
        {"strcmp(\"a\", \"b\")", "-1"},
        {"strcmp(\"b\", \"a\")", "1"},
        {"strcmp(\"a\", \"A\")", "1"},
        {"stricmp(\"abc\", \"ABC\")", "0"},
        {"strlower(\"AbC1\")", "abc1"},
        {"strupper(\"aBc1\")", "ABC1"},
        {"strtrim(\"  a b\t \")", "a b"},
        {"strtrim(\"   \")", ""},
        {"strfill(\"ab\", 5)", "ababa"},
        {"strfill(\"\", 5)", ""},
        {"strfill(\"ab\", -1)", ""},
        {"strfix(\"abc\", \"-\", 5)", "abc--"},
        {"strfix(\"abcdef\", \"-\", 3)", "abc"},
        {"strfix(\"abc\", \"\", 2)", "ab"},
        {"strfixleft(\"7\", \"0\", 3)", "007"},
        {"strfixchars(\"ab\", \"xy\", 5)", "abxyx"},
        {"strfixcharsl(\"ab\", \"xy\", 5)", "xyxab"},
        {"strindex(\"abcabc\", \"bc\", 0, @fwdscan)", "2"},
        {"strindex(\"abcabc\", \"bc\", 3, @fwdscan)", "5"},
        {"strindex(\"abcabc\", \"bc\", 0, @backscan)", "5"},
        {"strindex(\"abcabc\", \"bc\", 4, @backscan)", "2"},
        {"strindex(\"abc\", \"x\", 0, @fwdscan)", "0"},
        {"strindex(\"abc\", \"\", 0, @fwdscan)", "0"},
        {"strindex(\"abc\", \"c\", 9, @fwdscan)", "0"},
        {"strindexnc(\"aBcAbC\", \"bc\", 3, @fwdscan)", "5"},
        {"strscan(\"a,b;c\", \";,\", 0, @fwdscan)", "2"},
        {"strscan(\"a,b;c\", \";,\", 0, @backscan)", "4"},
        {"strscan(\"abc\", \";,\", 0, @fwdscan)", "0"},
        {"strsub(\"abcdef\", 2, 3)", "bcd"},
        {"strsub(\"abcdef\", 4, -1)", "def"},
        {"strsub(\"abcdef\", 5, 10)", "ef"},
        {"strsub(\"abcdef\", 7, 1)", ""},
        {"strsub(\"abcdef\", 0, 2)", ""},
        {"strreplace(\"a-b-c\", \"-\", \"+-\")", "a+-b+-c"},
        {"strreplace(\"abc\", \"\", \"x\")", "abc"},
        {"strindexwild(\"xxabcdd\", \"a?c*d\", 1)", "3"},
        {"strindexwild(\"xxabcdd\", \"q*\", 1)", "0"},
        {"strlenwild(\"xxabcdd\", \"a?c*d\", 3)", "4"},  // "*" takes the fewest characters
        {"strlenwild(\"xxabcdd\", \"a*\", 3)", "5"},     // a final "*" takes the rest
        {"strlenwild(\"xxabcdd\", \"a*\", 1)", "0"},
        {"strsubwild(\"xxabcdd\", \"a?c*d\", 3)", "abcd"},
        {"char2num(\"A\")", "65"},
        {"char2num(\"\")", "0"},
        {"num2char(97)", "a"},
        {"num2char(0)", ""},
    };
    expect_values(cases);
}

TEST(StringFunctions, Errors) {
    const ErrorCase cases[] = {
        {"strfix(\"a\", \"\", 3)", 1571},
        {"strcmp(\"a\")", 3068},
        {"strlen(\"a\", \"b\")", 3068},
        {"strsub(\"abc\", \"x\", 1)", 3057},
        {"strcat(\"a\" \"b\")", 3068},
        {"strcat \"a\"", 3067},
        {"strfill(\"a\", 20000000)", 3096},
    };
    expect_errors(cases);
}

TEST(StringFunctions, ParseDataSetsParameters) {
    ScriptHost host;
    EXPECT_EQ(host.run("n = parsedata(\"one 'two words' 3\")\n"), 0);
    EXPECT_EQ(host.var("n"), "3");
    EXPECT_EQ(host.var("param0"), "3");
    EXPECT_EQ(host.var("param2"), "two words");
    EXPECT_EQ(host.var("param3"), "3");
}

TEST(ArithmeticFunctions, Results) {
    const ValueCase cases[] = {
        {"abs(-5)", "5"},
        {"abs(2.5)", "3"},  // the argument is rounded to an integer first
        {"abs(-2147483647 - 1)", "-2147483648"},
        {"int(\"7\")", "7"},
        {"int(-2.5)", "-3"},
        {"max(3, 9, -1)", "9"},
        {"max(3, 9.5, \"12\")", "12.0"},
        {"min(3, \"-4\", 2)", "-4"},
        {"average(1, 2)", "1.5"},
        {"average(2)", "2.0"},
        {"random(0)", "0"},
        {"sqrt(\"16\")", "4.0"},  // the string becomes the float 16.0
        {"sqrt(2) > 1.414", "1"},
        {"floor(-2.5)", "-3.0"},
        {"ceiling(2.1)", "3.0"},
        {"fabs(-1.25)", "1.25"},
        {"loge(@e)", "1.0"},
        {"log10(1000)", "3.0"},
        {"exp(0)", "1.0"},
        {"sin(0)", "0.0"},
        {"cos(0)", "1.0"},
        {"atan(1) * 4 == @pi", "1"},
        {"isint(\"12\")", "1"},
        {"isint(\"1.5\")", "0"},
        {"isint(\"abc\")", "0"},
        {"isfloat(\"1.5e3\")", "1"},
        {"isfloat(\"1.5.3\")", "0"},
        {"isnumber(\"-7\")", "1"},
        {"isnumber(\"7x\")", "0"},
    };
    expect_values(cases);
    ScriptHost host;
    ASSERT_EQ(host.run("ok = 1\nn = 0\nWHILE n < 200\n r = random(3)\n IF r < 0 || r > 3 THEN ok = 0\n n = n + 1\n"
                       "ENDWHILE\n"),
              0);
    EXPECT_EQ(host.var("ok"), "1");
}

TEST(ArithmeticFunctions, FloatingPointErrors) {
    const ErrorCase cases[] = {
        {"sqrt(-1)", 1341},
        {"asin(2)", 1341},
        {"loge(0)", 1344},
        {"exp(1000)", 1342},
        {"exp(-1000)", 1346},
        {"sqrt(\"1.2.3\")", 3338},
        {"sqrt(\"1e2e3\")", 3339},
        {"sqrt(\"abc\")", 3340},
        {"max()", 3066},
        {"max(1, \"x\")", 3057},
        {"abs(\"x\")", 3057},
    };
    expect_errors(cases);
    // A minor floating-point error under @OFF leaves 0 and goes on.
    ScriptHost host;
    EXPECT_EQ(host.run("m = errormode(@OFF)\nx = sqrt(-1)\ne = lasterror()\n"), 0);
    EXPECT_EQ(host.var("x"), "0");
    EXPECT_EQ(host.var("e"), "1341");
}

}  // namespace
