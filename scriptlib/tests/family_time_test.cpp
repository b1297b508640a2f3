// Date-time strings, Julian date numbers and the time functions; the clock
// that QSL_NOW sets, through the qsl program.
#include <chrono>
#include <cstdio>
#include <string>

#include "family_cases.h"

using namespace qsl::testing;

namespace {

struct ParseCase {
    const char* text;
    int level;
    int expand;
    int valid;
    int32_t year, month, day, hour;
};

TEST(DateTime, ParseChecksEachLevel) {
    const ParseCase cases[] = {
        {"1999:02:29", 1, 0, 0, 1999, 2, 29, 0},
        {"2000:02:29", 1, 0, 1, 2000, 2, 29, 0},
        {"1900:02:29", 1, 0, 0, 1900, 2, 29, 0},
        {"99:12:31", 1, 1, 1, 1999, 12, 31, 0},
        {"49:12:31", 1, 1, 1, 2049, 12, 31, 0},
        {"0049:12:31", 1, 1, 1, 49, 12, 31, 0},  // four digits are never expanded
        {"49:12:31", 1, 0, 1, 49, 12, 31, 0},
        {"2000:01:01:24:00:00", 1, 0, 0, 2000, 1, 1, 24},
        {"2000:01:01:24:00:00", 2, 0, 1, 2000, 1, 1, 0},
        {"2000:01:01:23:59:60", 1, 0, 0, 2000, 1, 1, 23},
        {"2000:01:01:30:70:99", 2, 0, 1, 2000, 1, 1, 30},
        {"2000:04:31", 1, 0, 0, 2000, 4, 31, 0},
        {"2000:13:01", 1, 0, 0, 2000, 13, 1, 0},
        {"2000:13:01", 0, 0, 1, 2000, 13, 1, 0},
        {"2000:00:00:12:00:00", 3, 0, 1, 2000, 0, 0, 12},
        {"2000:01:00", 1, 0, 0, 2000, 1, 0, 0},
        {"12000:01:01", 1, 0, 0, 12000, 1, 1, 0},
        {"2000::01", 0, 0, 0, 0, 0, 0, 0},
        {"2000:01", 0, 0, 0, 0, 0, 0, 0},
        {"2000:01:01:00", 0, 0, 0, 0, 0, 0, 0},
        {"2000:01:01:00:00:00:00", 0, 0, 0, 0, 0, 0, 0},
        {"2000-01-01", 0, 0, 0, 0, 0, 0, 0},
        {"", 0, 0, 0, 0, 0, 0, 0},
        {"9999999999:01:01", 0, 0, 0, 0, 0, 0, 0},
    };
    for (const ParseCase& c : cases) {
        int32_t fields[6] = {-1, -1, -1, -1, -1, -1};
        EXPECT_EQ(ParseYMDHMS(c.text, fields, c.level, c.expand), c.valid) << c.text << " level " << c.level;
        if (!c.valid) continue;
        EXPECT_EQ(fields[0], c.year) << c.text;
        EXPECT_EQ(fields[1], c.month) << c.text;
        EXPECT_EQ(fields[2], c.day) << c.text;
        EXPECT_EQ(fields[3], c.hour) << c.text;
    }
}

TEST(DateTime, Functions) {
    const ValueCase cases[] = {
        {"timejulianday(\"2000:01:01\")", "730486"},
        {"timejulianday(\"0000:01:01\")", "1"},
        {"timejulianday(\"99:12:31:10:00:00\")", "730485"},
        {"timejultoymd(730486)", "2000:01:01:00:00:00"},
        {"timejultoymd(1)", "0000:01:01:00:00:00"},
        {"timejultoymd(timejulianday(\"2024:02:29\"))", "2024:02:29:00:00:00"},
        {"timejultoymd(timejulianday(\"1900:03:01\") - 1)", "1900:02:28:00:00:00"},
        {"timeadd(\"1999:01:31:00:00:00\", \"0:1:0:0:0:0\")", "1999:02:28:00:00:00"},
        {"timeadd(\"2000:01:31:00:00:00\", \"0:1:0:0:0:0\")", "2000:02:29:00:00:00"},
        {"timeadd(\"1999:12:31:23:59:59\", \"0:0:0:0:0:1\")", "2000:01:01:00:00:00"},
        {"timeadd(\"1999:12:31\", \"0:0:0:0:0:90000\")", "2000:01:01:01:00:00"},
        {"timeadd(\"99:11:30\", \"1:14:1\")", "2002:01:31:00:00:00"},
        {"timesubtract(\"2000:03:31:00:00:00\", \"0:1:0:0:0:0\")", "2000:02:29:00:00:00"},
        {"timesubtract(\"2000:01:01:00:00:00\", \"0:0:0:0:0:1\")", "1999:12:31:23:59:59"},
        {"timesubtract(\"2000:01:01\", \"0:0:1\")", "1999:12:31:00:00:00"},
        {"timediffdays(\"2000:03:01\", \"2000:02:01\")", "29"},
        {"timediffdays(\"2000:02:01\", \"2000:03:01\")", "-29"},
        {"timediffsecs(\"2000:01:02:00:00:10\", \"2000:01:01:23:59:00\")", "70"},
        {"timediffsecs(\"2000:01:01\", \"1940:01:05\")", "1893110400"},
        {"timediff(\"2000:03:02:01:00:00\", \"2000:01:01:00:00:00\")", "0000:02:01:01:00:00"},
        {"timeadd(\"2000:01:31\", timediff(\"2001:03:01:12:00:00\", \"2000:01:31\"))", "2001:03:01:12:00:00"},
    };
    expect_values(cases);
    // Two-digit years in the results when the setting is off.
    const ValueCase short_years[] = {
        {"timejultoymd(730486)", "00:01:01:00:00:00"},
        {"timeadd(\"2009:12:31\", \"0:0:1\")", "10:01:01:00:00:00"},
    };
    expect_values(short_years, "s = intcontrol(41, \"0\", \"\", \"\", \"\")\n");
}

TEST(DateTime, Errors) {
    const ErrorCase cases[] = {
        {"timediffsecs(\"2000:01:01\", \"1939:01:01\")", 1018},
        {"timediffdays(\"1999:02:29\", \"2000:01:01\")", 1017},
        {"timediff(\"2000:01:01\", \"2000:01:02\")", 1017},
        {"timeadd(\"2000:01:01:24:00:00\", \"0:0:1\")", 1020},
        {"timeadd(\"2000:01:01\", \"x\")", 1020},
        {"timesubtract(\"2000:13:01\", \"0:0:1\")", 1463},
        {"timesubtract(\"0000:01:01\", \"0:0:1\")", 1462},
        {"timejultoymd(0)", 1461},
        {"timejultoymd(-5)", 1461},
        {"timewait(\"2000:02:30\")", 1022},
        {"delay(1e300)", 1021},
    };
    expect_errors(cases);
}

TEST(DateTime, ClockAndWaits) {
    ScriptHost host;
    auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(host.run("a = timeymdhms()\nd = timejulianday(a)\nw = delay(0.2)\nv = timewait(\"2000:01:01\")\n"
                       "t = gettickcount()\ne = getexacttime()\ny = yields(3)\ns = timedate()\n"),
              0);
    double waited = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_GE(waited, 0.2);
    EXPECT_LT(waited, 10.0);  // a time in the past does not wait
    int32_t fields[6];
    EXPECT_EQ(ParseYMDHMS(host.var("a").c_str(), fields, 1, 0), 1) << host.var("a");
    EXPECT_EQ(host.var("e").size(), 11u) << host.var("e");
    EXPECT_EQ(host.var("s").size(), 26u) << host.var("s");
}

// QSL_NOW sets the clock as the library starts; it runs on from there.
TEST(DateTime, QslNowSetsTheClock) {
    char folder[] = "/tmp/qsl-now-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    std::string script = std::string(folder) + "/now.qsl";
    FILE* f = std::fopen(script.c_str(), "w");
    std::fputs("a = timeymdhms()\nw = delay(2.1)\nb = timeymdhms()\ns = timedate()\n", f);
    std::fclose(f);
    std::string command = "QSL_REGISTRY=" + std::string(folder) + "/registry.ini QSL_NOW=2012:02:29:23:59:58 " +
                          QSL_BIN_DIR "/qsl --vars " + script;
    FILE* pipe = popen(command.c_str(), "r");
    std::string out;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    EXPECT_EQ(pclose(pipe), 0);
    EXPECT_NE(out.find("a=2012:02:29:23:59:5"), std::string::npos) << out;  // a busy machine may take a second
    EXPECT_NE(out.find("b=2012:03:01:00:00:0"), std::string::npos) << out;
    EXPECT_NE(out.find("s=Thu 03/01/2012 12:00:0"), std::string::npos) << out;
    std::remove(script.c_str());
    std::remove((std::string(folder) + "/registry.ini").c_str());
    rmdir(folder);
}

}  // namespace
