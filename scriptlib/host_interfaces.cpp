// Headless defaults: a box is written to standard error as its title line
// and its text and answered with its default button; the registry is a text
// file ($QSL_REGISTRY, else ~/.config/qsleng32/registry.ini) of [key]
// sections and name=value lines; the clipboard lives in the process; sounds
// are silent; no window exists but those a host knows.
#include "scriptlib/host_interfaces.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace qsl {
namespace {

std::mutex g_mutex;
std::string g_clipboard;

int default_box(void*, const char* title, const char* text, int buttons) {
    std::fprintf(stderr, "%s\n%s\n", title, text);
    return buttons == QSL_MB_YESNO ? QSL_ID_YES : QSL_ID_OK;
}

int default_step(void*, const char* text, char*, size_t) {
    std::fprintf(stderr, "DEBUG\n%s\n", text);
    return QSL_STEP_NEXT;
}

std::string registry_path() {
    if (const char* path = std::getenv("QSL_REGISTRY"); path && *path) return path;
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : ".") + "/.config/qsleng32/registry.ini";
}

std::vector<std::string> read_lines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

bool same_text(const std::string& a, const std::string& b) {
    return a.size() == b.size() && strncasecmp(a.c_str(), b.c_str(), a.size()) == 0;
}

// Finds value_name within [key]; returns the line index or -1, and the
// index after the section (where a new value goes) in section_end.
int find_value(const std::vector<std::string>& lines, const std::string& key,
               const std::string& value_name, int& section_end) {
    section_end = -1;
    bool inside = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (!line.empty() && line[0] == '[') {
            if (inside) return -1;
            size_t close = line.rfind(']');
            inside = close != std::string::npos && same_text(line.substr(1, close - 1), key);
            if (inside) section_end = int(i) + 1;
            continue;
        }
        if (!inside) continue;
        section_end = int(i) + 1;
        size_t eq = line.find('=');
        if (eq != std::string::npos && same_text(line.substr(0, eq), value_name)) return int(i);
    }
    return -1;
}

int default_registry_read(void*, const char* key, const char* value_name, char* out, size_t size) {
    std::lock_guard<std::mutex> guard(g_mutex);
    auto lines = read_lines(registry_path());
    int end;
    int at = find_value(lines, key, value_name, end);
    if (at < 0 || size == 0) return 0;
    std::string value = lines[at].substr(lines[at].find('=') + 1);
    std::snprintf(out, size, "%s", value.c_str());
    return 1;
}

int default_registry_write(void*, const char* key, const char* value_name, const char* value) {
    std::lock_guard<std::mutex> guard(g_mutex);
    std::string path = registry_path();
    auto lines = read_lines(path);
    int end;
    int at = find_value(lines, key, value_name, end);
    std::string entry = std::string(value_name) + "=" + value;
    if (at >= 0) {
        lines[at] = entry;
    } else if (end >= 0) {
        lines.insert(lines.begin() + end, entry);
    } else {
        std::string section = "[";
        section += key;
        section += ']';
        lines.push_back(section);
        lines.push_back(entry);
    }
    // Create the folders on the way, then replace the file through a work file.
    for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1))
        mkdir(path.substr(0, slash).c_str(), 0755);
    std::string work = path + ".tmp";
    {
        std::ofstream out(work, std::ios::trunc);
        for (const auto& line : lines) out << line << '\n';
        if (!out.flush()) return 0;
    }
    return std::rename(work.c_str(), path.c_str()) == 0;
}

int default_clipboard_get(void*, char* out, size_t size) {
    std::lock_guard<std::mutex> guard(g_mutex);
    if (size) std::snprintf(out, size, "%s", g_clipboard.c_str());
    return 1;
}

int default_clipboard_put(void*, const char* text) {
    std::lock_guard<std::mutex> guard(g_mutex);
    g_clipboard = text;
    return 1;
}

void default_sound(void*, const char*) {}
int default_window_exists(void*, QslHandle) { return 0; }
QslHandle default_window_parent(void*, QslHandle) { return 0; }

QslInterfaces defaults() {
    QslInterfaces d{};
    d.message_box = default_box;
    d.step_dialog = default_step;
    d.registry_read = default_registry_read;
    d.registry_write = default_registry_write;
    d.clipboard_get = default_clipboard_get;
    d.clipboard_put = default_clipboard_put;
    d.play_sound = default_sound;
    d.window_exists = default_window_exists;
    d.window_parent = default_window_parent;
    return d;
}

QslInterfaces g_current = defaults();

}  // namespace

int show_box(const std::string& title, const std::string& text, int buttons) {
    return g_current.message_box(g_current.user, title.c_str(), text.c_str(), buttons);
}

int step_dialog(const std::string& text, std::string& name) {
    char buffer[64] = {};
    int button = g_current.step_dialog(g_current.user, text.c_str(), buffer, sizeof buffer);
    name.assign(buffer, strnlen(buffer, sizeof buffer));
    return button;
}

bool registry_read(const std::string& key, const std::string& value_name, std::string& out) {
    char buffer[1024] = {};
    if (!g_current.registry_read(g_current.user, key.c_str(), value_name.c_str(), buffer, sizeof buffer))
        return false;
    out = buffer;
    return true;
}

bool registry_write(const std::string& key, const std::string& value_name, const std::string& value) {
    return g_current.registry_write(g_current.user, key.c_str(), value_name.c_str(), value.c_str()) != 0;
}

bool clipboard_text(std::string& out) {
    // The interface fills a buffer of a given size: a text that fills it
    // whole may have been cut, so it is asked again with a larger one.
    for (size_t size = 65536; size <= (size_t(64) << 20); size *= 4) {
        std::string buffer(size, '\0');
        if (!g_current.clipboard_get(g_current.user, buffer.data(), buffer.size())) return false;
        size_t length = strnlen(buffer.data(), buffer.size());
        if (length + 1 < buffer.size()) {
            out.assign(buffer.data(), length);
            return true;
        }
    }
    return false;
}

bool set_clipboard_text(const std::string& text) {
    return g_current.clipboard_put(g_current.user, text.c_str()) != 0;
}

void play_sound(const char* event_name) { g_current.play_sound(g_current.user, event_name); }
bool window_exists(QslHandle window) { return g_current.window_exists(g_current.user, window) != 0; }
QslHandle window_parent(QslHandle window) { return g_current.window_parent(g_current.user, window); }

}  // namespace qsl

extern "C" {

QSL_API void QslGetDefaultInterfaces(QslInterfaces* interfaces) {
    if (interfaces) *interfaces = qsl::defaults();
}

QSL_API void QslSetInterfaces(const QslInterfaces* interfaces) {
    QslInterfaces next = qsl::defaults();
    if (interfaces) {
        next.user = interfaces->user;
        if (interfaces->message_box) next.message_box = interfaces->message_box;
        if (interfaces->step_dialog) next.step_dialog = interfaces->step_dialog;
        if (interfaces->registry_read) next.registry_read = interfaces->registry_read;
        if (interfaces->registry_write) next.registry_write = interfaces->registry_write;
        if (interfaces->clipboard_get) next.clipboard_get = interfaces->clipboard_get;
        if (interfaces->clipboard_put) next.clipboard_put = interfaces->clipboard_put;
        if (interfaces->play_sound) next.play_sound = interfaces->play_sound;
        if (interfaces->window_exists) next.window_exists = interfaces->window_exists;
        if (interfaces->window_parent) next.window_parent = interfaces->window_parent;
    }
    qsl::g_current = next;
}

}  // extern "C"
