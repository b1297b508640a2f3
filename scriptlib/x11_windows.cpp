// Windows of an X server. The system order of top-level windows is the
// window manager's stacking list (_NET_CLIENT_LIST_STACKING, else
// _NET_CLIENT_LIST), topmost first; with no window manager (a bare server)
// it is the root's children in stacking order, those mapped or titled.
// With a window manager the operations are its EWMH requests; without one
// the library maps, moves and focuses the window itself and keeps the
// window's state properties (WM_STATE, _NET_WM_STATE) as a manager would.
#include "scriptlib/x11_windows.h"

#if QSL_HAVE_X11

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#if QSL_HAVE_XTEST
#include <X11/extensions/XTest.h>
#endif

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <string_view>
#include <thread>
#include <vector>

namespace qsl {
namespace {

struct Atoms {
    Atom stacking, clients, net_name, utf8, active, close, protocols, delete_window, wm_state, net_state, maximized_vert,
        maximized_horz, hidden, pid, wm_check, normal_rect;
};

struct Server {
    Display* display = nullptr;
    std::string name;
    Window root = 0;
    int screen = 0;
    bool xtest = false;
    bool lost = false;
    Atoms atoms{};
};

std::recursive_mutex g_mutex;
Server g_server;

// Windows come and go under the library's feet: a request about a window
// that is gone is an answer, not a reason to end the program; nor is a
// server that goes away (Xlib's default ends the process): the connection
// is given up and opened again on the next use. The handlers are the
// library's only while it talks to the server (a host may have its own),
// and every request is answered before they are given back.
int ignore_errors(Display*, XErrorEvent*) { return 0; }
int server_lost(Display*) {
    g_server.lost = true;
    return 0;
}
#if QSL_HAVE_IO_ERROR_EXIT
void stay(Display*, void*) {}
#endif

class Talking {
public:
    Talking()
        : guard_(g_mutex), previous_(XSetErrorHandler(ignore_errors)), previous_io_(XSetIOErrorHandler(server_lost)) {}
    ~Talking() {
        if (g_server.display && !g_server.lost) XSync(g_server.display, False);
        XSetIOErrorHandler(previous_io_);
        XSetErrorHandler(previous_);
    }
    Talking(const Talking&) = delete;
    Talking& operator=(const Talking&) = delete;

private:
    std::lock_guard<std::recursive_mutex> guard_;
    XErrorHandler previous_;
    XIOErrorHandler previous_io_;
};

Display* dpy() { return g_server.display; }
const Atoms& atoms() { return g_server.atoms; }

std::vector<unsigned long> property(Window window, Atom name) {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::vector<unsigned long> values;
    if (XGetWindowProperty(dpy(), window, name, 0, 65536, False, AnyPropertyType, &type, &format, &count, &after,
                           &data) == Success &&
        data) {
        if (format == 32) {
            auto* longs = reinterpret_cast<unsigned long*>(data);
            values.assign(longs, longs + count);
        }
        XFree(data);
    }
    return values;
}

bool property_text(Window window, Atom name, std::string& text) {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(dpy(), window, name, 0, 65536, False, AnyPropertyType, &type, &format, &count, &after,
                           &data) != Success || !data)
        return false;
    bool found = format == 8;
    if (found) {
        text.assign(reinterpret_cast<char*>(data), count);
        if (type == XA_STRING) {  // Latin-1
            std::string utf8;
            for (unsigned char ch : text) {
                if (ch < 0x80) {
                    utf8 += char(ch);
                } else {
                    utf8 += char(0xC0 | (ch >> 6));
                    utf8 += char(0x80 | (ch & 0x3F));
                }
            }
            text = utf8;
        }
    }
    XFree(data);
    return found;
}

void set_cardinals(Window window, Atom name, Atom type, const std::vector<long>& values) {
    XChangeProperty(dpy(), window, name, type, 32, PropModeReplace, reinterpret_cast<const unsigned char*>(values.data()),
                    int(values.size()));
}

bool managed() { return !property(g_server.root, atoms().wm_check).empty(); }

bool alive(Window window) {
    XWindowAttributes attributes;
    return window && XGetWindowAttributes(dpy(), window, &attributes) != 0;
}

std::vector<Window> children(Window parent) {
    Window root = 0, up = 0, *list = nullptr;
    unsigned count = 0;
    std::vector<Window> result;
    if (XQueryTree(dpy(), parent, &root, &up, &list, &count) && list) {
        result.assign(list, list + count);
        XFree(list);
    }
    std::reverse(result.begin(), result.end());  // stacking order is bottom first
    return result;
}

Window parent_of(Window window) {
    Window root = 0, up = 0, *list = nullptr;
    unsigned count = 0;
    if (!XQueryTree(dpy(), window, &root, &up, &list, &count)) return 0;
    if (list) XFree(list);
    return up;
}

std::vector<Window> client_list() {
    std::vector<unsigned long> list = property(g_server.root, atoms().stacking);
    if (list.empty()) list = property(g_server.root, atoms().clients);
    std::vector<Window> windows(list.rbegin(), list.rend());
    return windows;
}

bool titled(Window window) {
    std::string text;
    return property_text(window, atoms().net_name, text) || property_text(window, XA_WM_NAME, text);
}

std::vector<Window> top_level_windows() {
    std::vector<Window> windows = client_list();
    if (!windows.empty()) return windows;
    for (Window window : children(g_server.root)) {
        XWindowAttributes a;
        if (!XGetWindowAttributes(dpy(), window, &a) || a.override_redirect) continue;
        if (a.map_state != IsUnmapped || titled(window)) windows.push_back(window);
    }
    return windows;
}

bool is_top_level(Window window) {
    std::vector<Window> clients = client_list();
    if (!clients.empty()) return std::find(clients.begin(), clients.end(), window) != clients.end();
    return parent_of(window) == g_server.root;
}

void send_to_root(Window window, Atom type, long a, long b, long c, long d) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = type;
    event.xclient.format = 32;
    event.xclient.data.l[0] = a;
    event.xclient.data.l[1] = b;
    event.xclient.data.l[2] = c;
    event.xclient.data.l[3] = d;
    XSendEvent(dpy(), g_server.root, False, SubstructureRedirectMask | SubstructureNotifyMask, &event);
}

