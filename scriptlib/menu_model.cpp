// Menus are kept by handle in one table of the process, guarded by a mutex:
// a host may build them on one thread and read them on another.
#include "scriptlib/menu_model.h"

#include <cstdio>
#include <map>
#include <mutex>
#include <vector>

namespace qsl {
namespace {

struct Menu {
    bool menu_bar = false;
    std::vector<MenuEntry> entries;
};

std::mutex g_menus_mutex;
std::map<QslHandle, Menu> g_menus;
// Handles count up from here, far from the loader's targets 0 and 1.
QslHandle g_next_handle = 0x4D00;

std::optional<std::string> item_text_locked(QslHandle menu, int command, int depth) {
    auto found = g_menus.find(menu);
    if (found == g_menus.end() || depth > 8) return std::nullopt;
    for (const MenuEntry& entry : found->second.entries) {
        if (entry.kind == MenuEntryKind::item && entry.command == command) return entry.text;
        if (entry.kind == MenuEntryKind::popup)
            if (auto text = item_text_locked(entry.popup, command, depth + 1)) return text;
    }
    return std::nullopt;
}

void destroy_locked(QslHandle menu, int depth) {
    auto found = g_menus.find(menu);
    if (found == g_menus.end() || depth > 8) return;
    std::vector<MenuEntry> entries = std::move(found->second.entries);
    g_menus.erase(found);
    for (const MenuEntry& entry : entries)
        if (entry.kind == MenuEntryKind::popup) destroy_locked(entry.popup, depth + 1);
}

}  // namespace

QslHandle create_menu(bool menu_bar) {
    std::lock_guard<std::mutex> guard(g_menus_mutex);
    QslHandle handle = ++g_next_handle;
    g_menus[handle].menu_bar = menu_bar;
    return handle;
}

bool menu_exists(QslHandle menu) {
    std::lock_guard<std::mutex> guard(g_menus_mutex);
    return g_menus.count(menu) != 0;
}

bool append_menu_entry(QslHandle menu, const MenuEntry& entry) {
    std::lock_guard<std::mutex> guard(g_menus_mutex);
    auto found = g_menus.find(menu);
    if (found == g_menus.end()) return false;
    found->second.entries.push_back(entry);
    return true;
}

std::optional<MenuEntry> menu_entry_at(QslHandle menu, int position) {
    std::lock_guard<std::mutex> guard(g_menus_mutex);
    auto found = g_menus.find(menu);
    if (found == g_menus.end() || position < 0 || size_t(position) >= found->second.entries.size()) return std::nullopt;
    return found->second.entries[size_t(position)];
}

int menu_entry_count(QslHandle menu) {
    std::lock_guard<std::mutex> guard(g_menus_mutex);
    auto found = g_menus.find(menu);
    return found == g_menus.end() ? -1 : int(found->second.entries.size());
}

std::optional<std::string> menu_item_text(QslHandle menu, int command) {
    std::lock_guard<std::mutex> guard(g_menus_mutex);
    return item_text_locked(menu, command, 0);
}

bool destroy_menu(QslHandle menu) {
    std::lock_guard<std::mutex> guard(g_menus_mutex);
    if (!g_menus.count(menu)) return false;
    destroy_locked(menu, 0);
    return true;
}

}  // namespace qsl

using namespace qsl;

extern "C" {

QSL_API int QslMenuEntryCount(QslHandle menu) { return menu_entry_count(menu); }

QSL_API int QslGetMenuEntry(QslHandle menu, int position, QslMenuEntry* entry) try {
    auto found = menu_entry_at(menu, position);
    if (!found || !entry) return 0;
    *entry = QslMenuEntry{};
    entry->kind = int(found->kind);
    entry->command = found->command;
    entry->popup = found->popup;
    entry->new_column = found->new_column ? 1 : 0;
    std::snprintf(entry->text, sizeof entry->text, "%s", found->text.c_str());
    return 1;
} catch (...) {
    return 0;
}

QSL_API int QslDestroyMenu(QslHandle menu) try {
    return destroy_menu(menu) ? 1 : 0;
} catch (...) {
    return 0;
}

}  // extern "C"
