// The menus that menu files are turned into: a menu bar or popup menu is a
// list of entries (items with a command identifier, popups that open another
// menu, separators), known to hosts by an opaque handle. The menus live in
// the process, like the windows they would belong to, until destroyed.
#pragma once

#include <optional>
#include <string>

#include "scriptlib/include/qsleng32.h"

namespace qsl {

enum class MenuEntryKind { item = QSL_MENU_ENTRY_ITEM, popup = QSL_MENU_ENTRY_POPUP, separator = QSL_MENU_ENTRY_SEPARATOR };

struct MenuEntry {
    MenuEntryKind kind = MenuEntryKind::item;
    std::string text;   // the title, then a tab and the hot key in words
    int command = 0;    // an item's command identifier
    QslHandle popup = 0;  // a popup's menu
    bool new_column = false;
};

// A new empty menu bar or popup menu; never 0 or 1 (the loader's targets).
QslHandle create_menu(bool menu_bar);
bool menu_exists(QslHandle menu);
// False when the menu does not exist.
bool append_menu_entry(QslHandle menu, const MenuEntry& entry);
std::optional<MenuEntry> menu_entry_at(QslHandle menu, int position);
// -1 when the menu does not exist.
int menu_entry_count(QslHandle menu);
// The text of the item with that command identifier in the menu or its popups.
std::optional<std::string> menu_item_text(QslHandle menu, int command);
// Destroys the menu and the popups it opens.
bool destroy_menu(QslHandle menu);

}  // namespace qsl