bool has_state(Window window, Atom state) {
    std::vector<unsigned long> states = property(window, atoms().net_state);
    return std::find(states.begin(), states.end(), state) != states.end();
}

void set_wm_state(Window window, long state) { set_cardinals(window, atoms().wm_state, atoms().wm_state, {state, 0}); }

// --- the interface --------------------------------------------------------

int list(void*, QslHandle parent, QslHandle* out, int capacity) {
    Talking talking;
    std::vector<Window> windows = parent ? children(Window(parent)) : top_level_windows();
    for (size_t i = 0; i < windows.size() && i < size_t(capacity); ++i) out[i] = windows[i];
    return int(windows.size());
}

int exists(void*, QslHandle window) {
    Talking talking;
    return alive(Window(window));
}

QslHandle parent(void*, QslHandle window) {
    Talking talking;
    if (!alive(Window(window)) || is_top_level(Window(window))) return 0;
    Window up = parent_of(Window(window));
    return up == g_server.root ? 0 : up;
}

int text(void*, QslHandle handle, int kind, char* out, size_t size) {
    Talking talking;
    Window window = Window(handle);
    if (!alive(window) || size == 0) return 0;
    std::string value;
    if (kind == QSL_WINDOW_TITLE) {
        if (!property_text(window, atoms().net_name, value)) property_text(window, XA_WM_NAME, value);
    } else if (kind == QSL_WINDOW_CLASS) {
        XClassHint hint{};
        if (!XGetClassHint(dpy(), window, &hint)) return 0;
        value = hint.res_class ? hint.res_class : "";
        if (hint.res_name) XFree(hint.res_name);
        if (hint.res_class) XFree(hint.res_class);
    } else {
        std::vector<unsigned long> pid = property(window, atoms().pid);
        if (pid.empty()) return 0;
        if (kind == QSL_WINDOW_PROCESS) {
            std::snprintf(out, size, "%lu", pid[0]);
            return 1;
        }
        std::error_code error;
        value = std::filesystem::read_symlink("/proc/" + std::to_string(pid[0]) + "/exe", error).string();
        if (error) return 0;
    }
    std::snprintf(out, size, "%s", value.c_str());
    return 1;
}

