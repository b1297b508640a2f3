// Calling functions of a small test library through dllload and dllcall.
#include <gtest/gtest.h>

#include "script_host.h"

using qsl::testing::ScriptHost;

namespace {

std::string library_variable(ScriptHost& host) {
    std::string path = QSL_TEST_LIBRARY;
    std::vector<char> value(path.begin(), path.end());
    value.push_back('\0');
    DLLServices(host.instance, 1, "lib", value.data(), 0, 0);
    return path;
}

TEST(LibraryFunctions, CallsWithEveryArgumentKind) {
    ScriptHost host(16384);
    library_variable(host);
    ASSERT_EQ(host.run("h = dllload(lib)\n"
                       "sum = dllcall(h, long:\"add3\", long:1, long:2, long:-10)\n"
                       "f = dllcall(h, double:\"scale\", double:1.5, long:4, double:0.25)\n"
                       "w = dllcall(h, word:\"low_word\", long:65539)\n"
                       "g = dllcall(h, lpstr:\"greet\", lpstr:\"world\")\n"
                       "n = dllcall(h, long:\"is_null\", lpnull)\n"
                       "e = dllcall(h, long:\"eight\", long:1, long:1, long:1, long:1, long:1, long:1, long:1, long:1)\n"
                       "dllfree(h)\n"
                       "once = dllcall(lib, long:\"add3\", long:5, long:5, long:5)\n"),
              0);
    EXPECT_EQ(host.var("sum"), "-7");
    EXPECT_EQ(host.var("f"), "6.25");
    EXPECT_EQ(host.var("w"), "3");
    EXPECT_EQ(host.var("g"), "hello world");
    EXPECT_EQ(host.var("n"), "1");
    EXPECT_EQ(host.var("e"), "36");
    EXPECT_EQ(host.var("once"), "15");
}

TEST(LibraryFunctions, Errors) {
    struct Case {
        const char* statement;
        int error;
    };
    const Case cases[] = {
        {"h = dllload(\"/no/such/library.so\")", 2392},
        {"dllfree(\"12\")", 3391},
        {"h = dllload(lib)\nx = dllcall(h, long:\"no_such_function\")", 1302},
        {"h = dllload(lib)\nx = dllcall(h, quad:\"add3\")", 1371},
        {"h = dllload(lib)\nx = dllcall(h, long:\"add3\", quad:1)", 1369},
        {"h = dllload(lib)\nx = dllcall(h, \"add3\")", 3382},
        {"x = dllcall(99, long:\"add3\")", 1301},
        {"h = dllload(lib)\nx = dllcall(h, long:\"eight\", long:1, long:1, long:1, long:1, long:1, long:1, long:1, long:1, long:1)",
         1370},
    };
    for (const Case& c : cases) {
        ScriptHost host(16384);
        library_variable(host);
        EXPECT_EQ(host.run(std::string(c.statement) + "\n"), c.error) << c.statement;
    }
}

}  // namespace
