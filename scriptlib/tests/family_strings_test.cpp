// The string functions: results and the error numbers of wrong arguments.
#include <gtest/gtest.h>

#include "script_host.h"

using qsl::testing::ScriptHost;

namespace {

struct Case {
    const char* expression;
    const char* value;
};

void expect_values(const Case* begin, const Case* end) {
    for (const Case* c = begin; c != end; ++c) {
        ScriptHost host(16384);
        ASSERT_EQ(host.run(std::string("x = ") + c->expression + "\n"), 0) << c->expression;
        EXPECT_EQ(host.var("x"), c->value) << c->expression;
    }
}

TEST(StringFunctions, Results) {
    const Case cases[] = {
        {"strcat(\"ab\", 1, 2.5, \"\")", "ab12.5"},
        {"strcat()", ""},
        {"strlen(\"abc\")", "3"},
        {"strlen(12345)", "5"},
        {"strlen(\"\")", "0"},
    };
    expect_values(std::begin(cases), std::end(cases));
}

}  // namespace