int set_title(void*, QslHandle handle, const char* title) {
    Talking talking;
    Window window = Window(handle);
    if (!alive(window)) return 0;
    auto bytes = reinterpret_cast<const unsigned char*>(title);
    int length = int(std::strlen(title));
    XChangeProperty(dpy(), window, atoms().net_name, atoms().utf8, 8, PropModeReplace, bytes, length);
    XChangeProperty(dpy(), window, XA_WM_NAME, atoms().utf8, 8, PropModeReplace, bytes, length);
    XSync(dpy(), False);
    return 1;
}

QslHandle active(void*) {
    Talking talking;
    if (managed()) {
        std::vector<unsigned long> window = property(g_server.root, atoms().active);
        return window.empty() ? 0 : window[0];
    }
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(dpy(), &focus, &revert);
    if (focus == None || focus == PointerRoot) return 0;
    while (focus && focus != g_server.root) {
        Window up = parent_of(focus);
        if (up == g_server.root) return focus;
        focus = up;
    }
    return 0;
}

int state(void*, QslHandle handle) {
    Talking talking;
    Window window = Window(handle);
    XWindowAttributes a;
    if (!window || !XGetWindowAttributes(dpy(), window, &a)) return 0;
    std::vector<unsigned long> wm_state = property(window, atoms().wm_state);
    if ((!wm_state.empty() && wm_state[0] == IconicState) || has_state(window, atoms().hidden)) return QSL_WINDOW_ICONIC;
    if (a.map_state == IsUnmapped) return QSL_WINDOW_HIDDEN;
    if (has_state(window, atoms().maximized_vert) && has_state(window, atoms().maximized_horz)) return QSL_WINDOW_ZOOMED;
    return QSL_WINDOW_NORMAL;
}

int get_rect(void*, QslHandle handle, int rect[4]) {
    Talking talking;
    Window window = Window(handle), child = 0;
    XWindowAttributes a;
    int x = 0, y = 0;
    if (!window || !XGetWindowAttributes(dpy(), window, &a)) return 0;
    XTranslateCoordinates(dpy(), window, g_server.root, 0, 0, &x, &y, &child);
    rect[0] = x, rect[1] = y, rect[2] = x + a.width, rect[3] = y + a.height;
    return 1;
}

void move_resize(Window window, const int rect[4]) {
    int x = rect[0], y = rect[1];
    Window up = parent_of(window), child = 0;
    if (up && up != g_server.root && !is_top_level(window))
        XTranslateCoordinates(dpy(), g_server.root, up, rect[0], rect[1], &x, &y, &child);
    XMoveResizeWindow(dpy(), window, x, y, unsigned(std::max(1, rect[2] - rect[0])), unsigned(std::max(1, rect[3] - rect[1])));
}

int set_rect(void*, QslHandle handle, const int rect[4]) {
    Talking talking;
    Window window = Window(handle);
    if (!alive(window)) return 0;
    if (managed()) {
        send_to_root(window, atoms().net_state, 0, long(atoms().maximized_vert), long(atoms().maximized_horz), 2);
    } else {
        XDeleteProperty(dpy(), window, atoms().net_state);
    }
    move_resize(window, rect);
    XSync(dpy(), False);
    return 1;
}

int screen_size(void*, int size[2]) {
    Talking talking;
    size[0] = DisplayWidth(dpy(), g_server.screen);
    size[1] = DisplayHeight(dpy(), g_server.screen);
    return 1;
}

