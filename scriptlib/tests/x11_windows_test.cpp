// The window functions against real X11 windows: a private Xvfb server,
// titled windows made here with Xlib, and the script's functions acting on
// them through the library's X11 back end. Skipped when Xvfb is missing.
#include <gtest/gtest.h>

#if QSL_TEST_X11

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "script_host.h"
#include "x_server.h"

extern char** environ;

using qsl::testing::ScriptHost;
using qsl::testing::XServer;

namespace {

class X11Windows : public ::testing::Test {
protected:
    static void SetUpTestSuite() { server_ = new XServer(); }
    static void TearDownTestSuite() {
        delete server_;
        server_ = nullptr;
    }

    void SetUp() override {
        if (server_->display.empty()) GTEST_SKIP() << server_->reason;
        display_ = XOpenDisplay(server_->display.c_str());
        ASSERT_NE(display_, nullptr);
        setenv("DISPLAY", server_->display.c_str(), 1);
    }
    void TearDown() override {
        unsetenv("DISPLAY");
        if (display_) XCloseDisplay(display_);
    }

    // A titled top-level window that takes keys and asks to be closed
    // politely (WM_DELETE_WINDOW), mapped on top of the others.
    Window make_window(const char* title, int x = 10, int y = 10) {
        Window window = XCreateSimpleWindow(display_, DefaultRootWindow(display_), x, y, 200, 100, 0, 0, 0);
        XStoreName(display_, window, title);
        Atom delete_window = XInternAtom(display_, "WM_DELETE_WINDOW", False);
        XSetWMProtocols(display_, window, &delete_window, 1);
        XSelectInput(display_, window, KeyPressMask | StructureNotifyMask);
        XMapWindow(display_, window);
        XSync(display_, False);
        return window;
    }

    std::string id(Window window) {
        char text[32];
        std::snprintf(text, sizeof text, "#WIN$ID#%08X", unsigned(window));
        return text;
    }

    XWindowAttributes attributes(Window window) {
        XWindowAttributes a{};
        XGetWindowAttributes(display_, window, &a);
        return a;
    }

    Display* display_ = nullptr;
    static inline XServer* server_ = nullptr;
};

TEST_F(X11Windows, LookupByTitleAndActivate) {
    Window plain = make_window("Notepad");
    Window a_txt = make_window("Notepad - a.txt");
    long pid = getpid();
    XChangeProperty(display_, plain, XInternAtom(display_, "_NET_WM_PID", False), XA_CARDINAL, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&pid), 1);
    XSync(display_, False);
    ScriptHost host(16384);
    ASSERT_EQ(host.run("program = winexename(\"Notepad~\")\n"
                       "mine = winitemprocid(" + std::to_string(pid) + ", 0, 0)\n"
                       "first = winidget(\"Notepad\")\n"
                       "exact = winidget(\"Notepad~\")\n"
                       "inside = winidget(\"~a.txt\")\n"
                       "winactivate(\"Notepad~\")\n"
                       "active = wingetactive()\n"
                       "state = winstate(\"Notepad~\")\n"),
              0);
    EXPECT_EQ(host.var("program"), std::filesystem::read_symlink("/proc/self/exe").string());
    EXPECT_EQ(host.var("mine"), "Notepad");
    EXPECT_EQ(host.var("first"), id(a_txt));  // the later window is on top
    EXPECT_EQ(host.var("exact"), id(plain));
    EXPECT_EQ(host.var("inside"), id(a_txt));
    EXPECT_EQ(host.var("active"), "Notepad");
    EXPECT_EQ(host.var("state"), "2");
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(display_, &focus, &revert);
    EXPECT_EQ(focus, plain);
    XDestroyWindow(display_, plain);
    XDestroyWindow(display_, a_txt);
}

