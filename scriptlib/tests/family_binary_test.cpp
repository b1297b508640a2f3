// Binary buffers: handles, EOD rules, peek/poke of every width, the bitwise
// combinations, the record hash, strings, search, sort, files, the
// clipboard, compression, conversion and tags.
#include <cstdio>
#include <fstream>
#include <sstream>
#include <unistd.h>
#include <zlib.h>

#include "family_cases.h"

using namespace qsl::testing;

namespace {

// A 100-byte buffer b for the cases.
const std::string with_buffer = "b = binaryalloc(100)\n";

TEST(BinaryBuffers, HandlesAndEod) {
    ScriptHost host;
    std::string script;
    for (int i = 0; i < 10; ++i) script += "h" + std::to_string(i) + " = binaryalloc(10)\n";
    script += "f = binaryfree(h3)\nagain = binaryalloc(5)\n";
    ASSERT_EQ(host.run(script), 0);
    EXPECT_EQ(host.var("h0"), "987659");
    EXPECT_EQ(host.var("h9"), "987668");
    EXPECT_EQ(host.var("again"), "987662");  // the freed slot is given again
    EXPECT_EQ(host.run(script + "eleven = binaryalloc(10)\n"), 3024);
    const ErrorCase errors[] = {
        {"binaryeodget(987658)", 3023},
        {"binaryeodget(987660)", 3023},  // a free slot
        {"binaryeodset(b, 101)", 3127},
        {"binaryeodset(b, -1)", 1548},
        {"binaryalloc(0)", 1126},
        {"binaryalloc(2000000000)", 1126},
        {"binaryfree(b + 1)", 3023},
    };
    expect_errors(errors, with_buffer);
}

TEST(BinaryBuffers, PeekPokeAndIncr) {
    const ValueCase cases[] = {
        {"binarypeek(b, 10) + 1000 * binaryeodget(b)", "11000"},  // reads raise the EOD
        {"binarypoke(b, 0, 255) + binarypoke(b, 0, -1) + binarypeek(b, 0)", "510"},
        {"binarypoke(b, 0, -256) + binarypeek(b, 0)", "0"},
        {"binarypoke2(b, 0, 65535) + binarypeek2(b, 0)", "65535"},
        {"binarypoke2(b, 0, -2) + binarypeek2(b, 0) + binarypeek(b, 1)", "65789"},
        {"binarypoke4(b, 96, -5) + binarypeek4(b, 96)", "-5"},
        {"binarypoke4(b, 0, 16909060) + binarypeek(b, 0) * 1000 + binarypeek(b, 3)", "4001"},  // little-endian
        {"binarypokeflt(b, 8, 2.5) + binarypeekflt(b, 8)", "2.5"},
        {"binaryincr(b, 0) + binarypoke(b, 1, 255) + binaryincr(b, 1)", "1"},  // 1 + 0 + 0: 255 wraps
        {"binaryincr2(b, 0) + binaryincr4(b, 4)", "2"},
        {"binarypokeflt(b, 0, 1.5) + binaryincrflt(b, 0)", "2.5"},
        {"binarypeek4(b, 96) + binaryeodget(b)", "100"},
    };
    expect_values(cases, with_buffer);
    const ErrorCase errors[] = {
        {"binarypoke(b, 0, 256)", 3326},
        {"binarypoke(b, 0, -257)", 3326},
        {"binarypoke2(b, 0, 65536)", 3326},
        {"binarypeek(b, -1)", 1548},
        {"binarypeek(b, 100)", 3325},
        {"binarypeek2(b, 99)", 3325},
        {"binarypeek4(b, 97)", 3325},
        {"binarypeekflt(b, 93)", 3325},
    };
    expect_errors(errors, with_buffer);
}

TEST(BinaryBuffers, BitwiseCombinationsCopyAndCompare) {
    const std::string two = "b = binaryalloc(10)\nc = binaryalloc(10)\nx = binarypoke(b, 0, 12) + binarypoke(c, 0, 10)\n"
                            "x = binaryeodset(b, 4) + binaryeodset(c, 4)\n";
    const ValueCase cases[] = {
        {"binaryand(b, 0, c, 0, 1) * 0 + binarypeek(b, 0)", "8"},
        {"binaryor(b, 0, c, 0, 1) * 0 + binarypeek(b, 0)", "14"},
        {"binaryxor(b, 0, c, 0, 4) * 0 + binarypeek(b, 0)", "6"},
        {"binaryxor(b, 0, b, 0, 4) * 0 + binarypeek(b, 0)", "0"},
        {"binaryand(b, 0, c, 0, 0) * 0 + binarypeek(b, 0)", "12"},  // a count of 0 does nothing
        {"binarycopy(c, 6, b, 0, 2) * 100 + binaryeodget(c) * 10 + binarypeek(c, 6)", "292"},
        {"binarycompare(b, 1, c, 1, 3)", "1"},
        {"binarycompare(b, 0, c, 0, 3)", "0"},
    };
    expect_values(cases, two);
    const ErrorCase errors[] = {
        {"binaryand(b, 0, c, 4, 1)", 1550},  // at the source's EOD, inside the buffer
        {"binaryand(b, 0, c, 10, 1)", 1543},
        {"binaryand(b, -1, c, 0, 1)", 1548},
        {"binaryand(b, 0, c, 0, -1)", 1549},
        {"binaryand(b, 0, c, 2, 3)", 1551},
        {"binaryand(b, 0, c, 2, 11)", 1544},
        {"binaryand(b, 0, 5, 0, 1)", 3023},
        {"binarycopy(c, 0, b, 3, 2)", 3327},
        {"binarycopy(c, 9, b, 0, 2)", 3328},
        {"binarycompare(b, 0, c, 0, 5)", 1551},
    };
    expect_errors(errors, two);
}

TEST(BinaryBuffers, RecordHash) {
    ScriptHost host;
    ASSERT_EQ(host.run("b = binaryalloc(200)\na = binaryhashrec(b, 20, 0, 5, \"a\")\nagain = binaryhashrec(b, 20, 0, 5, \"a\")\n"
                       "upper = binaryhashrec(b, 20, 0, 5, \"A\")\nkey = binarypeekstr(b, 140, 5)\neod = binaryeodget(b)\n"
                       "other = binaryhashrec(b, 20, 0, 5, \"j\")\none = binaryalloc(20)\n"
                       "single = binaryhashrec(one, 20, 2, 5, \"abc\")\n"),
              0);
    EXPECT_EQ(host.var("a"), "140");  // 97 mod 9 = record 7
    EXPECT_EQ(host.var("again"), "140");
    EXPECT_EQ(host.var("upper"), "140");
    EXPECT_EQ(host.var("key"), "a");
    EXPECT_EQ(host.var("eod"), "200");
    EXPECT_EQ(host.var("other"), "160");  // 106 mod 9 = record 7 taken: the next one
    EXPECT_EQ(host.var("single"), "0");
    const std::string fill = "b = binaryalloc(40)\nx = binaryhashrec(b, 20, 0, 5, \"a\") + binaryhashrec(b, 20, 0, 5, \"b\")\n";
    const ErrorCase errors[] = {
        {"binaryhashrec(b, 20, 0, 5, \"c\")", 1482},
        {"binaryhashrec(b, 0, 0, 5, \"c\")", 1474},
        {"binaryhashrec(b, 20, -1, 5, \"c\")", 1475},
        {"binaryhashrec(b, 20, 0, 0, \"c\")", 1476},
        {"binaryhashrec(b, 20, 16, 5, \"c\")", 1477},
        {"binaryhashrec(b, 50, 0, 5, \"c\")", 1478},
        {"binaryhashrec(b, 20, 0, 5, \"\")", 1480},
        {"binaryhashrec(b, 20, 0, 5, \"toolong\")", 1481},
    };
    expect_errors(errors, fill);
}

TEST(BinaryBuffers, StringsSearchAndSort) {
    const std::string text = "b = binaryalloc(30)\nn = binarypokestr(b, 0, \"one two One two\")\n";
    const ValueCase cases[] = {
        {"n", "15"},
        {"binarypeekstr(b, 4, 3)", "two"},
        {"binarypeekstr(b, 4, 100 - 74)", "two One two"},  // up to the NUL
        {"binaryindex(b, 0, \"two\", @fwdscan)", "4"},
        {"binaryindex(b, 5, \"two\", @fwdscan)", "12"},
        {"binaryindex(b, 14, \"two\", @backscan)", "12"},
        {"binaryindex(b, 0, \"six\", @fwdscan)", "0"},
        {"binaryindexex(b, 0, \"six\", @fwdscan, 1)", "-1"},
        {"binaryindexex(b, 1, \"one\", @fwdscan, 1)", "-1"},
        {"binaryindexex(b, 1, \"one\", @fwdscan, 0)", "8"},
        {"binaryindexnc(b, 1, \"ONE\", @fwdscan)", "8"},
        {"binarystrcnt(b, 0, 14, \"two\")", "2"},
        {"binarystrcnt(b, 0, 13, \"two\")", "1"},
    };
    expect_values(cases, text);
    const ErrorCase errors[] = {
        {"binarypokestr(b, 20, \"more than ten\")", 2332},
        {"binarypeekstr(b, 20, 11)", 2331},
        {"binaryindex(b, 16, \"x\", @fwdscan)", 3333},
        {"binarystrcnt(b, 0, 15, \"two\")", 1551},
    };
    expect_errors(errors, text);
    // Records of 4 bytes sorted by a one-byte key at offset 1, and by a
    // two-character string key, descending.
    ScriptHost host;
    ASSERT_EQ(host.run("b = binaryalloc(12)\nx = binarypokestr(b, 0, \"a3bxc1dyb2ez\")\n"
                       "n = binarysort(b, 4, 1, 1, @word1)\nup = binarypeekstr(b, 0, 12)\n"
                       "n = binarysort(b, 4, 0, 2, @string | @descending)\ndown = binarypeekstr(b, 0, 12)\n"),
              0);
    EXPECT_EQ(host.var("n"), "3");
    EXPECT_EQ(host.var("up"), "c1dyb2eza3bx");
    EXPECT_EQ(host.var("down"), "c1dyb2eza3bx");
}

TEST(BinaryBuffers, FilesClipboardAndConversion) {
    std::string path = "/tmp/qsl-binary-" + std::to_string(getpid()) + ".bin";
    ScriptHost host;
    ASSERT_EQ(host.run("b = binaryalloc(20)\nx = binarypokestr(b, 0, \"hello world\")\nw = binarywrite(b, \"" + path + "\")\n"
                       "c = binaryalloc(8)\nr = binaryread(c, \"" + path + "\")\nfirst = binarypeekstr(c, 0, 8)\n"
                       "ex = binaryreadex(c, 2, \"" + path + "\", 6, 3)\nmixed = binarypeekstr(c, 0, 8)\n"
                       "wx = binarywriteex(b, 0, \"" + path + "\", -1, 5)\n"
                       "p = binaryclipput(b, 1)\nd = binaryalloc(40)\ng = binaryclipget(d, 1)\nclip = binarypeekstr(d, 0, 20)\n"
                       "u = binaryconvert(d, 0, 2, 0, 1)\nwide = binarypeek2(d, 2)\nback = binaryconvert(d, 2, 3, 0, 2)\n"
                       "lower = binarypeekstr(d, 0, 40)\n"),
              0);
    EXPECT_EQ(host.var("w"), "11");
    EXPECT_EQ(host.var("r"), "8");  // as much as fits
    EXPECT_EQ(host.var("first"), "hello wo");
    EXPECT_EQ(host.var("ex"), "3");
    EXPECT_EQ(host.var("mixed"), "hewor wo");
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    EXPECT_EQ(s.str(), "hello worldhello");
    EXPECT_EQ(host.var("clip"), "hello world");
    EXPECT_EQ(host.var("u"), "22");  // UTF-16, upper case
    EXPECT_EQ(host.var("wide"), "69");
    EXPECT_EQ(host.var("back"), "11");
    EXPECT_EQ(host.var("lower"), "hello world");
    std::remove(path.c_str());
    const ErrorCase errors[] = {
        {"binaryread(b, \"/nonexistent/file\")", 1330},
        {"binaryread(b, \"/dev/zero\")", 1330},  // not a regular file
        {"binarywrite(b, \"/nonexistent/dir/file\")", 1546},
        {"binaryclipget(b, 2)", 1559},
        {"binaryconvert(b, 4, 0, 0, 0)", 1553},
        {"binaryconvert(b, 0, 9, 0, 0)", 1554},
        {"binaryconvert(b, 0, 0, 0, 3)", 1555},
        {"binaryconvert(b, 2, 0, 0, 0)", 1556},  // an odd number of bytes is no UTF-16
        {"binaryconvert(b, 0, 2, 0, 0)", 1557},
    };
    expect_errors(errors, "b = binaryalloc(6)\nx = binarypokestr(b, 0, \"abcde\")\n");
}

TEST(BinaryBuffers, CompressionMakesZlibStreams) {
    ScriptHost host;
    ASSERT_EQ(host.run("b = binaryalloc(1000)\nx = binarypokestr(b, 0, strfill(\"abc\", 900))\nc = binaryalloc(100)\n"
                       "n = binarycomp(b, c, 9)\nd = binaryalloc(1000)\nm = binaryuncomp(c, d)\n"
                       "same = binarycompare(b, 0, d, 0, 900)\naddress = intcontrol(42, c, \"\", \"\", \"\")\n"),
              0);
    EXPECT_EQ(host.var("m"), "900");
    EXPECT_EQ(host.var("same"), "1");
    int n = std::stoi(host.var("n"));
    ASSERT_GT(n, 0);
    ASSERT_LT(n, 100);
    // The target holds a plain zlib stream that any zlib reader inflates.
    auto* bytes = reinterpret_cast<const Bytef*>(std::stoull(host.var("address")));
    std::string inflated(900, '\0');
    uLongf length = 900;
    ASSERT_EQ(uncompress(reinterpret_cast<Bytef*>(inflated.data()), &length, bytes, uLong(n)), Z_OK);
    EXPECT_EQ(inflated.substr(0, 6), "abcabc");
    const ErrorCase errors[] = {
        {"binaryuncomp(c, d)", 1593},  // damaged: the stream's second byte poked
        {"binarycomp(b, c, 10)", 1592},
        {"binarycomp(b, e, 9)", 1592},  // does not fit
    };
    expect_errors(errors, "b = binaryalloc(1000)\nx = binarypokestr(b, 0, strfill(\"abcdefgh\", 900))\nc = binaryalloc(100)\n"
                          "n = binarycomp(b, c, 9)\nx = binarypoke(c, 1, 0)\nd = binaryalloc(1000)\ne = binaryalloc(5)\n");
}

TEST(BinaryBuffers, TaggedText) {
    ScriptHost host;
    ASSERT_EQ(host.run("b = binaryalloc(60)\nx = binarypokestr(b, 0, \"a {{ x }} b {{y}} c\")\n"
                       "t = binarytaginit(b, \"{{\", \"}}\")\nt = binarytagfind(t)\nfirst = binarytagextr(t, 1)\n"
                       "whole = binarytagextr(t, 2)\nt = binarytagrepl(t, \"[one]\")\nt = binarytagfind(t)\n"
                       "second = binarytagextr(t, 0)\nt = binarytagrepl(t, \"2\")\nt = binarytagfind(t)\n"
                       "result = binarypeekstr(b, 0, 60)\neod = binaryeodget(b)\n"),
              0);
    EXPECT_EQ(host.var("first"), "x");
    EXPECT_EQ(host.var("whole"), "{{ x }}");
    EXPECT_EQ(host.var("second"), "y");
    EXPECT_EQ(host.var("t"), "");  // nothing more to find
    EXPECT_EQ(host.var("result"), "a [one] b 2 c");
    EXPECT_EQ(host.var("eod"), "13");
    const ErrorCase errors[] = {
        {"binarytaginit(b, \"\", \"}\")", 1580},
        {"binarytagfind(\"nonsense\")", 1581},
        {"binarytagextr(\"qsltag:1:2:3\", 0)", 1581},
        {"binarytaginit(5, \"{\", \"}\")", 3023},
        {"binarytagrepl(binarytagfind(binarytaginit(b, \"{\", \"}\")), strfill(\"x\", 20))", 1582},
    };
    expect_errors(errors, "b = binaryalloc(10)\nx = binarypokestr(b, 0, \"a{b}c\")\n");
}

}  // namespace
