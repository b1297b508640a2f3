// Chooses the window system for each call, so that a host's interface, a
// $DISPLAY set or cleared while the process runs, takes effect at once.
#include "scriptlib/window_system.h"

#include <algorithm>
#include <cstdint>
#include <mutex>

#include "common/platform/environment.h"
#include "scriptlib/x11_windows.h"

namespace qsl {
namespace {

std::mutex g_mutex;
bool g_host_installed = false;
QslWindowInterface g_host{};

// A host's interface with its missing members taken from the headless list
// (synthetic input stays missing: the headless list has none).
QslWindowInterface completed(const QslWindowInterface& host) {
    QslWindowInterface api = headless_window_interface();
    auto take = [](auto& target, auto source) {
        if (source) target = source;
    };
    take(api.list, host.list);
    take(api.exists, host.exists);
    take(api.parent, host.parent);
    take(api.text, host.text);
    take(api.set_title, host.set_title);
    take(api.active, host.active);
    take(api.state, host.state);
    take(api.act, host.act);
    take(api.get_rect, host.get_rect);
    take(api.set_rect, host.set_rect);
    take(api.screen_size, host.screen_size);
    api.send_key = host.send_key;
    api.pointer = host.pointer;
    api.move_pointer = host.move_pointer;
    api.press_button = host.press_button;
    api.user = host.user;
    return api;
}

}  // namespace

Windows windows() {
    {
        std::lock_guard<std::mutex> guard(g_mutex);
        if (g_host_installed) return Windows(g_host, "the host's window interface takes no keys or mouse input");
    }
    std::string display = qv::get_env_or("DISPLAY", "");
    if (display.empty()) return Windows(headless_window_interface(), "no window system ($DISPLAY is not set)");
    std::string reason;
    if (auto x11 = x11_window_interface(display, reason)) return Windows(*x11, reason);
    return Windows(headless_window_interface(), reason);
}

int to_virtual(int pixels, int extent) {
    return extent > 0 ? int((int64_t(pixels) * virtual_extent + extent / 2) / extent) : 0;
}

// Far beyond any screen, yet small enough that edges can be subtracted.
constexpr int64_t farthest_pixel = int64_t(1) << 24;

int to_pixels(int units, int extent) {
    int64_t pixels = (int64_t(units) * extent + virtual_extent / 2) / virtual_extent;
    return int(std::clamp(pixels, -farthest_pixel, farthest_pixel));
}

std::vector<QslHandle> Windows::list(QslHandle parent) const {
    std::vector<QslHandle> handles(64);
    for (;;) {
        int count = api_.list(api_.user, parent, handles.data(), int(handles.size()));
        if (count < 0) count = 0;
        if (size_t(count) <= handles.size()) {
            handles.resize(size_t(count));
            return handles;
        }
        handles.resize(size_t(count));
    }
}

bool Windows::exists(QslHandle window) const { return window && api_.exists(api_.user, window) != 0; }
QslHandle Windows::parent(QslHandle window) const { return api_.parent(api_.user, window); }

std::string Windows::text(QslHandle window, int kind) const {
    char buffer[1024] = {};
    if (!api_.text(api_.user, window, kind, buffer, sizeof buffer)) return "";
    buffer[sizeof buffer - 1] = '\0';
    return buffer;
}

bool Windows::set_title(QslHandle window, const std::string& title) const {
    return api_.set_title(api_.user, window, title.c_str()) != 0;
}

QslHandle Windows::active() const { return api_.active(api_.user); }
int Windows::state(QslHandle window) const { return api_.state(api_.user, window); }
bool Windows::act(QslHandle window, int action) const { return api_.act(api_.user, window, action) != 0; }

std::optional<Rect> Windows::rect(QslHandle window) const {
    int r[4] = {};
    if (!api_.get_rect(api_.user, window, r)) return std::nullopt;
    return Rect{r[0], r[1], r[2], r[3]};
}

bool Windows::place(QslHandle window, const Rect& rect) const {
    const int r[4] = {rect.left, rect.top, rect.right, rect.bottom};
    return api_.set_rect(api_.user, window, r) != 0;
}

ScreenSize Windows::screen() const {
    int size[2] = {0, 0};
    if (!api_.screen_size(api_.user, size) || size[0] <= 0 || size[1] <= 0) return ScreenSize{1024, 768};
    return ScreenSize{size[0], size[1]};
}

std::string Windows::send_key(QslHandle window, const std::string& key, unsigned modifiers) const {
    if (!api_.send_key) return no_input_;
    if (!api_.send_key(api_.user, window, key.c_str(), modifiers)) return "the window system did not take the key " + key;
    return "";
}

std::string Windows::move_pointer(int x, int y) const {
    if (!api_.move_pointer) return no_input_;
    return api_.move_pointer(api_.user, x, y) ? "" : "the window system did not move the pointer";
}

std::string Windows::press_button(int button, bool down) const {
    if (!api_.press_button) return no_input_;
    return api_.press_button(api_.user, button, down) ? "" : "the window system did not take the mouse button";
}

bool Windows::pointer(int& x, int& y, unsigned& buttons) const {
    if (!api_.pointer) return false;
    int position[2] = {0, 0};
    buttons = 0;
    if (!api_.pointer(api_.user, position, &buttons)) return false;
    x = position[0];
    y = position[1];
    return true;
}

}  // namespace qsl

extern "C" QSL_API void QslSetWindowInterface(const QslWindowInterface* windows) {
    std::lock_guard<std::mutex> guard(qsl::g_mutex);
    qsl::g_host_installed = windows != nullptr;
    qsl::g_host = windows ? qsl::completed(*windows) : QslWindowInterface{};
}
