// The window functions over the headless window list (the windows a host
// registers) and over a host's own window interface: the naming rules,
// identifiers, the lookup retries and what the operations change.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <initializer_list>

#include "family_cases.h"
#include "script_host.h"
#include "scriptlib/key_strokes.h"

using qsl::testing::ErrorCase;
using qsl::testing::ScriptHost;
using qsl::testing::ValueCase;

namespace {

// Windows registered for one test, topmost last in the list given; removed
// afterwards. The headless list is used only while $DISPLAY is unset.
class HostWindows {
public:
    struct Window {
        QslHandle handle;
        const char* title;
    };
    HostWindows(std::initializer_list<Window> windows) : windows_(windows) {
        unsetenv("DISPLAY");
        for (const Window& w : windows_) QslRegisterWindow(w.handle, 0, w.title, "test");
    }
    ~HostWindows() {
        for (const Window& w : windows_) QslUnregisterWindow(w.handle);
    }

private:
    std::vector<Window> windows_;
};

std::string id(unsigned handle) {
    char text[32];
    std::snprintf(text, sizeof text, "#WIN$ID#%08X", handle);
    return text;
}

const std::string no_retry = "intcontrol(46, 0, 0, 0, 0)\n";

// With windows titled "Notepad - a.txt" and "Notepad" (the first one first
// in system order), the title patterns pick these windows.
TEST(WindowNames, TitlePatterns) {
    HostWindows windows{{0x102, "Notepad"}, {0x101, "Notepad - a.txt"}, {0x103, "WinOldAp"}, {0x104, ""}};
    const std::string a = id(0x101), plain = id(0x102);
    const ValueCase found[] = {
        {"winidget(\"Notepad\")", a.c_str()},        {"winidget(\"Notepad~\")", plain.c_str()},
        {"winidget(\"~a.txt\")", a.c_str()},         {"winidget(\"~a.txt~\")", a.c_str()},
        {"winidget(\"~pad~\")", plain.c_str()},      {"winidget(\"Note\")", a.c_str()},
        {"winidget(\"#WIN$ID#00000102\")", plain.c_str()},
        {"winexist(\"~Note~\")", "0"},               {"winexist(\"notepad\")", "0"},
        {"winexist(\"WinOldAp\")", "0"},             {"winexist(\"Notepad - a.txt~\")", "1"},
        {"winexist(\"#WIN$ID#00000999\")", "0"},     {"winexist(\"#WIN$ID#0000010\")", "0"},
    };
    qsl::testing::expect_values(found, no_retry);
    const ErrorCase missing[] = {
        {"winidget(\"~Note~\")", 1408},    {"winactivate(\"Wordpad\")", 1045}, {"winclose(\"Wordpad\")", 1039},
        {"winhide(\"Wordpad\")", 1040},    {"winiconize(\"Wordpad\")", 1041},  {"winzoom(\"Wordpad\")", 1042},
        {"winshow(\"Wordpad\")", 1043},    {"winplace(0, 0, 500, 500, \"Wordpad\")", 1044},
        {"winposition(\"Wordpad\")", 1119}, {"wintitle(\"Wordpad\", \"x\")", 1121},
        {"winexename(\"Wordpad\")", 1172}, {"winisdos(\"Wordpad\")", 1227},
        {"winactivate(\"\")", 1045},  // the test host has no window of its own
    };
    qsl::testing::expect_errors(missing, no_retry);
}

TEST(WindowNames, OperationsChangeTheHeadlessList) {
    HostWindows windows{{0x201, "Calc"}, {0x202, "Editor"}};
    ScriptHost host(16384);
    ASSERT_EQ(host.run(no_retry +
                       "normal = winstate(\"Calc\")\n"
                       "cls = intcontrol(44, 513, 0, 0, 0)\n"
                       "winiconize(\"Calc\")\n"
                       "icon = winstate(\"Calc\")\n"
                       "winzoom(\"Calc\")\n"
                       "zoomed = winstate(\"Calc\")\n"
                       "full = winposition(\"Calc\")\n"
                       "winshow(\"Calc\")\n"
                       "winplace(100, 100, 500, 500, \"Calc\")\n"
                       "placed = winposition(\"Calc\")\n"
                       "winhide(\"Editor\")\n"
                       "hidden = winstate(\"Editor\")\n"
                       "list = winitemize()\n"
                       "winactivate(\"Calc\")\n"
                       "active = wingetactive()\n"
                       "wintitle(\"Calc\", \"Calculator\")\n"
                       "renamed = winexist(\"Calculator~\")\n"
                       "winclose(\"Calculator\")\n"
                       "gone = winstate(\"Calculator\")\n"),
              0);
    EXPECT_EQ(host.var("normal"), "2");
    EXPECT_EQ(host.var("cls"), "test");  // the class of window 0x201
    EXPECT_EQ(host.var("icon"), "1");
    EXPECT_EQ(host.var("zoomed"), "3");
    EXPECT_EQ(host.var("full"), "0,0,1000,1000");
    EXPECT_EQ(host.var("placed"), "100,100,500,500");
    EXPECT_EQ(host.var("hidden"), "-1");
    EXPECT_EQ(host.var("list"), "Calc");
    EXPECT_EQ(host.var("active"), "Calc");
    EXPECT_EQ(host.var("renamed"), "1");
    EXPECT_EQ(host.var("gone"), "0");
}

// "" names the host's own window: the parent of the window the host hands
// over with the script. A script does not close it.
TEST(WindowNames, EmptyNameIsTheHostWindow) {
    HostWindows windows{{0x700, "QSL host"}};
    QslRegisterWindow(0x701, 0x700, "Status", "test");
    ScriptHost host(16384);
    host.window = 0x701;
    ASSERT_EQ(host.run(no_retry +
                       "name = winname()\n"
                       "own = winclose(\"\")\n"
                       "still = winexist(\"QSL host~\")\n"
                       "state = winstate(\"\")\n"
                       "child = winexistchild(\"QSL host\", \"Status\")\n"
                       "kids = winitemchild(\"\")\n"
                       "parent = intcontrol(24, 1793, 0, 0, 0)\n"),
              0);
    QslUnregisterWindow(0x701);
    EXPECT_EQ(host.var("name"), "QSL host");
    EXPECT_EQ(host.var("own"), "0");
    EXPECT_EQ(host.var("still"), "1");
    EXPECT_EQ(host.var("state"), "2");
    EXPECT_EQ(host.var("child"), "1");
    EXPECT_EQ(host.var("kids"), "Status");
    EXPECT_EQ(host.var("parent"), "1792");
}

// winclosenot closes every other titled window, never the host's own.
TEST(WindowNames, CloseAllButTheNamed) {
    HostWindows windows{{0x801, "QSL host"}, {0x802, "Calc"}, {0x803, "Monthly Report"}, {0x804, "Editor"}};
    ScriptHost host(16384);
    host.window = 0x801;
    ASSERT_EQ(host.run("winclosenot(\"Calc\", \"~Report\")\n"
                       "left = winitemize()\n"),
              0);
    EXPECT_EQ(host.var("left"), "Monthly Report\tCalc\tQSL host");
}

// An identifier names its window only while the window exists: once it is
// gone the lookup fails at once, without the retry pauses.
TEST(WindowNames, IdentifierOfAClosedWindowFailsAtOnce) {
    HostWindows windows{{0x301, "Report"}};
    ScriptHost host(16384);
    auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(host.run("errormode(@off)\n"
                       "report = winidget(\"Report\")\n"
                       "winclose(report)\n"
                       "there = winexist(report)\n"
                       "winactivate(report)\n"
                       "error = lasterror()\n"),
              0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
    EXPECT_EQ(host.var("report"), id(0x301));
    EXPECT_EQ(host.var("there"), "0");
    EXPECT_EQ(host.var("error"), "1045");
}

// A host's window interface that counts how often the windows are listed.
int g_lists = 0;
int count_lists(void*, QslHandle, QslHandle*, int) { return ++g_lists, 0; }

// A lookup tries intcontrol 46 plus one times, a second apart.
TEST(WindowNames, RetryCountsOfIntControl46) {
    QslWindowInterface counting{};
    counting.list = count_lists;
    QslSetWindowInterface(&counting);
    struct Restore {
        ~Restore() { QslSetWindowInterface(nullptr); }
    } restore;
    struct Case {
        int retry;
        int lists;
        int least_ms, most_ms;
    };
    for (Case c : {Case{0, 1, 0, 500}, Case{1, 2, 1000, 1900}}) {
        ScriptHost host(16384);
        g_lists = 0;
        auto start = std::chrono::steady_clock::now();
        ASSERT_EQ(host.run("old = intcontrol(46, " + std::to_string(c.retry) + ", 0, 0, 0)\n"
                           "errormode(@off)\n"
                           "winclose(\"Nowhere\")\n"
                           "error = lasterror()\n"
                           "state = winstate(\"Nowhere\")\n"),
                  0);
        auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
        EXPECT_EQ(host.var("old"), "9");
        EXPECT_EQ(host.var("error"), "1039");
        EXPECT_EQ(host.var("state"), "0");
        EXPECT_EQ(g_lists, 2 * c.lists) << "retry " << c.retry;  // winclose, then winstate
        EXPECT_GE(ms, 2 * c.least_ms) << "retry " << c.retry;
        EXPECT_LE(ms, 2 * c.most_ms) << "retry " << c.retry;
    }
}

// Without a window system keys and the mouse fail with their numbers and say why.
TEST(WindowInput, HeadlessRefusesKeysAndMouse) {
    HostWindows windows{{0x401, "Editor"}};
    const ErrorCase cases[] = {
        {"sendkey(\"abc\")", 2001},
        {"sendkeysto(\"Editor\", \"abc\")", 2001},
        {"sendkeysto(\"Editor\", \"{NOSUCHKEY}\")", 2001},
        {"mousemove(500, 500, \"\", \"\")", 1443},
        {"mousemove(1001, 500, \"\", \"\")", 1442},
        {"mousemove(5, 5, \"Wordpad\", \"\")", 1439},
        {"mouseclick(999, 0)", 1441},
        {"mouseinfo(9)", 3205},
        {"winplaceget(7, \"Editor\")", 3199},
        {"winplaceset(@normal, \"Editor\", \"1 2 3\")", 3202},
    };
    qsl::testing::expect_errors(cases, no_retry);
    ScriptHost host(16384);
    host.run("sendkey(\"a\")\n");
    ASSERT_FALSE(host.boxes.empty());
    EXPECT_NE(host.boxes.back().text.find("$DISPLAY is not set"), std::string::npos) << host.boxes.back().text;
}

// Key strings become strokes: a key with its held modifiers, "{NAME n}"
// n times, braces around a sign type the sign.
TEST(WindowInput, KeyStrings) {
    struct Case {
        const char* text;
        const char* strokes;  // "key/modifiers ..." or "error"
    };
    const Case cases[] = {
        {"aB~", "a/0 B/0 ENTER/0"},
        {"+a^{F4}!x", "a/1 F4/2 x/4"},
        {"+^{del}", "DELETE/3"},
        {"{TAB 3}", "TAB/0 TAB/0 TAB/0"},
        {"{~}{+}{{}{}}", "~/0 +/0 {/0 }/0"},
        {"\xC3\xA9", "\xC3\xA9/0"},
        {"{ENTER", "error"},
        {"{F17}", "error"},
        {"a^", "error"},
    };
    for (const Case& c : cases) {
        std::vector<qsl::KeyStroke> strokes;
        std::string reason, got;
        if (!qsl::parse_key_strokes(c.text, strokes, reason)) {
            got = "error";
        } else {
            for (const qsl::KeyStroke& k : strokes) got += (got.empty() ? "" : " ") + k.key + "/" + std::to_string(k.modifiers);
        }
        EXPECT_EQ(got, c.strokes) << c.text;
    }
}

}  // namespace