void close_window(Window window) {
    if (managed()) {
        send_to_root(window, atoms().close, CurrentTime, 2, 0, 0);
        return;
    }
    Atom* protocols = nullptr;
    int count = 0;
    bool polite = false;
    if (XGetWMProtocols(dpy(), window, &protocols, &count)) {
        polite = std::find(protocols, protocols + count, atoms().delete_window) != protocols + count;
        XFree(protocols);
    }
    if (!polite) {
        XKillClient(dpy(), window);  // as a window manager does with a window that cannot be asked
        return;
    }
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = atoms().protocols;
    event.xclient.format = 32;
    event.xclient.data.l[0] = long(atoms().delete_window);
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(dpy(), window, False, NoEventMask, &event);
}

void activate(Window window) {
    if (managed()) {
        XMapWindow(dpy(), window);
        send_to_root(window, atoms().active, 2, CurrentTime, 0, 0);
        return;
    }
    set_wm_state(window, NormalState);
    XMapRaised(dpy(), window);
    XSync(dpy(), False);
    XSetInputFocus(dpy(), window, RevertToParent, CurrentTime);
}

void zoom(Window window) {
    if (managed()) {
        XMapWindow(dpy(), window);
        send_to_root(window, atoms().net_state, 1, long(atoms().maximized_vert), long(atoms().maximized_horz), 2);
        send_to_root(window, atoms().active, 2, CurrentTime, 0, 0);
        return;
    }
    if (!(has_state(window, atoms().maximized_vert) && has_state(window, atoms().maximized_horz))) {
        int r[4] = {};
        get_rect(nullptr, window, r);
        set_cardinals(window, atoms().normal_rect, XA_CARDINAL, {r[0], r[1], r[2], r[3]});
    }
    int size[2] = {};
    screen_size(nullptr, size);
    const int full[4] = {0, 0, size[0], size[1]};
    move_resize(window, full);
    set_cardinals(window, atoms().net_state, XA_ATOM, {long(atoms().maximized_vert), long(atoms().maximized_horz)});
    activate(window);
}

void show_normal(Window window) {
    if (managed()) {
        send_to_root(window, atoms().net_state, 0, long(atoms().maximized_vert), long(atoms().maximized_horz), 2);
        XMapWindow(dpy(), window);
        return;
    }
    std::vector<unsigned long> normal = property(window, atoms().normal_rect);
    if (normal.size() == 4 && has_state(window, atoms().maximized_vert)) {
        const int r[4] = {int(normal[0]), int(normal[1]), int(normal[2]), int(normal[3])};
        move_resize(window, r);
    }
    XDeleteProperty(dpy(), window, atoms().net_state);
    set_wm_state(window, NormalState);
    XMapWindow(dpy(), window);
}

// Whether a window manager has carried out the request yet.
bool reached(Window window, int action) {
    switch (action) {
        case QSL_WINDOW_ACTIVATE: return active(nullptr) == window;
        case QSL_WINDOW_ICONIZE: return state(nullptr, window) == QSL_WINDOW_ICONIC;
        case QSL_WINDOW_ZOOM: return state(nullptr, window) == QSL_WINDOW_ZOOMED;
        case QSL_WINDOW_SHOW: return state(nullptr, window) == QSL_WINDOW_NORMAL;
        case QSL_WINDOW_HIDE: return state(nullptr, window) == QSL_WINDOW_HIDDEN;
    }
    return true;  // a window asked to close may first ask its user
}

// A window manager acts on requests in its own time: the next function of
// the script (keys for the window just activated, winstate) waits for it,
// a moment at most.
void settle(Window window, int action) {
    constexpr int tries = 25;
    for (int i = 0; i < tries && !reached(window, action); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        XSync(dpy(), False);
    }
}

int act(void*, QslHandle handle, int action) {
    Talking talking;
    Window window = Window(handle);
    if (!alive(window)) return 0;
    switch (action) {
        case QSL_WINDOW_ACTIVATE: activate(window); break;
        case QSL_WINDOW_CLOSE: close_window(window); break;
        case QSL_WINDOW_ICONIZE:
            if (managed()) {
                XIconifyWindow(dpy(), window, g_server.screen);
            } else {
                XUnmapWindow(dpy(), window);
                set_wm_state(window, IconicState);
            }
            break;
        case QSL_WINDOW_ZOOM: zoom(window); break;
        case QSL_WINDOW_SHOW: show_normal(window); break;
        case QSL_WINDOW_HIDE:
            XWithdrawWindow(dpy(), window, g_server.screen);
            if (!managed()) set_wm_state(window, WithdrawnState);
            break;
        default: return 0;
    }
    XSync(dpy(), False);
    if (managed()) settle(window, action);
    return 1;
}

