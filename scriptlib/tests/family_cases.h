// Tables of function calls for the family tests: each expression is assigned
// to x in a fresh instance and x read back as text, or the error that
// stopped the run is compared.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "script_host.h"

namespace qsl::testing {

struct ValueCase {
    const char* expression;
    const char* value;
};

struct ErrorCase {
    const char* expression;
    int error;
};

template <size_t N>
void expect_values(const ValueCase (&cases)[N], const std::string& prelude = "") {
    for (const ValueCase& c : cases) {
        ScriptHost host(16384);
        EXPECT_EQ(host.run(prelude + "x = " + c.expression + "\n"), 0) << c.expression;
        EXPECT_EQ(host.var("x"), c.value) << c.expression;
    }
}

template <size_t N>
void expect_errors(const ErrorCase (&cases)[N], const std::string& prelude = "") {
    for (const ErrorCase& c : cases) {
        ScriptHost host(16384);
        EXPECT_EQ(host.run(prelude + "x = " + c.expression + "\n"), c.error) << c.expression;
    }
}

}  // namespace qsl::testing
