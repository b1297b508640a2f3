// The X11 dialog back end: a plain Xlib window with the controls drawn as
// text and rectangles. Keys as on the terminal (dialog_session.h); a click
// presses a push button, toggles a check or radio button, marks a list item
// or puts the focus into an edit box. Closing the window is Cancel.
#include "scriptlib/dialog_back_ends.h"

#if QSL_HAVE_X11

#include "scriptlib/dialog_session.h"

#include "common/platform/environment.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <string>
#include <sys/select.h>
#include <vector>

namespace qsl {
namespace {

using Clock = std::chrono::steady_clock;

// A server that goes away while a dialog is shown ends the dialog (3104),
// not the program: the library's error handlers are in force while the
// dialog talks to the server, and the lost connection is given up.
std::atomic<bool> g_lost{false};
int ignore_errors(Display*, XErrorEvent*) { return 0; }
int server_lost(Display*) {
    g_lost = true;
    return 0;
}
#if QSL_HAVE_IO_ERROR_EXIT
void stay(Display*, void*) {}
#endif

struct Rect {
    int x, y, width, height;
    bool contains(int px, int py) const { return px >= x && px < x + width && py >= y && py < y + height; }
};

std::vector<std::string> lines_of(const char* text) {
    std::vector<std::string> lines(1);
    for (const char* p = text ? text : ""; *p; ++p) {
        if (*p == '\n') lines.emplace_back();
        else if (*p != '\r') lines.back() += *p;
    }
    return lines;
}

class X11Dialog {
public:
    X11Dialog(Display* display, QslDialog& dialog) : display_(display), dialog_(dialog), session_(dialog) {
        font_ = XLoadQueryFont(display_, "fixed");
        owns_font_ = font_ != nullptr;
        if (!font_) font_ = XQueryFont(display_, XGContextFromGC(DefaultGC(display_, DefaultScreen(display_))));
        char_width_ = font_ ? std::max<int>(font_->max_bounds.width, 1) : 6;
        ascent_ = font_ ? font_->ascent : 10;
        char_height_ = font_ ? font_->ascent + font_->descent : 13;
    }
    ~X11Dialog() {
        if (g_lost) return;
        if (gc_) XFreeGC(display_, gc_);
        if (window_) XDestroyWindow(display_, window_);
        if (font_) owns_font_ ? XFreeFont(display_, font_) : XFreeFontInfo(nullptr, font_, 1);
        XFlush(display_);
    }
    X11Dialog(const X11Dialog&) = delete;
    X11Dialog& operator=(const X11Dialog&) = delete;

    bool create();
    int run();

private:
    int px(int units) const { return units * char_width_ / 4; }
    int py(int units) const { return units * char_height_ / 8; }
    Rect rect_of(int index) const {
        const QslDialogControl& c = dialog_.controls[index];
        return {px(c.x), py(c.y), std::max(px(c.width), char_width_), std::max(py(c.height), char_height_ + 4)};
    }
    void draw();
    void draw_text(int x, int y, const std::string& text, bool inverse = false);
    void draw_control(int index);
    int on_key(XKeyEvent& event);
    int on_click(int x, int y);