TEST_F(X11Windows, IconizeZoomShowHideAndPlace) {
    Window calc = make_window("Calc", 40, 50);
    ScriptHost host(16384);
    ASSERT_EQ(host.run("winiconize(\"Calc\")\n"
                       "icon = winstate(\"Calc\")\n"
                       "winzoom(\"Calc\")\n"
                       "zoomed = winstate(\"Calc\")\n"
                       "full = winposition(\"Calc\")\n"
                       "winshow(\"Calc\")\n"
                       "normal = winstate(\"Calc\")\n"
                       "back = winposition(\"Calc\")\n"
                       "winplace(100, 100, 500, 500, \"Calc\")\n"
                       "placed = winposition(\"Calc\")\n"),
              0);
    EXPECT_EQ(host.var("icon"), "1");
    EXPECT_EQ(host.var("zoomed"), "3");
    EXPECT_EQ(host.var("full"), "0,0,1000,1000");
    EXPECT_EQ(host.var("normal"), "2");
    EXPECT_EQ(host.var("back"), "39,65,234,195");  // 40,50 200 x 100 pixels of 1024 x 768
    EXPECT_EQ(host.var("placed"), "100,100,500,500");
    XWindowAttributes a = attributes(calc);
    EXPECT_EQ(a.x, 102);
    EXPECT_EQ(a.y, 77);
    EXPECT_EQ(a.width, 410);
    EXPECT_EQ(a.height, 307);
    EXPECT_EQ(a.map_state, IsViewable);
    ASSERT_EQ(host.run("winhide(\"Calc\")\nhidden = winstate(\"Calc\")\n"), 0);
    EXPECT_EQ(host.var("hidden"), "-1");
    EXPECT_EQ(attributes(calc).map_state, IsUnmapped);
    XDestroyWindow(display_, calc);
}