int pointer(void*, int position[2], unsigned* buttons) {
    Talking talking;
    Window root = 0, child = 0;
    int x = 0, y = 0;
    unsigned mask = 0;
    if (!XQueryPointer(dpy(), g_server.root, &root, &child, &position[0], &position[1], &x, &y, &mask)) return 0;
    *buttons = ((mask & Button1Mask) ? QSL_BUTTON_LEFT : 0) | ((mask & Button3Mask) ? QSL_BUTTON_RIGHT : 0) |
               ((mask & Button2Mask) ? QSL_BUTTON_MIDDLE : 0);
    return 1;
}

#if QSL_HAVE_XTEST

struct NamedKey {
    std::string_view name;
    KeySym sym;
};

constexpr NamedKey named_keys[] = {
    {"BACKSPACE", XK_BackSpace}, {"DELETE", XK_Delete}, {"DOWN", XK_Down},     {"END", XK_End},
    {"ENTER", XK_Return},        {"ESC", XK_Escape},    {"HOME", XK_Home},     {"INSERT", XK_Insert},
    {"LEFT", XK_Left},           {"PGDN", XK_Next},     {"PGUP", XK_Prior},    {"RIGHT", XK_Right},
    {"SPACE", XK_space},         {"TAB", XK_Tab},       {"UP", XK_Up},
};

// The keysym of one UTF-8 character or key name; 0 when there is none.
KeySym key_sym(std::string_view key) {
    for (const NamedKey& named : named_keys)
        if (key == named.name) return named.sym;
    if (key.size() >= 2 && key[0] == 'F' && key.find_first_not_of("0123456789", 1) == std::string_view::npos) {
        int n = std::atoi(std::string(key.substr(1)).c_str());
        return n >= 1 && n <= 16 ? KeySym(XK_F1 + n - 1) : 0;
    }
    auto bytes = reinterpret_cast<const unsigned char*>(key.data());
    unsigned long code = 0;
    if (key.size() == 1) {
        code = bytes[0];
    } else if (key.size() == 2 && (bytes[0] & 0xE0) == 0xC0) {
        code = ((bytes[0] & 0x1Fu) << 6) | (bytes[1] & 0x3Fu);
    } else if (key.size() == 3 && (bytes[0] & 0xF0) == 0xE0) {
        code = ((bytes[0] & 0x0Fu) << 12) | ((bytes[1] & 0x3Fu) << 6) | (bytes[2] & 0x3Fu);
    } else {
        return 0;
    }
    if (code == '\n' || code == '\r') return XK_Return;
    if (code == '\t') return XK_Tab;
    if (code < 0x20) return 0;
    return code < 0x100 ? KeySym(code) : KeySym(0x01000000 | code);
}

void press(KeyCode code, bool down) { XTestFakeKeyEvent(dpy(), code, down ? True : False, CurrentTime); }

int send_key(void*, QslHandle, const char* key, unsigned modifiers) {
    Talking talking;
    KeySym sym = key_sym(key);
    KeyCode code = sym ? XKeysymToKeycode(dpy(), sym) : 0;
    if (!code) return 0;
    if (XkbKeycodeToKeysym(dpy(), code, 0, 0) != sym && XkbKeycodeToKeysym(dpy(), code, 0, 1) == sym)
        modifiers |= QSL_KEY_SHIFT;
    std::vector<KeyCode> held;
    if (modifiers & QSL_KEY_SHIFT) held.push_back(XKeysymToKeycode(dpy(), XK_Shift_L));
    if (modifiers & QSL_KEY_CONTROL) held.push_back(XKeysymToKeycode(dpy(), XK_Control_L));
    if (modifiers & QSL_KEY_ALT) held.push_back(XKeysymToKeycode(dpy(), XK_Alt_L));
    for (KeyCode modifier : held) press(modifier, true);
    press(code, true);
    press(code, false);
    for (auto it = held.rbegin(); it != held.rend(); ++it) press(*it, false);
    XSync(dpy(), False);
    return 1;
}