    Display* display_;
    QslDialog& dialog_;
    DialogSession session_;
    XFontStruct* font_ = nullptr;
    bool owns_font_ = false;
    int char_width_ = 6, char_height_ = 13, ascent_ = 10;
    Window window_ = 0;
    GC gc_ = nullptr;
    Atom delete_window_ = 0;
    unsigned long black_ = 0, white_ = 0;
};

bool X11Dialog::create() {
    int screen = DefaultScreen(display_);
    black_ = BlackPixel(display_, screen);
    white_ = WhitePixel(display_, screen);
    int width = std::max(px(dialog_.width), 60), height = std::max(py(dialog_.height), 30);
    int x = px(dialog_.x), y = py(dialog_.y);
    int screen_width = DisplayWidth(display_, screen), screen_height = DisplayHeight(display_, screen);
    if (x < 0 || y < 0 || x + width > screen_width || y + height > screen_height) {
        x = std::max(0, (screen_width - width) / 2);
        y = std::max(0, (screen_height - height) / 2);
    }
    window_ = XCreateSimpleWindow(display_, RootWindow(display_, screen), x, y, unsigned(width), unsigned(height), 1,
                                  black_, white_);
    if (!window_) return false;
    XSizeHints hints{};
    hints.flags = PPosition | PSize;
    hints.x = x;
    hints.y = y;
    hints.width = width;
    hints.height = height;
    XSetWMNormalHints(display_, window_, &hints);
    const char* caption = dialog_.caption ? dialog_.caption : "";
    XStoreName(display_, window_, caption);
    Atom net_name = XInternAtom(display_, "_NET_WM_NAME", False), utf8 = XInternAtom(display_, "UTF8_STRING", False);
    XChangeProperty(display_, window_, net_name, utf8, 8, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(caption), int(std::string(caption).size()));
    delete_window_ = XInternAtom(display_, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(display_, window_, &delete_window_, 1);
    XSelectInput(display_, window_, ExposureMask | KeyPressMask | ButtonPressMask | StructureNotifyMask);
    gc_ = XCreateGC(display_, window_, 0, nullptr);
    if (font_ && owns_font_) XSetFont(display_, gc_, font_->fid);
    XMapRaised(display_, window_);
    XFlush(display_);
    return true;
}

void X11Dialog::draw_text(int x, int y, const std::string& text, bool inverse) {
    XSetForeground(display_, gc_, inverse ? white_ : black_);
    XDrawString(display_, window_, gc_, x, y + ascent_, text.c_str(), int(text.size()));
    XSetForeground(display_, gc_, black_);
}

void X11Dialog::draw_control(int index) {
    const QslDialogControl& c = dialog_.controls[index];
    Rect r = rect_of(index);
    bool focused = session_.focus() == index;
    std::string label;
    switch (c.type) {
        case QSL_CONTROL_STATIC: {
            int row = 0;
            for (const auto& line : lines_of(c.text)) draw_text(r.x, r.y + row++ * char_height_, line);
            break;
        }
        case QSL_CONTROL_EDIT:
        case QSL_CONTROL_PASSWORD: {
            std::string text = c.edit ? c.edit : "";
            if (c.type == QSL_CONTROL_PASSWORD) text.assign(text.size(), '*');
            XDrawRectangle(display_, window_, gc_, r.x, r.y, unsigned(r.width), unsigned(char_height_ + 4));
            draw_text(r.x + 3, r.y + 2, text + (focused ? "_" : ""));
            break;
        }
        case QSL_CONTROL_RADIO:
        case QSL_CONTROL_CHECK: {
            std::string mark = c.type == QSL_CONTROL_RADIO ? (c.checked ? "(*) " : "( ) ") : (c.checked ? "[x] " : "[ ] ");
            draw_text(r.x, r.y, mark + std::string(button_label(c.text, label)));
            break;
        }
        case QSL_CONTROL_BUTTON: {
            std::string text(button_label(c.text, label));
            XDrawRectangle(display_, window_, gc_, r.x, r.y, unsigned(r.width), unsigned(r.height));
            if (index == dialog_.default_button)
                XDrawRectangle(display_, window_, gc_, r.x + 1, r.y + 1, unsigned(r.width - 2), unsigned(r.height - 2));
            int text_x = r.x + std::max(2, (r.width - int(text.size()) * char_width_) / 2);
            draw_text(text_x, r.y + std::max(1, (r.height - char_height_) / 2), text);
            break;
        }
        case QSL_CONTROL_LIST: {
            XDrawRectangle(display_, window_, gc_, r.x, r.y, unsigned(r.width), unsigned(r.height));
            int rows = DialogSession::list_rows(c);
            for (int row = 0; row < rows; ++row) {
                int item = session_.top(index) + row;
                if (item >= c.item_count) break;
                int y = r.y + 2 + row * char_height_;
                if (c.selected[item]) XFillRectangle(display_, window_, gc_, r.x + 1, y, unsigned(r.width - 2), unsigned(char_height_));
                std::string text = std::string(focused && item == session_.cursor(index) ? ">" : " ") + c.items[item];
                draw_text(r.x + 2, y, text, c.selected[item] != 0);
            }
            break;
        }
        default: break;
    }
    if (focused && c.type != QSL_CONTROL_EDIT && c.type != QSL_CONTROL_PASSWORD && c.type != QSL_CONTROL_LIST) {
        XSetLineAttributes(display_, gc_, 1, LineOnOffDash, CapButt, JoinMiter);
        XDrawRectangle(display_, window_, gc_, r.x - 2, r.y - 2, unsigned(r.width + 4), unsigned(r.height + 4));
        XSetLineAttributes(display_, gc_, 1, LineSolid, CapButt, JoinMiter);
    }
}

void X11Dialog::draw() {
    XClearWindow(display_, window_);
    for (int i = 0; i < dialog_.count; ++i) draw_control(i);
    XFlush(display_);
}

int X11Dialog::on_key(XKeyEvent& event) {
    char text[32] = {};
    KeySym symbol = NoSymbol;
    int length = XLookupString(&event, text, sizeof text - 1, &symbol, nullptr);
    switch (symbol) {
        case XK_Tab: return session_.key(event.state & ShiftMask ? DialogKey::back_tab : DialogKey::tab);
        case XK_ISO_Left_Tab: return session_.key(DialogKey::back_tab);
        case XK_space: return session_.key(DialogKey::space);
        case XK_Return:
        case XK_KP_Enter: return session_.key(DialogKey::enter);
        case XK_Escape: return session_.key(DialogKey::escape);
        case XK_Up: return session_.key(DialogKey::up);
        case XK_Down: return session_.key(DialogKey::down);
        case XK_BackSpace: return session_.key(DialogKey::backspace);
        default: break;
    }
    for (int i = 0; i < length; ++i) session_.key(DialogKey::character, text[i]);
    return DialogSession::going_on;
}

int X11Dialog::on_click(int x, int y) {
    for (int i = 0; i < dialog_.count; ++i) {
        Rect r = rect_of(i);
        if (r.contains(x, y)) return session_.click(i, (y - r.y - 2) / char_height_);
    }
    return DialogSession::going_on;
}

int X11Dialog::run() {
    auto deadline = Clock::now() + std::chrono::milliseconds(dialog_.timeout_ms);
    const int descriptor = ConnectionNumber(display_);
    BreakWatch breaks;
    for (;;) {
        while (!g_lost && !XPending(display_)) {
            if (breaks.requested()) return dialog_broken;
            fd_set ready;
            FD_ZERO(&ready);
            FD_SET(descriptor, &ready);
            timeval wait{0, 50000};
            select(descriptor + 1, &ready, nullptr, nullptr, &wait);
            if (dialog_.timeout_ms > 0 && Clock::now() >= deadline) return dialog_.default_button;
        }
        if (g_lost) return -2;
        XEvent event;
        XNextEvent(display_, &event);
        int outcome = DialogSession::going_on;
        switch (event.type) {
            case Expose:
                if (event.xexpose.count == 0) draw();
                continue;
            case MapNotify: XSetInputFocus(display_, window_, RevertToParent, CurrentTime); continue;
            case KeyPress: outcome = on_key(event.xkey); break;
            case ButtonPress:
                if (event.xbutton.button != Button1) continue;
                outcome = on_click(event.xbutton.x, event.xbutton.y);
                break;
            case ClientMessage:
                if (Atom(event.xclient.data.l[0]) == delete_window_) return DialogSession::cancelled;
                continue;
            default: continue;
        }
        if (outcome != DialogSession::going_on) return outcome;
        draw();
    }
}

class Connection {
public:
    Connection() : previous_(XSetErrorHandler(ignore_errors)), previous_io_(XSetIOErrorHandler(server_lost)) {
        g_lost = false;
        display = XOpenDisplay(nullptr);
#if QSL_HAVE_IO_ERROR_EXIT
        if (display) XSetIOErrorExitHandler(display, stay, nullptr);
#endif
    }
    ~Connection() {
        if (display && !g_lost) XCloseDisplay(display);
        XSetIOErrorHandler(previous_io_);
        XSetErrorHandler(previous_);
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    Display* display = nullptr;

private:
    XErrorHandler previous_;
    XIOErrorHandler previous_io_;
};

}  // namespace

bool x11_dialogs_available() {
    if (qv::get_env_or("DISPLAY", "").empty()) return false;
    Connection connection;
    return connection.display != nullptr;
}

int show_x11_dialog(void*, QslDialog* dialog) {
    if (!dialog) return -2;
    Connection connection;
    if (!connection.display) return -2;
    X11Dialog window(connection.display, *dialog);
    if (!window.create()) return -2;
    return window.run();
}

}  // namespace qsl

#else  // built without Xlib: no X11 dialogs

namespace qsl {

bool x11_dialogs_available() { return false; }
int show_x11_dialog(void*, QslDialog*) { return -2; }

}  // namespace qsl

#endif
