// The window system a script's window, key and mouse functions reach: the
// host's window interface when it installed one, else the X server of
// $DISPLAY, else the headless list of the windows a host registered.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "scriptlib/include/qsleng32.h"

namespace qsl {

struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
};

struct ScreenSize {
    int width = 0, height = 0;
};

class Windows {
public:
    Windows(const QslWindowInterface& api, std::string no_input) : api_(api), no_input_(std::move(no_input)) {}

    // Top-level windows (parent 0) or a window's children, topmost first.
    std::vector<QslHandle> list(QslHandle parent = 0) const;
    bool exists(QslHandle window) const;
    QslHandle parent(QslHandle window) const;
    std::string text(QslHandle window, int kind) const;
    std::string title(QslHandle window) const { return text(window, QSL_WINDOW_TITLE); }
    bool set_title(QslHandle window, const std::string& title) const;
    QslHandle active() const;
    int state(QslHandle window) const;
    bool act(QslHandle window, int action) const;
    std::optional<Rect> rect(QslHandle window) const;
    bool place(QslHandle window, const Rect& rect) const;
    ScreenSize screen() const;

    // Synthetic input: an empty text when done, else the reason it was not.
    std::string send_key(QslHandle window, const std::string& key, unsigned modifiers) const;
    std::string move_pointer(int x, int y) const;
    std::string press_button(int button, bool down) const;
    bool pointer(int& x, int& y, unsigned& buttons) const;

private:
    QslWindowInterface api_;
    std::string no_input_;  // why the window system takes no synthetic input
};

// Scripts give positions in units of a virtual screen 1000 wide and 1000
// high, whatever the screen's size in pixels.
constexpr int virtual_extent = 1000;
int to_virtual(int pixels, int extent);
int to_pixels(int units, int extent);

// The window system in force now.
Windows windows();

// The headless list (headless_windows.cpp).
const QslWindowInterface& headless_window_interface();

}  // namespace qsl
