// The item functions over delimited lists.
#include "family_cases.h"

using namespace qsl::testing;

namespace {

TEST(ItemLists, Results) {
    const ValueCase cases[] = {
        {"itemcount(\"a\tb\", @tab)", "2"},
        {"itemcount(\"a\tb\t\", \"\")", "2"},  // an empty delimiter is the tab
        {"itemcount(\"\", @tab)", "0"},
        {"itemcount(@tab, @tab)", "1"},
        {"itemcount(\"a,,b\", \",;\")", "3"},  // only the first character counts
        {"itemcount(\"a\xC3\xA9" "b\", \"\xC3\xA9x\")", "2"},  // a two-byte character delimits whole
        {"itemextract(-1, \"a,b,c\", \",\")", "c"},
        {"itemextract(2, \"a,b,c\", \",\")", "b"},
        {"itemextract(4, \"a,b,c\", \",\")", ""},
        {"itemextract(0, \"a,b,c\", \",\")", ""},
        {"iteminsert(\"x\", 0, \"a,b\", \",\")", "x,a,b"},
        {"iteminsert(\"x\", 1, \"a,b\", \",\")", "a,x,b"},
        {"iteminsert(\"x\", -1, \"a,b\", \",\")", "a,b,x"},
        {"iteminsert(\"x\", 9, \"a,b,\", \",\")", "a,b,x"},
        {"iteminsert(\"x\", 0, \"a,b,\", \",\")", "x,a,b"},
        {"iteminsert(\"x\", 0, \"\", \",\")", "x"},
        {"iteminsert(\"x\", -1, \"\", \",\")", "x"},
        {"itemremove(2, \"a,b,c\", \",\")", "a,c"},
        {"itemremove(3, \"a,b,c\", \",\")", "a,b"},
        {"itemremove(1, \"a\", \",\")", ""},
        {"itemremove(5, \"a,b,\", \",\")", "a,b"},
        {"itemlocate(\"b\", \"a,b,c\", \",\")", "2"},
        {"itemlocate(\"B\", \"a,b,c\", \",\")", "0"},
        {"itemlocate(\"\", \"a,,c\", \",\")", "0"},
        {"itemsortnc(\"b,A,c\", \",\")", "A,b,c"},
        {"itemsortnc(\"b,a,B,A\", \",\")", "A,a,B,b"},  // case breaks ties
        {"itemsort(\"b,A,c,a\", \",\")", "A,a,b,c"},
        {"itemsort(\"\", \",\")", ""},
    };
    expect_values(cases);
}

TEST(ItemLists, ArgumentsStayUnchangedAndErrors) {
    ScriptHost host;
    EXPECT_EQ(host.run("l = \"c,b,a\"\ns = itemsort(l, \",\")\nr = itemremove(1, l, \",\")\n"), 0);
    EXPECT_EQ(host.var("l"), "c,b,a");
    EXPECT_EQ(host.var("s"), "a,b,c");
    EXPECT_EQ(host.var("r"), "b,a");
    const ErrorCase cases[] = {
        {"itemcount(\"a\")", 3068},
        {"itemextract(\"x\", \"a\", \",\")", 3057},
    };
    expect_errors(cases);
}

}  // namespace
