// The window functions: a window is named by a title pattern, an identifier
// or "" for the host's own window (window_names.h), and reached through
// the window system in force (window_system.h). Positions are in units of
// a 1000 x 1000 virtual screen.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <strings.h>
#include <unistd.h>

#include "scriptlib/errors.h"
#include "scriptlib/families.h"
#include "scriptlib/run_loop.h"
#include "scriptlib/script_files.h"
#include "scriptlib/window_names.h"

namespace qsl {
namespace {

// The placement constants of winplace.
constexpr int no_resize = 0;     // @noresize as the right or bottom edge
constexpr int above_icons = 1;   // @aboveicons as the bottom edge
constexpr int place_icon = 1;    // @icon
constexpr int place_normal = 2;  // @normal
constexpr int place_zoomed = 3;  // @zoomed
constexpr int64_t wait_poll_ms = 250;

QslHandle target(Call& call, const Windows& windows, int argument, int not_found) {
    std::string name = call.text(argument);
    QslHandle window = find_window(call.c, windows, name);
    if (!window) fail_because(call.c, not_found, name.empty() ? "the host has no window" : "no window is named \"" + name + "\"");
    return window;
}

void act_on(Call& call, int action, int not_found) {
    Windows windows = qsl::windows();
    QslHandle window = target(call, windows, 0, not_found);
    windows.act(window, action);
    call.out.set_int(1);
}

void win_activate(Call& call) { act_on(call, QSL_WINDOW_ACTIVATE, errors::win_activate_not_found); }
void win_hide(Call& call) { act_on(call, QSL_WINDOW_HIDE, errors::win_hide_not_found); }
void win_iconize(Call& call) { act_on(call, QSL_WINDOW_ICONIZE, errors::win_iconize_not_found); }
void win_zoom(Call& call) { act_on(call, QSL_WINDOW_ZOOM, errors::win_zoom_not_found); }
void win_show(Call& call) { act_on(call, QSL_WINDOW_SHOW, errors::win_show_not_found); }

// The host's own window is never closed by its script.
void win_close(Call& call) {
    Windows windows = qsl::windows();
    QslHandle window = target(call, windows, 0, errors::win_close_not_found);
    bool own = window == call.c.in->parent || window == call.c.in->window;
    if (!own) windows.act(window, QSL_WINDOW_CLOSE);
    call.out.set_int(own ? 0 : 1);
}

std::string virtual_rect(const Windows& windows, const Rect& r, const char* separator) {
    ScreenSize screen = windows.screen();
    std::ostringstream text;
    text << to_virtual(r.left, screen.width) << separator << to_virtual(r.top, screen.height) << separator
         << to_virtual(r.right, screen.width) << separator << to_virtual(r.bottom, screen.height);
    return text.str();
}

Rect pixel_rect(const Windows& windows, const Rect& units) {
    ScreenSize screen = windows.screen();
    return Rect{to_pixels(units.left, screen.width), to_pixels(units.top, screen.height),
                to_pixels(units.right, screen.width), to_pixels(units.bottom, screen.height)};
}

void win_place(Call& call) {
    Windows windows = qsl::windows();
    QslHandle window = target(call, windows, 4, errors::win_place_not_found);
    Rect units{call.integer(0), call.integer(1), call.integer(2), call.integer(3)};
    Rect now = windows.rect(window).value_or(Rect{});
    ScreenSize screen = windows.screen();
    Rect place = pixel_rect(windows, units);
    if (units.right == no_resize) place.right = place.left + now.width();
    if (units.bottom == no_resize) place.bottom = place.top + now.height();
    if (units.bottom == above_icons) place.bottom = screen.height;
    windows.place(window, place);
    call.out.set_int(1);
}

void win_position(Call& call) {
    Windows windows = qsl::windows();
    QslHandle window = target(call, windows, 0, errors::win_position_not_found);
    call.out.set_string(virtual_rect(windows, windows.rect(window).value_or(Rect{}), ","));
}

int place_type(Call& call, int argument) {
    int type = call.integer(argument);
    if (type != place_icon && type != place_normal && type != place_zoomed) fail(errors::win_place_bad_type);
    return type;
}

std::string placement(const Windows& windows, QslHandle window, int type) {
    if (type == place_zoomed) return "0 0 1000 1000";
    if (type == place_icon) return "0 0 0 0";
    return virtual_rect(windows, windows.rect(window).value_or(Rect{}), " ");
}

void win_place_get(Call& call) {
    int type = place_type(call, 0);
    Windows windows = qsl::windows();
    QslHandle window = target(call, windows, 1, errors::win_place_get_set_not_found);
    call.out.set_string(placement(windows, window, type));
}

// winplaceset(type, window, "left top right bottom"): the previous placement.
void win_place_set(Call& call) {
    int type = place_type(call, 0);
    Rect units;
    char rest = 0;
    std::string position = call.text(2);
    if (std::sscanf(position.c_str(), "%d %d %d %d %c", &units.left, &units.top, &units.right, &units.bottom, &rest) != 4)
        fail(errors::win_place_set_bad_position);
    Windows windows = qsl::windows();
    QslHandle window = target(call, windows, 1, errors::win_place_get_set_not_found);
    std::string previous = placement(windows, window, type);
    bool done = type == place_icon   ? windows.act(window, QSL_WINDOW_ICONIZE)
                : type == place_zoomed ? windows.act(window, QSL_WINDOW_ZOOM)
                                       : windows.place(window, pixel_rect(windows, units));
    if (!done) fail_because(call.c, errors::win_place_get_set_failed, "the window system refused the placement");
    call.out.set_string(previous);
}

void win_state(Call& call) {
    Windows windows = qsl::windows();
    QslHandle window = find_window(call.c, windows, call.view(0));
    call.out.set_int(window ? windows.state(window) : 0);
}

void win_exist(Call& call) {
    Windows windows = qsl::windows();
    call.out.set_int(find_window(call.c, windows, call.view(0), 0, Retry::no) != 0);
}

void win_exist_child(Call& call) {
    Windows windows = qsl::windows();
    QslHandle parent = find_window(call.c, windows, call.view(0), 0, Retry::no);
    call.out.set_int(parent && find_window(call.c, windows, call.view(1), parent, Retry::no) != 0);
}

void win_id_get(Call& call) {
    Windows windows = qsl::windows();
    call.out.set_string(window_identifier(target(call, windows, 0, errors::win_id_get_not_found)));
}

void win_title(Call& call) {
    Windows windows = qsl::windows();
    QslHandle window = target(call, windows, 0, errors::win_title_not_found);
    windows.set_title(window, call.text(1));
    call.out.set_int(1);
}

void win_exe_name(Call& call) {
    Windows windows = qsl::windows();
    call.out.set_string(windows.text(target(call, windows, 0, errors::win_exe_name_not_found), QSL_WINDOW_PROGRAM));
}

// Linux has no DOS boxes; the nearest are the windows of DOS emulators.
void win_is_dos(Call& call) {
    Windows windows = qsl::windows();
    std::string window_class = windows.text(target(call, windows, 0, errors::win_is_dos_not_found), QSL_WINDOW_CLASS);
    for (char& ch : window_class) ch = char(std::tolower(static_cast<unsigned char>(ch)));
    call.out.set_int(window_class.find("dosbox") != std::string::npos || window_class.find("dosemu") != std::string::npos);
}

void win_get_active(Call& call) {
    Windows windows = qsl::windows();
    QslHandle window = windows.active();
    call.out.set_string(window ? windows.title(window) : "");
}

void win_name(Call& call) {
    Windows windows = qsl::windows();
    QslHandle host = call.c.in->parent;
    call.out.set_string(windows.exists(host) ? windows.title(host) : "");
}

std::string joined(const std::vector<std::string>& items, char delimiter) {
    std::string text;
    for (const std::string& item : items) {
        if (!text.empty()) text += delimiter;
        text += item;
    }
    return text;
}

// The titles of the titled windows among `candidates` (hidden ones only on request).
std::vector<std::string> titles(const Windows& windows, const std::vector<QslHandle>& candidates, bool hidden,
                                std::string_view pattern = "") {
    std::vector<std::string> result;
    for (QslHandle window : candidates) {
        std::string title = windows.title(window);
        if (title.empty() || (!hidden && windows.state(window) == QSL_WINDOW_HIDDEN)) continue;
        if (!pattern.empty() && !title_matches(title, pattern)) continue;
        result.push_back(title);
    }
    return result;
}

void win_itemize(Call& call) {
    Windows windows = qsl::windows();
    call.out.set_string(joined(titles(windows, windows.list(), false), call.c.in->list_delimiter));
}

void win_itemize_ex(Call& call) {
    int multiple = call.integer(1), hidden = call.integer(2);
    if (multiple != 0 && multiple != 1) fail(errors::win_itemize_ex_bad_multiple);
    if (hidden != 0 && hidden != 1) fail(errors::win_itemize_ex_bad_hidden);
    Windows windows = qsl::windows();
    std::vector<std::string> found = titles(windows, windows.list(), hidden != 0, call.view(0));
    if (!multiple && found.size() > 1) found.resize(1);
    call.out.set_string(joined(found, call.c.in->list_delimiter));
}

void win_item_child(Call& call) {
    Windows windows = qsl::windows();
    QslHandle parent = target(call, windows, 0, errors::win_item_child_not_found);
    call.out.set_string(joined(titles(windows, windows.list(parent), false), call.c.in->list_delimiter));
}

// "title|identifier|title|identifier..." of the visible titled windows.
void win_item_name_id(Call& call) {
    Windows windows = qsl::windows();
    std::vector<std::string> items;
    for (QslHandle window : windows.list()) {
        std::string title = windows.title(window);
        if (title.empty() || windows.state(window) == QSL_WINDOW_HIDDEN) continue;
        items.push_back(title);
        items.push_back(window_identifier(window));
    }
    call.out.set_string(joined(items, '|'));
}

// winitemprocid(process id, 1 = with hidden windows, 1 = identifiers instead of titles).
void win_item_proc_id(Call& call) {
    int process = call.integer(0), flags = call.integer(1), format = call.integer(2);
    if (process <= 0) fail(errors::win_item_proc_id_bad_id);
    if (flags != 0 && flags != 1) fail(errors::win_item_proc_id_bad_flags);
    if (format != 0 && format != 1) fail(errors::win_item_proc_id_bad_format);
    Windows windows = qsl::windows();
    std::vector<std::string> items;
    for (QslHandle window : windows.list()) {
        if (windows.text(window, QSL_WINDOW_PROCESS) != std::to_string(process)) continue;
        if (!flags && windows.state(window) == QSL_WINDOW_HIDDEN) continue;
        items.push_back(format ? window_identifier(window) : windows.title(window));
    }
    call.out.set_string(joined(items, call.c.in->list_delimiter));
}

// Waits until the window is there (timeout in seconds; negative: no end).
void win_wait_exist(Call& call) {
    std::string name = call.text(0);
    int seconds = call.integer(1);
    for (int64_t waited = 0;; waited += wait_poll_ms) {
        if (find_window(call.c, qsl::windows(), name, 0, Retry::no)) return call.out.set_int(1);
        if ((seconds >= 0 && waited >= int64_t(seconds) * 1000) || call.c.in->terminate_requested) return call.out.set_int(0);
        wait_for(call.c, wait_poll_ms);
    }
}

// Waits until no window matches: 1 when one had to close, 0 when none was there.
void win_wait_close(Call& call) {
    std::string name = call.text(0);
    bool waited = false;
    while (find_window(call.c, qsl::windows(), name, 0, Retry::no) && !call.c.in->terminate_requested) {
        waited = true;
        wait_for(call.c, wait_poll_ms);
    }
    call.out.set_int(waited);
}

void win_wait_child(Call& call) {
    std::string parent_name = call.text(0), child_name = call.text(1);
    int seconds = call.integer(2);
    for (int64_t waited = 0;; waited += wait_poll_ms) {
        Windows windows = qsl::windows();
        QslHandle parent = find_window(call.c, windows, parent_name, 0, Retry::no);
        if (parent && find_window(call.c, windows, child_name, parent, Retry::no)) return call.out.set_int(1);
        if ((seconds >= 0 && waited >= int64_t(seconds) * 1000) || call.c.in->terminate_requested) return call.out.set_int(0);
        wait_for(call.c, wait_poll_ms);
    }
}

void win_activ_child(Call& call) {
    Windows windows = qsl::windows();
    std::string parent_name = call.text(0), child_name = call.text(1);
    QslHandle parent = find_window(call.c, windows, parent_name);
    if (!parent) fail_because(call.c, errors::activate_child_not_found, "no window is named \"" + parent_name + "\"");
    QslHandle child = find_window(call.c, windows, child_name, parent);
    if (!child) fail_because(call.c, errors::activate_child_not_found, "\"" + parent_name + "\" has no child \"" + child_name + "\"");
    windows.act(parent, QSL_WINDOW_ACTIVATE);
    windows.act(child, QSL_WINDOW_ACTIVATE);
    call.out.set_int(1);
}

// The windows a script arranges: visible, normal or zoomed, not the host's.
std::vector<QslHandle> arrangeable(Call& call, const Windows& windows) {
    std::vector<QslHandle> result;
    for (QslHandle window : windows.list()) {
        int state = windows.state(window);
        if (window != call.c.in->parent && !windows.title(window).empty() &&
            (state == QSL_WINDOW_NORMAL || state == QSL_WINDOW_ZOOMED))
            result.push_back(window);
    }
    return result;
}

// winarrange(@stack | @tile | @arrange | @rows | @columns).
void win_arrange(Call& call) {
    constexpr int stack = 1, rows = 3, columns = 4;
    int style = std::atoi(call.text(0).c_str());
    Windows windows = qsl::windows();
    std::vector<QslHandle> list = arrangeable(call, windows);
    ScreenSize screen = windows.screen();
    int n = int(list.size());
    int across = style == rows ? 1 : style == columns ? n : 1;
    while (style != rows && style != columns && across * across < n) ++across;
    int down = n ? (n + across - 1) / across : 1;
    for (int i = 0; i < n; ++i) {
        Rect r;
        if (style == stack) {
            int step = 30 * i;
            r = Rect{step, step, step + screen.width * 2 / 3, step + screen.height * 2 / 3};
        } else {
            int column = i % across, row = i / across;
            r = Rect{screen.width * column / across, screen.height * row / down, screen.width * (column + 1) / across,
                     screen.height * (row + 1) / down};
        }
        windows.place(list[size_t(n - 1 - i)], r);
    }
    call.out.set_int(1);
}

// winclosenot(name, ...): closes every visible titled window but those named
// and the host's own.
void win_close_not(Call& call) {
    std::vector<Value> args;
    read_any_arguments(call.c, args);
    std::vector<std::string> kept;
    for (Value& arg : args) kept.push_back(arg.text());
    Windows windows = qsl::windows();
    for (QslHandle window : arrangeable(call, windows)) {
        std::string title = windows.title(window);
        bool keep = std::any_of(kept.begin(), kept.end(), [&](const std::string& name) {
            auto id = parse_window_identifier(name);
            return id ? *id == window : title_matches(title, name);
        });
        if (!keep) windows.act(window, QSL_WINDOW_CLOSE);
    }
    call.out.set_int(1);
}

void find_window_of_class(Call& call) {
    Windows windows = qsl::windows();
    std::string wanted = call.text(0);
    for (QslHandle window : windows.list()) {
        if (strcasecmp(windows.text(window, QSL_WINDOW_CLASS).c_str(), wanted.c_str()) == 0)
            return call.out.set_string(windows.title(window));
    }
    call.out.set_string("");
}

void win_config(Call& call) { call.out.set_int(0); }

void win_help(Call& call) {
    fail_because(call.c, errors::win_help_failed, "Linux has no viewer for this kind of help file");
}

// winmetrics(0) is the screen's width, winmetrics(1) its height, in pixels.
void win_metrics(Call& call) {
    int request = call.integer(0);
    if (request != 0 && request != 1) fail_because(call.c, errors::win_metrics_bad_request, "only 0 (width) and 1 (height) are known");
    ScreenSize screen = windows().screen();
    call.out.set_int(request == 0 ? screen.width : screen.height);
}

// winresources(0) is the free memory in KiB; 1 to 4 (the old fixed resource
// pools) are always 100 percent free here.
void win_resources(Call& call) {
    int request = call.integer(0);
    if (request < 0 || request > 4) fail(errors::win_resources_bad_request);
    if (request > 0) return call.out.set_int(100);
    int64_t kib = int64_t(sysconf(_SC_AVPHYS_PAGES)) * (sysconf(_SC_PAGESIZE) / 1024);
    call.out.set_int(int32_t(std::min<int64_t>(kib, INT32_MAX)));
}

// Parameter 1 is the title of the host's window.
void win_parm_get(Call& call) {
    if (call.integer(0) != 1) fail(errors::win_parm_bad_parameter);
    win_name(call);
}

void win_parm_set(Call& call) {
    if (call.integer(0) != 1) fail(errors::win_parm_bad_parameter);
    Windows windows = qsl::windows();
    QslHandle host = call.c.in->parent;
    std::string previous = windows.exists(host) ? windows.title(host) : "";
    if (windows.exists(host)) windows.set_title(host, call.text(1));
    call.out.set_string(previous);
}

// "width,height" of the screen in pixels.
void win_sys_info(Call& call) {
    ScreenSize screen = windows().screen();
    call.out.set_string(std::to_string(screen.width) + "," + std::to_string(screen.height));
}

const Builtin functions[] = {
    {"findwindow", find_window_of_class}, {"winactivate", win_activate},       {"winactivchild", win_activ_child},
    {"winarrange", win_arrange},          {"winclose", win_close},             {"winclosenot", win_close_not},
    {"winconfig", win_config},            {"winexename", win_exe_name},        {"winexist", win_exist},
    {"winexistchild", win_exist_child},   {"wingetactive", win_get_active},    {"winhelp", win_help},
    {"winhide", win_hide},                {"winiconize", win_iconize},         {"winidget", win_id_get},
    {"winisdos", win_is_dos},             {"winitemchild", win_item_child},    {"winitemize", win_itemize},
    {"winitemizeex", win_itemize_ex},     {"winitemnameid", win_item_name_id}, {"winitemprocid", win_item_proc_id},
    {"winmetrics", win_metrics},          {"winname", win_name},               {"winparmget", win_parm_get},
    {"winparmset", win_parm_set},         {"winplace", win_place},             {"winplaceget", win_place_get},
    {"winplaceset", win_place_set},       {"winposition", win_position},       {"winresources", win_resources},
    {"winshow", win_show},                {"winstate", win_state},             {"winsysinfo", win_sys_info},
    {"wintitle", win_title},              {"winwaitchild", win_wait_child},    {"winwaitclose", win_wait_close},
    {"winwaitexist", win_wait_exist},     {"winzoom", win_zoom},
};

[[maybe_unused]] const bool registered = register_family(functions);

}  // namespace
}  // namespace qsl
