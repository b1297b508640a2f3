// The X11 dialog back end under a private Xvfb: qsl shows a script-defined
// dialog on it, the test types into the dialog's window and reads the
// variables qsl prints afterwards.
#include <gtest/gtest.h>

#if QSL_TEST_X11

#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

#include "script_host.h"
#include "temp_folder.h"
#include "x_server.h"

using qsl::testing::ScriptHost;
using qsl::testing::TempFolder;
using qsl::testing::XServer;

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// A private X server and a connection of the test's own to it, which finds
// the dialog's window and sends it keys and clicks.
class Xvfb {
public:
    Xvfb() {
        if (!server_.display.empty()) display = XOpenDisplay(server_.display.c_str());
        name = server_.display;
    }
    ~Xvfb() {
        if (display) XCloseDisplay(display);
    }
    Xvfb(const Xvfb&) = delete;
    Xvfb& operator=(const Xvfb&) = delete;

    std::string why_not() const { return server_.reason.empty() ? "Xvfb did not start" : server_.reason; }

    // The mapped top-level window of that title, or 0 after five seconds.
    Window wait_for(const std::string& title) {
        for (int tries = 0; tries < 100; ++tries) {
            Window root_return, parent, *children = nullptr;
            unsigned count = 0;
            Window found = 0;
            XQueryTree(display, DefaultRootWindow(display), &root_return, &parent, &children, &count);
            for (unsigned i = 0; i < count && !found; ++i) {
                char* name = nullptr;
                XWindowAttributes attributes;
                if (XFetchName(display, children[i], &name) && name && title == name &&
                    XGetWindowAttributes(display, children[i], &attributes) && attributes.map_state == IsViewable)
                    found = children[i];
                if (name) XFree(name);
            }
            if (children) XFree(children);
            if (found) return found;
            std::this_thread::sleep_for(50ms);
        }
        return 0;
    }

    void press(Window window, KeySym symbol, unsigned state = 0) {
        XKeyEvent event{};
        event.type = KeyPress;
        event.display = display;
        event.window = window;
        event.root = DefaultRootWindow(display);
        event.keycode = XKeysymToKeycode(display, symbol);
        event.state = state;
        event.same_screen = True;
        XSendEvent(display, window, True, KeyPressMask, reinterpret_cast<XEvent*>(&event));
        XFlush(display);
    }

    // A click of the first button at dialog units x, y of the window, with
    // the cell of the "fixed" font the dialog draws with.
    void click(Window window, int x, int y) {
        XFontStruct* font = XLoadQueryFont(display, "fixed");
        int width = font ? font->max_bounds.width : 6, height = font ? font->ascent + font->descent : 13;
        if (font) XFreeFont(display, font);
        XButtonEvent event{};
        event.type = ButtonPress;
        event.display = display;
        event.window = window;
        event.root = DefaultRootWindow(display);
        event.button = Button1;
        event.x = x * width / 4 + 3;
        event.y = y * height / 8 + 3;
        event.same_screen = True;
        XSendEvent(display, window, True, ButtonPressMask, reinterpret_cast<XEvent*>(&event));
        XFlush(display);
    }

    std::string name;
    Display* display = nullptr;

private:
    XServer server_;
};

std::string read_all(FILE* pipe) {
    std::string out;
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    return out;
}

const char* dialog_script =
    "dFormat = \"KVXDLGED,5.0\"\ndX = 20\ndY = 20\ndWidth = 180\ndHeight = 110\ndCaption = \"Order\"\n"
    "dNumControls = 7\n"
    "d01 = `8,8,100,12,EDITBOX,name,DEFAULT`\n"
    "d02 = `8,24,60,10,RADIOBUTTON,size,Small,1`\n"
    "d03 = `8,34,60,10,RADIOBUTTON,size,Medium,2`\n"
    "d04 = `8,44,60,10,RADIOBUTTON,size,Large,3`\n"
    "d05 = `8,58,80,10,CHECKBOX,extras,\"Cheese, please\",4`\n"
    "d06 = `8,80,40,14,PUSHBUTTON,,DEFAULT,1`\n"
    "d07 = `60,80,40,14,PUSHBUTTON,,DEFAULT,0`\n"
    "size = 0\nextras = 1\npressed = dialog(\"d\")\nexit\n:CANCEL\ncancelled = 1\n";

TEST(X11Dialogs, KeysAndClicksFillTheDialog) {
    Xvfb server;
    if (!server.display) GTEST_SKIP() << server.why_not();
    TempFolder folder;
    folder.write("order.qsl", dialog_script);
    struct Run {
        std::vector<KeySym> keys;
        std::vector<std::pair<int, int>> clicks;  // dialog units
        std::vector<const char*> expected;
    } runs[] = {
        {{XK_b, XK_o, XK_b, XK_x, XK_BackSpace, XK_Tab, XK_Down, XK_Down, XK_Tab, XK_space, XK_Return},
         {},
         {"name=bob\n", "size=3\n", "extras=5\n", "pressed=1\n"}},
        {{XK_Tab, XK_Down, XK_Escape}, {}, {"cancelled=1\n", "size=0\n"}},
        {{}, {{8, 34}, {8, 58}, {8, 80}}, {"size=2\n", "extras=5\n", "pressed=1\n"}},
        {{}, {{60, 80}}, {"cancelled=1\n"}},
    };
    for (const Run& run : runs) {
        std::string command = "cd " + folder.path.string() + " && DISPLAY=" + server.name +
                              " QSL_REGISTRY=registry.ini timeout 20 " QSL_BIN_DIR "/qsl --vars order.qsl 2>&1";
        FILE* qsl = popen(command.c_str(), "r");
        ASSERT_TRUE(qsl);
        Window window = server.wait_for("Order");
        if (window)
            for (KeySym key : run.keys) server.press(window, key);
        if (window)
            for (auto [x, y] : run.clicks) server.click(window, x, y);
        std::string out = read_all(qsl);
        pclose(qsl);
        ASSERT_NE(window, 0u) << "no dialog window appeared; qsl wrote: " << out;
        for (const char* line : run.expected) EXPECT_NE(out.find(line), std::string::npos) << line << " in " << out;
    }
}

// A break request (Ctrl+C in qsl) closes the shown dialog: dialog answers 0
// and the script stops before its next statement.
TEST(X11Dialogs, BreakRequestClosesTheDialog) {
    Xvfb server;
    if (!server.display) GTEST_SKIP() << server.why_not();
    setenv("DISPLAY", server.name.c_str(), 1);
    QslDialogInterface dialogs{};
    ASSERT_TRUE(QslGetDialogBackEnd(QSL_DIALOGS_X11, &dialogs));
    ScriptHost host(16384);
    QslSetDialogInterface(&dialogs);
    std::thread breaker([&server] {
        if (server.wait_for("Order")) QslRequestBreak();
    });
    std::string script = dialog_script;
    host.run(script.replace(script.find("pressed = "), 10, "pressed = 7\npressed = "));
    breaker.join();
    QslSetDialogInterface(nullptr);
    unsetenv("DISPLAY");
    EXPECT_EQ(host.var("pressed"), "0");
    EXPECT_EQ(host.var("cancelled"), "<none>");
}

}  // namespace

#endif  // QSL_TEST_X11
