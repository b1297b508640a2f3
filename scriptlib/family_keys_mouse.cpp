// Keys and the mouse: synthetic input through the window system (XTest on
// an X server). Where the window system takes none, each function fails
// with its error number and says why. Mouse positions are in units of a
// 1000 x 1000 virtual screen, or of the window named.
#include <string>
#include <vector>

#include "scriptlib/errors.h"
#include "scriptlib/families.h"
#include "scriptlib/key_strokes.h"
#include "scriptlib/script_files.h"
#include "scriptlib/window_names.h"

namespace qsl {
namespace {

// The click and button constants of the language.
constexpr int left_click = 513, left_double = 515, right_click = 516, right_double = 518, middle_click = 519,
              middle_double = 521;
constexpr int left_button = 4, right_button = 8, middle_button = 16;

void type_keys(Call& call, const Windows& windows, QslHandle window, const std::string& keys) {
    std::vector<KeyStroke> strokes;
    std::string reason;
    if (!parse_key_strokes(keys, strokes, reason)) fail_because(call.c, errors::send_key_failed, reason);
    for (const KeyStroke& stroke : strokes) {
        reason = windows.send_key(window, stroke.key, stroke.modifiers);
        if (!reason.empty()) fail_because(call.c, errors::send_key_failed, reason);
    }
    call.out.set_int(1);
}

void send_key(Call& call) {
    Windows windows = qsl::windows();
    type_keys(call, windows, windows.active(), call.text(0));
}

QslHandle key_target(Call& call, const Windows& windows, const std::string& name, QslHandle parent = 0) {
    QslHandle window = find_window(call.c, windows, name, parent);
    if (!window) fail_because(call.c, errors::send_key_failed, "no window is named \"" + name + "\"");
    windows.act(window, QSL_WINDOW_ACTIVATE);
    return window;
}

void send_keys_to(Call& call) {
    Windows windows = qsl::windows();
    QslHandle window = key_target(call, windows, call.text(0));
    type_keys(call, windows, window, call.text(1));
}

void send_keys_child(Call& call) {
    Windows windows = qsl::windows();
    QslHandle parent = key_target(call, windows, call.text(0));
    QslHandle child = key_target(call, windows, call.text(1), parent);
    type_keys(call, windows, child, call.text(2));
}

void send_menus_to(Call& call) {
    Windows windows = qsl::windows();
    std::string name = call.text(0);
    if (!find_window(call.c, windows, name)) fail_because(call.c, errors::send_menus_to_not_found, "no window is named \"" + name + "\"");
    fail_because(call.c, errors::send_menus_to_no_menu, "the menus of an X11 program cannot be reached by another program");
}

// The rectangle in pixels that positions are relative to: the window named
// (a child of the parent when a child is named), else the screen.
Rect frame(Call& call, const Windows& windows, int parent_argument, int not_found, int child_not_found) {
    std::string parent_name = call.text(parent_argument), child_name = call.text(parent_argument + 1);
    ScreenSize screen = windows.screen();
    if (parent_name.empty() && child_name.empty()) return Rect{0, 0, screen.width, screen.height};
    QslHandle window = find_window(call.c, windows, parent_name);
    if (!window) fail_because(call.c, not_found, "no window is named \"" + parent_name + "\"");
    if (!child_name.empty()) {
        window = find_window(call.c, windows, child_name, window);
        if (!window) fail_because(call.c, child_not_found, "\"" + parent_name + "\" has no child \"" + child_name + "\"");
    }
    return windows.rect(window).value_or(Rect{});
}

void move_to(Call& call, const Windows& windows, const Rect& within, int x, int y) {
    if (x < 0 || x > virtual_extent || y < 0 || y > virtual_extent) fail(errors::mouse_bad_coordinates);
    std::string reason = windows.move_pointer(within.left + to_pixels(x, within.width()), within.top + to_pixels(y, within.height()));
    if (!reason.empty()) fail_because(call.c, errors::mouse_input_failed, reason);
}

void press(Call& call, const Windows& windows, int button, bool down) {
    std::string reason = windows.press_button(button, down);
    if (!reason.empty()) fail_because(call.c, errors::mouse_input_failed, reason);
}

// mousemove(x, y, parent, child).
void mouse_move(Call& call) {
    Windows windows = qsl::windows();
    Rect within = frame(call, windows, 2, errors::mouse_window_not_found, errors::mouse_child_not_found);
    move_to(call, windows, within, call.integer(0), call.integer(1));
    call.out.set_int(1);
}

// mouseclick(click, modifiers): @lclick, @ldblclick, @rclick, ... at the pointer.
void mouse_click(Call& call) {
    int click = call.integer(0);
    int button = click == left_click || click == left_double       ? QSL_BUTTON_LEFT
                 : click == right_click || click == right_double   ? QSL_BUTTON_RIGHT
                 : click == middle_click || click == middle_double ? QSL_BUTTON_MIDDLE
                                                                   : 0;
    if (!button) fail(errors::mouse_bad_click);
    if (call.integer(1) != 0)
        fail_because(call.c, errors::mouse_bad_click, "holding Ctrl or Shift during a click is not supported");
    Windows windows = qsl::windows();
    int clicks = click == left_double || click == right_double || click == middle_double ? 2 : 1;
    for (int i = 0; i < clicks; ++i) {
        press(call, windows, button, true);
        press(call, windows, button, false);
    }
    call.out.set_int(1);
}

int button_of(int constant) {
    return constant == left_button    ? QSL_BUTTON_LEFT
           : constant == right_button ? QSL_BUTTON_RIGHT
           : constant == middle_button ? QSL_BUTTON_MIDDLE
                                       : 0;
}

// mousedrag(x, y, parent, child, button): holds the button (@lbutton,
// @rbutton, @mbutton) from the pointer's place to x, y.
void mouse_drag(Call& call) {
    int button = button_of(call.integer(4));
    if (!button) fail(errors::mouse_bad_click);
    Windows windows = qsl::windows();
    Rect within = frame(call, windows, 2, errors::mouse_window_not_found, errors::mouse_child_not_found);
    press(call, windows, button, true);
    move_to(call, windows, within, call.integer(0), call.integer(1));
    press(call, windows, button, false);
    call.out.set_int(1);
}

void mouse_click_btn(Call& call) {
    Windows windows = qsl::windows();
    frame(call, windows, 0, errors::mouse_window_not_found, errors::mouse_child_not_found);
    fail_because(call.c, errors::mouse_click_btn_not_found, "the buttons inside an X11 window are not visible to other programs");
}

// mousecoords(parent, child): "left top right bottom" of the window in
// virtual screen units.
void mouse_coords(Call& call) {
    Windows windows = qsl::windows();
    Rect r = frame(call, windows, 0, errors::mouse_coords_not_found, errors::mouse_coords_not_found);
    ScreenSize screen = windows.screen();
    call.out.set_string(std::to_string(to_virtual(r.left, screen.width)) + " " + std::to_string(to_virtual(r.top, screen.height)) +
                        " " + std::to_string(to_virtual(r.right, screen.width)) + " " +
                        std::to_string(to_virtual(r.bottom, screen.height)));
}

// The topmost visible top-level window under a point, or 0.
QslHandle window_at(const Windows& windows, int x, int y) {
    for (QslHandle window : windows.list()) {
        int state = windows.state(window);
        if (state != QSL_WINDOW_NORMAL && state != QSL_WINDOW_ZOOMED) continue;
        auto r = windows.rect(window);
        if (r && x >= r->left && x < r->right && y >= r->top && y < r->bottom) return window;
    }
    return 0;
}

// mouseinfo(0): the title of the window under the pointer; 1 its identifier;
// 2 "x y" in virtual units; 3 "x y" in pixels; 4 the buttons held
// (@lbutton + @rbutton + @mbutton).
void mouse_info(Call& call) {
    int request = call.integer(0);
    if (request < 0 || request > 4) fail(errors::mouse_info_bad_request);
    Windows windows = qsl::windows();
    int x = 0, y = 0;
    unsigned buttons = 0;
    if (!windows.pointer(x, y, buttons)) fail_because(call.c, errors::mouse_input_failed, "the window system does not tell where the pointer is");
    ScreenSize screen = windows.screen();
    QslHandle under = request <= 1 ? window_at(windows, x, y) : 0;
    switch (request) {
        case 0: return call.out.set_string(under ? windows.title(under) : "");
        case 1: return call.out.set_string(under ? window_identifier(under) : "");
        case 2: return call.out.set_string(std::to_string(to_virtual(x, screen.width)) + " " + std::to_string(to_virtual(y, screen.height)));
        case 3: return call.out.set_string(std::to_string(x) + " " + std::to_string(y));
    }
    call.out.set_int(((buttons & QSL_BUTTON_LEFT) ? left_button : 0) | ((buttons & QSL_BUTTON_RIGHT) ? right_button : 0) |
                     ((buttons & QSL_BUTTON_MIDDLE) ? middle_button : 0));
}

// snapshot(0 to 5) copied the screen or a window to the clipboard as a picture.
void snapshot(Call& call) {
    int request = call.integer(0);
    if (request < 0 || request > 5) fail(errors::snapshot_bad_request);
    fail_because(call.c, errors::snapshot_failed, "the library's clipboard holds text only");
}

const Builtin functions[] = {
    {"mouseclick", mouse_click},   {"mouseclickbtn", mouse_click_btn}, {"mousecoords", mouse_coords},
    {"mousedrag", mouse_drag},     {"mouseinfo", mouse_info},          {"mousemove", mouse_move},
    {"sendkey", send_key},         {"sendkeyschild", send_keys_child}, {"sendkeysto", send_keys_to},
    {"sendmenusto", send_menus_to}, {"sendmenustoex", send_menus_to},  {"snapshot", snapshot},
};

[[maybe_unused]] const bool registered = register_family(functions);

}  // namespace
}  // namespace qsl
