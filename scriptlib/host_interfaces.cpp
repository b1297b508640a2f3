// Headless defaults: a box is written to standard error as its title line
// and its text and answered with its default button; the registry is a text
// file (registry_store.h); the clipboard is the X selection or lives in
// the process (below); sounds other than the plain beep are silent;
// windows are those of the window system (the X server of $DISPLAY, else
// those a host registers).
#include "scriptlib/host_interfaces.h"
#include "scriptlib/registry_store.h"
#include "scriptlib/script_files.h"
#include "scriptlib/window_system.h"

#include "common/platform/environment.h"
#include "common/platform/program_pipe.h"

#include <cstdio>
#include <filesystem>
#include <optional>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
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

int default_registry_read(void*, const char* key, const char* value_name, char* out, size_t size) {
    auto value = registry_get(key, value_name);
    if (!value || size == 0) return 0;
    std::snprintf(out, size, "%s", registry_text(*value).c_str());
    return 1;
}

int default_registry_write(void*, const char* key, const char* value_name, const char* value) {
    return registry_set(key, value_name, RegistryValue{RegistryType::string, value});
}

// With $DISPLAY set, the clipboard is the X server's CLIPBOARD selection,
// reached through xclip or xsel when one is installed: whoever offers a
// selection must answer other programs' requests for as long as it is
// offered, which those tools do in a process of their own after the script
// has ended. Otherwise the clipboard is the process's own store.
struct SelectionTool {
    std::filesystem::path program;
    std::vector<std::string> read, write;
};

std::optional<SelectionTool> selection_tool() {
    if (qv::get_env_or("DISPLAY", "").empty() || !programs_allowed()) return std::nullopt;
    std::string path = qv::get_env_or("PATH", "/usr/bin:/bin");
    for (size_t start = 0; start <= path.size();) {
        size_t colon = path.find(':', start);
        std::filesystem::path folder = path.substr(start, colon == std::string::npos ? std::string::npos : colon - start);
        std::error_code error;
        if (std::filesystem::is_regular_file(folder / "xclip", error))
            return SelectionTool{folder / "xclip", {"-selection", "clipboard", "-o"}, {"-selection", "clipboard", "-i"}};
        if (std::filesystem::is_regular_file(folder / "xsel", error))
            return SelectionTool{folder / "xsel", {"--clipboard", "--output"}, {"--clipboard", "--input"}};
        if (colon == std::string::npos) break;
        start = colon + 1;
    }
    return std::nullopt;
}

int default_clipboard_get(void*, char* out, size_t size) {
    std::lock_guard<std::mutex> guard(g_mutex);
    std::string text = g_clipboard;
    if (auto tool = selection_tool()) {
        // An empty selection makes xclip end with 1: that is an empty text.
        text.clear();
        if (!qv::run_piped(tool->program, tool->read, "", &text)) return 0;
    }
    if (size) std::snprintf(out, size, "%s", text.c_str());
    return 1;
}

int default_clipboard_put(void*, const char* text) {
    std::lock_guard<std::mutex> guard(g_mutex);
    if (auto tool = selection_tool()) {
        auto status = qv::run_piped(tool->program, tool->write, text, nullptr);
        return status && *status == 0;
    }
    g_clipboard = text;
    return 1;
}

// The default beep rings the terminal's bell; named event sounds have no
// player here.
void default_sound(void*, const char* event_name) {
    if (event_name && *event_name) return;
    if (isatty(STDERR_FILENO)) {
        std::fputc('\a', stderr);
        std::fflush(stderr);
    }
}
// Windows are those of the window system in force (window_system.h).
int default_window_exists(void*, QslHandle window) { return window && windows().exists(window); }
QslHandle default_window_parent(void*, QslHandle window) { return window ? windows().parent(window) : 0; }
void default_post_command(void*, QslHandle, int) {}

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
    d.post_command = default_post_command;
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
void post_command(QslHandle window, int command) { g_current.post_command(g_current.user, window, command); }

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
        if (interfaces->post_command) next.post_command = interfaces->post_command;
    }
    qsl::g_current = next;
}

}  // extern "C"