// winclose asks the window to close (WM_DELETE_WINDOW); an identifier of a
// window that is gone is not found, without waiting.
TEST_F(X11Windows, CloseAndAClosedWindowsIdentifier) {
    Window editor = make_window("Editor");
    ScriptHost host(16384);
    ASSERT_EQ(host.run("editor = winidget(\"Editor\")\nwinclose(\"Editor\")\n"), 0);
    XSync(display_, False);
    XEvent event{};
    ASSERT_TRUE(XCheckTypedWindowEvent(display_, editor, ClientMessage, &event));
    EXPECT_EQ(Atom(event.xclient.data.l[0]), XInternAtom(display_, "WM_DELETE_WINDOW", False));
    std::string identifier = host.var("editor");
    XDestroyWindow(display_, editor);
    XSync(display_, False);
    auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(host.run("errormode(@off)\nthere = winexist(\"" + identifier + "\")\nwinshow(\"" + identifier +
                       "\")\nerror = lasterror()\n"),
              0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
    EXPECT_EQ(host.var("there"), "0");
    EXPECT_EQ(host.var("error"), "1043");
}

TEST_F(X11Windows, SendKeysReachTheWindow) {
    int event_base, error_base, major, minor;
    if (!XTestQueryExtension(display_, &event_base, &error_base, &major, &minor)) GTEST_SKIP() << "the X server has no XTest";
    Window typing = make_window("Typing");
    ScriptHost host(16384);
    ASSERT_EQ(host.run("sendkeysto(\"Typing\", \"aB{TAB}~\")\n"), 0);
    XSync(display_, False);
    std::string typed;
    XEvent event{};
    while (XCheckTypedWindowEvent(display_, typing, KeyPress, &event)) {
        char text[8] = {};
        KeySym sym = 0;
        int n = XLookupString(&event.xkey, text, sizeof text - 1, &sym, nullptr);
        typed.append(text, size_t(n));
    }
    EXPECT_EQ(typed, "aB\t\r");
    XDestroyWindow(display_, typing);
}

TEST_F(X11Windows, MouseMovesThePointer) {
    int event_base, error_base, major, minor;
    if (!XTestQueryExtension(display_, &event_base, &error_base, &major, &minor)) GTEST_SKIP() << "the X server has no XTest";
    Window target = make_window("Target", 100, 100);
    ScriptHost host(16384);
    ASSERT_EQ(host.run("mousemove(500, 250, \"\", \"\")\n"
                       "pixels = mouseinfo(3)\n"
                       "mousemove(500, 500, \"Target\", \"\")\n"
                       "under = mouseinfo(0)\n"),
              0);
    EXPECT_EQ(host.var("pixels"), "512 192");
    EXPECT_EQ(host.var("under"), "Target");
    Window root = 0, child = 0;
    int x = 0, y = 0, wx = 0, wy = 0;
    unsigned mask = 0;
    XQueryPointer(display_, DefaultRootWindow(display_), &root, &child, &x, &y, &wx, &wy, &mask);
    EXPECT_EQ(x, 200);  // the middle of the 200 x 100 window at 100,100
    EXPECT_EQ(y, 150);
    XDestroyWindow(display_, target);
}

// Under a window manager the system order is its stacking list and the
// operations are requests to it. The test stands in for the manager: it
// publishes the EWMH lists (in an order unlike the server's own stacking)
// and takes the requests that come to the root window.
TEST_F(X11Windows, WindowManagerRequests) {
    Window a_txt = make_window("Notepad - a.txt");
    Window plain = make_window("Notepad");  // on top in the server's own stacking
    Window root = DefaultRootWindow(display_);
    auto atom = [&](const char* name) { return XInternAtom(display_, name, False); };
    auto set_windows = [&](const char* name, std::vector<Window> windows) {
        std::vector<long> values(windows.begin(), windows.end());
        XChangeProperty(display_, root, atom(name), XA_WINDOW, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(values.data()), int(values.size()));
    };
    set_windows("_NET_SUPPORTING_WM_CHECK", {root});
    set_windows("_NET_CLIENT_LIST_STACKING", {plain, a_txt});  // bottom first: a.txt on top
    XSelectInput(display_, root, SubstructureRedirectMask);
    XSync(display_, False);
    ScriptHost host(16384);
    int error = host.run("first = winidget(\"Notepad\")\n"
                         "winactivate(\"Notepad~\")\n"
                         "winzoom(\"Notepad~\")\n"
                         "winiconize(\"Notepad~\")\n"
                         "winclose(\"Notepad~\")\n");
    XSync(display_, False);
    std::vector<std::string> requests;
    XEvent event{};
    while (XCheckTypedEvent(display_, ClientMessage, &event)) {
        char* name = XGetAtomName(display_, event.xclient.message_type);
        requests.push_back(std::string(name) + (event.xclient.window == plain ? "" : " (another window)"));
        XFree(name);
    }
    XDeleteProperty(display_, root, atom("_NET_SUPPORTING_WM_CHECK"));
    XDeleteProperty(display_, root, atom("_NET_CLIENT_LIST_STACKING"));
    XSelectInput(display_, root, NoEventMask);
    XSync(display_, False);
    ASSERT_EQ(error, 0);
    EXPECT_EQ(host.var("first"), id(a_txt));
    const std::vector<std::string> expected = {"_NET_ACTIVE_WINDOW", "_NET_WM_STATE", "_NET_ACTIVE_WINDOW",
                                               "WM_CHANGE_STATE", "_NET_CLOSE_WINDOW"};
    EXPECT_EQ(requests, expected);
    XDestroyWindow(display_, plain);
    XDestroyWindow(display_, a_txt);
}

// A server that goes away while the library is connected does not end the
// host's process: the windows are gone, and the next server is used.
TEST(X11Server, LostServerDoesNotEndTheProcess) {
    auto first = std::make_unique<XServer>();
    if (first->display.empty()) GTEST_SKIP() << first->reason;
    setenv("DISPLAY", first->display.c_str(), 1);
    ScriptHost host(16384);
    ASSERT_EQ(host.run("before = winexist(\"Anything\")\n"), 0);
    first.reset();
    ASSERT_EQ(host.run("after = winexist(\"Anything\")\n"), 0);
    EXPECT_EQ(host.var("after"), "0");
    XServer second;
    setenv("DISPLAY", second.display.c_str(), 1);
    Display* display = XOpenDisplay(second.display.c_str());
    ASSERT_NE(display, nullptr);
    Window window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 50, 50, 0, 0, 0);
    XStoreName(display, window, "Anything");
    XMapWindow(display, window);
    XSync(display, False);
    ASSERT_EQ(host.run("again = winexist(\"Anything\")\n"), 0);
    EXPECT_EQ(host.var("again"), "1");
    unsetenv("DISPLAY");
    XCloseDisplay(display);
}

}  // namespace

#else

TEST(X11Windows, NeedsX11) { GTEST_SKIP() << "the library was built without X11 and XTest"; }

#endif