int move_pointer(void*, int x, int y) {
    Talking talking;
    XTestFakeMotionEvent(dpy(), g_server.screen, x, y, CurrentTime);
    XSync(dpy(), False);
    return 1;
}

int press_button(void*, int button, int down) {
    Talking talking;
    unsigned number = button == QSL_BUTTON_LEFT ? 1 : button == QSL_BUTTON_MIDDLE ? 2 : button == QSL_BUTTON_RIGHT ? 3 : 0;
    if (!number) return 0;
    XTestFakeButtonEvent(dpy(), number, down ? True : False, CurrentTime);
    XSync(dpy(), False);
    return 1;
}

#endif

bool open_server(const std::string& name, std::string& reason) {
    if (g_server.display && g_server.name == name && !g_server.lost) return true;
    if (g_server.display && !g_server.lost) XCloseDisplay(g_server.display);
    g_server = Server{};
    Display* display = XOpenDisplay(name.c_str());
    if (!display) {
        reason = "the X display " + name + " cannot be opened";
        return false;
    }
#if QSL_HAVE_IO_ERROR_EXIT
    XSetIOErrorExitHandler(display, stay, nullptr);
#endif
    g_server.display = display;
    g_server.name = name;
    g_server.screen = DefaultScreen(display);
    g_server.root = RootWindow(display, g_server.screen);
    auto atom = [&](const char* atom_name) { return XInternAtom(display, atom_name, False); };
    g_server.atoms = Atoms{atom("_NET_CLIENT_LIST_STACKING"), atom("_NET_CLIENT_LIST"), atom("_NET_WM_NAME"),
                           atom("UTF8_STRING"), atom("_NET_ACTIVE_WINDOW"), atom("_NET_CLOSE_WINDOW"),
                           atom("WM_PROTOCOLS"), atom("WM_DELETE_WINDOW"), atom("WM_STATE"), atom("_NET_WM_STATE"),
                           atom("_NET_WM_STATE_MAXIMIZED_VERT"), atom("_NET_WM_STATE_MAXIMIZED_HORZ"),
                           atom("_NET_WM_STATE_HIDDEN"), atom("_NET_WM_PID"), atom("_NET_SUPPORTING_WM_CHECK"),
                           atom("_QSL_NORMAL_RECT")};
#if QSL_HAVE_XTEST
    int event = 0, error = 0, major = 0, minor = 0;
    g_server.xtest = XTestQueryExtension(display, &event, &error, &major, &minor);
#endif
    return true;
}

}  // namespace

std::optional<QslWindowInterface> x11_window_interface(const std::string& display, std::string& no_input) {
    Talking talking;
    if (!open_server(display, no_input)) return std::nullopt;
    QslWindowInterface api{};
    api.pointer = pointer;
    api.list = list;
    api.exists = exists;
    api.parent = parent;
    api.text = text;
    api.set_title = set_title;
    api.active = active;
    api.state = state;
    api.act = act;
    api.get_rect = get_rect;
    api.set_rect = set_rect;
    api.screen_size = screen_size;
    no_input = "the X server has no XTest extension for synthetic keys and mouse input";
#if QSL_HAVE_XTEST
    if (g_server.xtest) {
        api.send_key = send_key;
        api.move_pointer = move_pointer;
        api.press_button = press_button;
        no_input.clear();
    }
#else
    no_input = "the library was built without XTest, so it sends no keys or mouse input";
#endif
    return api;
}

}  // namespace qsl

#else

namespace qsl {

std::optional<QslWindowInterface> x11_window_interface(const std::string&, std::string& reason) {
    reason = "the library was built without X11";
    return std::nullopt;
}

}  // namespace qsl

#endif
