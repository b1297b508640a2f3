// The headless window list: no window exists but those a host registers
// (QslRegisterWindow). The operations change the list's own record of each
// window (state, place, the active one); a closed window leaves the list.
// It takes no keys or mouse input.
#include "scriptlib/window_system.h"

#include <algorithm>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

namespace qsl {
namespace {

struct HeadlessWindow {
    QslHandle handle = 0, parent = 0;
    std::string title, class_name;
    int state = QSL_WINDOW_NORMAL;
    Rect rect{0, 0, 640, 480}, normal{0, 0, 640, 480};
};

constexpr ScreenSize headless_screen{1024, 768};

std::mutex g_mutex;
std::vector<HeadlessWindow> g_windows;  // topmost first
QslHandle g_active = 0;

HeadlessWindow* find(QslHandle handle) {
    auto it = std::find_if(g_windows.begin(), g_windows.end(), [&](const HeadlessWindow& w) { return w.handle == handle; });
    return it == g_windows.end() ? nullptr : &*it;
}

int list(void*, QslHandle parent, QslHandle* out, int capacity) {
    std::lock_guard<std::mutex> guard(g_mutex);
    int count = 0;
    for (const HeadlessWindow& w : g_windows) {
        if (w.parent != parent) continue;
        if (count < capacity) out[count] = w.handle;
        ++count;
    }
    return count;
}

int exists(void*, QslHandle window) {
    std::lock_guard<std::mutex> guard(g_mutex);
    return find(window) != nullptr;
}

QslHandle parent(void*, QslHandle window) {
    std::lock_guard<std::mutex> guard(g_mutex);
    HeadlessWindow* w = find(window);
    return w ? w->parent : 0;
}

int text(void*, QslHandle window, int kind, char* out, size_t size) {
    std::lock_guard<std::mutex> guard(g_mutex);
    HeadlessWindow* w = find(window);
    if (!w || size == 0 || (kind != QSL_WINDOW_TITLE && kind != QSL_WINDOW_CLASS)) return 0;
    std::snprintf(out, size, "%s", (kind == QSL_WINDOW_CLASS ? w->class_name : w->title).c_str());
    return 1;
}

int set_title(void*, QslHandle window, const char* title) {
    std::lock_guard<std::mutex> guard(g_mutex);
    HeadlessWindow* w = find(window);
    if (!w) return 0;
    w->title = title;
    return 1;
}

QslHandle active(void*) {
    std::lock_guard<std::mutex> guard(g_mutex);
    return find(g_active) ? g_active : 0;
}

int state(void*, QslHandle window) {
    std::lock_guard<std::mutex> guard(g_mutex);
    HeadlessWindow* w = find(window);
    return w ? w->state : 0;
}

void bring_to_top(QslHandle window) {
    auto it = std::find_if(g_windows.begin(), g_windows.end(), [&](const HeadlessWindow& w) { return w.handle == window; });
    std::rotate(g_windows.begin(), it, it + 1);
}

int act(void*, QslHandle window, int action) {
    std::lock_guard<std::mutex> guard(g_mutex);
    HeadlessWindow* w = find(window);
    if (!w) return 0;
    switch (action) {
        case QSL_WINDOW_ACTIVATE:
            if (w->state != QSL_WINDOW_ZOOMED) w->state = QSL_WINDOW_NORMAL;
            g_active = window;
            bring_to_top(window);
            return 1;
        case QSL_WINDOW_CLOSE:
            g_windows.erase(g_windows.begin() + (w - g_windows.data()));
            return 1;
        case QSL_WINDOW_ICONIZE: w->state = QSL_WINDOW_ICONIC; return 1;
        case QSL_WINDOW_HIDE: w->state = QSL_WINDOW_HIDDEN; return 1;
        case QSL_WINDOW_ZOOM:
            if (w->state != QSL_WINDOW_ZOOMED) w->normal = w->rect;
            w->state = QSL_WINDOW_ZOOMED;
            w->rect = Rect{0, 0, headless_screen.width, headless_screen.height};
            return 1;
        case QSL_WINDOW_SHOW:
            if (w->state == QSL_WINDOW_ZOOMED) w->rect = w->normal;
            w->state = QSL_WINDOW_NORMAL;
            return 1;
    }
    return 0;
}

int get_rect(void*, QslHandle window, int rect[4]) {
    std::lock_guard<std::mutex> guard(g_mutex);
    HeadlessWindow* w = find(window);
    if (!w) return 0;
    rect[0] = w->rect.left, rect[1] = w->rect.top, rect[2] = w->rect.right, rect[3] = w->rect.bottom;
    return 1;
}

int set_rect(void*, QslHandle window, const int rect[4]) {
    std::lock_guard<std::mutex> guard(g_mutex);
    HeadlessWindow* w = find(window);
    if (!w) return 0;
    w->rect = w->normal = Rect{rect[0], rect[1], rect[2], rect[3]};
    if (w->state == QSL_WINDOW_ZOOMED) w->state = QSL_WINDOW_NORMAL;
    return 1;
}

int screen_size(void*, int size[2]) {
    size[0] = headless_screen.width;
    size[1] = headless_screen.height;
    return 1;
}

const QslWindowInterface g_interface = [] {
    QslWindowInterface api{};
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
    return api;
}();

}  // namespace

const QslWindowInterface& headless_window_interface() { return g_interface; }

}  // namespace qsl

extern "C" {

QSL_API void QslRegisterWindow(QslHandle window, QslHandle parent, const char* title, const char* class_name) {
    if (!window) return;
    std::lock_guard<std::mutex> guard(qsl::g_mutex);
    qsl::HeadlessWindow* known = qsl::find(window);
    if (!known) {
        qsl::g_windows.insert(qsl::g_windows.begin(), qsl::HeadlessWindow{});
        known = &qsl::g_windows.front();
        known->handle = window;
    }
    known->parent = parent;
    known->title = title ? title : "";
    known->class_name = class_name ? class_name : "";
}

QSL_API void QslUnregisterWindow(QslHandle window) {
    std::lock_guard<std::mutex> guard(qsl::g_mutex);
    if (qsl::HeadlessWindow* w = qsl::find(window)) qsl::g_windows.erase(qsl::g_windows.begin() + (w - qsl::g_windows.data()));
}

}  // extern "C"
