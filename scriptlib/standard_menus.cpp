// The menu entry points: LoadStandardMenu turns a menu file into menus,
// command identifiers, hot keys and help texts; ParseStandardMenu cuts the
// code of a chosen item out of the file for the host to run;
// MenuSelectProcessing finds the help text of a highlighted entry.
//
// Help texts live in variables a script cannot name: "%M", the set letter
// and the command identifier for an item, "%P", the set letter and the
// popup's handle for a popup.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "scriptlib/call_script.h"
#include "scriptlib/error_texts.h"
#include "scriptlib/host_interfaces.h"
#include "scriptlib/hot_keys.h"
#include "scriptlib/instance_session.h"
#include "scriptlib/menu_file.h"
#include "scriptlib/menu_model.h"
#include "scriptlib/variables.h"

namespace qsl {
namespace {

// The host's menu record: the file name, its DOS date and time at load and
// the set letter index.
class MenuRecord {
public:
    explicit MenuRecord(uintptr_t address) : bytes_(reinterpret_cast<unsigned char*>(address)) {}
    std::string file() const {
        const char* name = reinterpret_cast<const char*>(bytes_);
        return std::string(name, strnlen(name, QSL_MENU_NAME_MAX - 1));
    }
    bool set_file(const std::string& path) {
        if (path.size() >= QSL_MENU_NAME_MAX) return false;
        std::memset(bytes_, 0, QSL_MENU_NAME_MAX);
        std::memcpy(bytes_, path.data(), path.size());
        return true;
    }
    uint32_t stamp() const { return uint32_t(get16(QSL_MENU_DATE_AT)) << 16 | get16(QSL_MENU_TIME_AT); }
    void set_stamp(uint32_t stamp) {
        put16(QSL_MENU_DATE_AT, uint16_t(stamp >> 16));
        put16(QSL_MENU_TIME_AT, uint16_t(stamp));
    }
    char set_letter() const { return char('a' + get16(QSL_MENU_SET_AT) % 26); }

private:
    uint16_t get16(int at) const { return uint16_t(bytes_[at] | bytes_[at + 1] << 8); }
    void put16(int at, uint16_t value) {
        bytes_[at] = uint8_t(value);
        bytes_[at + 1] = uint8_t(value >> 8);
    }
    unsigned char* bytes_;
};

std::string message_text(int number) {
    std::string text = error_text(number);
    if (!text.empty()) return text;
    char undefined[40];
    std::snprintf(undefined, sizeof undefined, "Undefined error code -> %03d", number);
    return undefined;
}

// A menu message in a box titled with the host's message title; the place
// in the file follows when there is one.
void show_menu_message(uintptr_t title, int number, const std::string& file, const MenuFault* fault = nullptr) {
    std::string text = std::to_string(number) + ":  " + message_text(number);
    if (fault && fault->line > 0) text += "\n\n" + file + ", line " + std::to_string(fault->line) + ":\n" + fault->text;
    else if (fault || !file.empty()) text += "\n\n" + file;
    show_box(title ? reinterpret_cast<const char*>(title) : "", text, QSL_MB_OK);
}

// The loader's messages for what reading the file met (CALL's reader names
// them for scripts).
int read_message(int script_message, bool selecting) {
    switch (script_message) {
        case errors::script_not_found: return selecting ? errors::menu_select_open_failed : errors::menu_open_failed;
        case errors::script_out_of_memory:
            return selecting ? errors::menu_select_out_of_memory : errors::menu_out_of_memory;
        case errors::script_read_error: return selecting ? errors::menu_select_read_error : errors::menu_read_error;
        default: return script_message;  // protected 211, bad UTF-16 215
    }
}

// The menu file's titles; false after its message was shown.
bool read_menu(const std::string& path, bool selecting, uintptr_t title, std::vector<MenuNode>& nodes) {
    std::string text;
    if (int message = load_script_file(path, text)) {
        show_menu_message(title, read_message(message, selecting), path);
        return false;
    }
    MenuFault fault;
    if (!parse_menu_text(text, nodes, fault)) {
        show_menu_message(title, fault.message, path, &fault);
        return false;
    }
    return true;
}

// A help text: set when there is one, dropped when the title has none (a
// reload must not keep the old one). A full variable table loses the text.
void set_help_text(Context& c, const std::string& name, const std::string& text) {
    try {
        if (!text.empty()) {
            set_variable_text(c, name, text);
        } else if (int index = find_variable(c, name); index >= 0) {
            drop_variable(c, index);
        }
    } catch (const ScriptError&) {
    }
}

std::optional<std::string> help_text(Context& c, const std::string& name) {
    const int index = find_variable(c, name);
    if (index < 0 || !(read_slot(c, index).type & QSL_TYPE_STRING)) return std::nullopt;
    Value value(c);
    load_variable(c, index, value);
    return std::string(value.text());
}

// Builds the menus of the titles into the target; the menu, or 0.
QslHandle build_menus(Context& c, const std::vector<MenuNode>& nodes, QslHandle target, bool target_given,
                      int first_id, char set, HotKeyRecord* hot_keys) {
    // containers[level] is the menu that titles of that level go into; 0
    // under a hidden popup, whose items are not shown.
    QslHandle containers[menu_level_max + 2] = {target};
    int next_id = first_id;
    for (const MenuNode& node : nodes) {
        const MenuTitle& title = node.title;
        const QslHandle into = containers[title.level - 1];
        MenuEntry entry;
        entry.text = title.text;
        entry.new_column = title.new_column && (title.level == 1 || target_given);
        if (node.popup) {
            entry.kind = MenuEntryKind::popup;
            entry.popup = create_menu(false);
            containers[title.level] = title.hidden || !into ? 0 : entry.popup;
            set_help_text(c, "%p" + std::string(1, set) + std::to_string(entry.popup), title.description);
        } else {
            entry.command = next_id++;
            if (title.hot_key.code && hot_keys) hot_keys->add(title.hot_key.code, uint16_t(entry.command));
            set_help_text(c, "%m" + std::string(1, set) + std::to_string(entry.command), title.description);
        }
        if (title.hidden || !into) {
            if (node.popup) destroy_menu(entry.popup);
            continue;
        }
        if (title.separator_before) append_menu_entry(into, MenuEntry{MenuEntryKind::separator, "", 0, 0, false});
        append_menu_entry(into, entry);
    }
    return target;
}

QslHandle load_menu(Context& c, int first_id, int id_limit, uintptr_t record_address, uintptr_t title,
                    uintptr_t hot_key_address, uintptr_t target) {
    MenuRecord record(record_address);
    const std::string path = find_menu_file(record.file());
    const auto stamp = menu_file_stamp(path);
    if (!stamp) {
        show_menu_message(title, errors::menu_open_failed, record.file());
        return 0;
    }
    std::error_code ignored;
    const std::string full = std::filesystem::absolute(path, ignored).lexically_normal().string();
    if (!record.set_file(full)) {
        show_menu_message(title, errors::menu_open_failed, full);
        return 0;
    }
    record.set_stamp(*stamp);
    std::vector<MenuNode> nodes;
    if (!read_menu(full, false, title, nodes)) return 0;
    // The identifiers are counted before anything is built, so that a menu
    // that cannot get them all is not half added to a host's menu.
    long items = 0;
    for (const MenuNode& node : nodes) items += node.popup ? 0 : 1;
    if (first_id + items - 1 > id_limit || first_id + items - 1 > 0xFFFF) {
        show_menu_message(title, errors::menu_too_many_items, full);
        return 0;
    }
    const bool target_given = target != QSL_MENU_TARGET_POPUP;
    QslHandle menu = target;
    if (target == QSL_MENU_TARGET_POPUP || target == QSL_MENU_TARGET_BAR) {
        menu = create_menu(target == QSL_MENU_TARGET_BAR);
    } else if (!menu_exists(target)) {
        return 0;
    }
    HotKeyRecord hot_keys(reinterpret_cast<unsigned char*>(hot_key_address));
    if (hot_key_address) hot_keys.clear();
    return build_menus(c, nodes, menu, target_given, first_id, record.set_letter(), hot_key_address ? &hot_keys : nullptr);
}

QslHandle select_item(Context& c, int item, int mode, int other_item, uintptr_t record_address, uintptr_t title) {
    MenuRecord record(record_address);
    const std::string path = record.file();
    const auto stamp = menu_file_stamp(path);
    if (!stamp) {
        show_menu_message(title, errors::menu_select_open_failed, path);
        return 0;
    }
    if (*stamp != record.stamp()) {
        show_menu_message(title, errors::menu_changed, path);
        return QSL_MENU_CHANGED;
    }
    std::vector<MenuNode> nodes;
    if (!read_menu(path, true, title, nodes)) return 0;
    const MenuNode* chosen = nullptr;
    int count = 0;
    for (const MenuNode& node : nodes) {
        if (mode == 0 ? !node.popup && count++ == item : count++ == other_item) {
            chosen = node.popup ? nullptr : &node;
            break;
        }
    }
    if (!chosen) {
        show_menu_message(title, errors::menu_ended_unexpectedly, path);
        return 0;
    }
    std::string code;
    for (const std::string& line : chosen->code) code += line + "\n";
    const QslHandle block = QslGlobalAlloc(QSL_GMEM_MOVEABLE, code.size() + 1);
    if (!block) {
        show_menu_message(title, errors::menu_select_out_of_memory, path);
        return 0;
    }
    char* bytes = static_cast<char*>(QslGlobalLock(block));
    if (!bytes) {
        QslGlobalFree(block);
        show_menu_message(title, errors::menu_select_lock_failed, path);
        return 0;
    }
    std::memcpy(bytes, code.c_str(), code.size() + 1);
    QslGlobalUnlock(block);
    set_variable_int(c, "param0", 0);
    return block;
}

int select_help(Context& c, uintptr_t word, QslHandle menu, uintptr_t lowest, uintptr_t highest, std::string& text,
                char set, bool system_menu) {
    const unsigned id = unsigned(word & 0xFFFF);
    const unsigned flags = unsigned(word >> 16) & 0xFFFF;
    if (flags == 0xFFFF && menu == 0) return 5;
    if (system_menu || (flags & QSL_MF_SYSMENU)) {
        text = error_text(errors::system_menu_help_first + int((id / 16) % 32));
        return 2;
    }
    if (flags & QSL_MF_POPUP) {
        const auto entry = menu_entry_at(menu, int(id));
        if (!entry || entry->kind != MenuEntryKind::popup) return 5;
        if (auto help = help_text(c, "%p" + std::string(1, set) + std::to_string(entry->popup))) {
            text = *help;
            return 1;
        }
        text = entry->text;
        return 3;
    }
    if (id < lowest || id > highest) return 5;
    if (auto help = help_text(c, "%m" + std::string(1, set) + std::to_string(id))) {
        text = *help;
        return 1;
    }
    if (auto item = menu_item_text(menu, int(id))) {
        text = *item;
        return 4;
    }
    return 5;
}

}  // namespace
}  // namespace qsl

using namespace qsl;

extern "C" {

QSL_API QslHandle LoadStandardMenu(uintptr_t instance, uintptr_t, uintptr_t first_id, uintptr_t id_limit,
                                   uintptr_t menu_record, uintptr_t message_title, uintptr_t hot_key_record,
                                   uintptr_t target) try {
    if (!menu_record) return 0;
    QslHandle menu = 0;
    with_instance(instance, [&](Context& c) {
        menu = load_menu(c, int(first_id & 0xFFFF), int(id_limit & 0xFFFF), menu_record, message_title,
                         hot_key_record, target);
    });
    return menu;
} catch (...) {
    return 0;
}

QSL_API QslHandle ParseStandardMenu(uintptr_t instance, uintptr_t, uintptr_t item, uintptr_t mode,
                                    uintptr_t other_item, uintptr_t, uintptr_t menu_record,
                                    uintptr_t message_title) try {
    if (!menu_record) return 0;
    QslHandle block = 0;
    with_instance(instance, [&](Context& c) {
        block = select_item(c, int(item), int(mode), int(other_item), menu_record, message_title);
    });
    return block;
} catch (...) {
    return 0;
}

QSL_API int MenuSelectProcessing(uintptr_t instance, uintptr_t, uintptr_t select_word, uintptr_t menu,
                                 uintptr_t lowest_id, uintptr_t highest_id, uintptr_t text, uintptr_t text_size,
                                 uintptr_t menu_record, uintptr_t system_menu) try {
    if (!text || !text_size || !menu_record) return -1;
    int result = -1;
    std::string help;
    const char set = MenuRecord(menu_record).set_letter();
    with_instance(instance, [&](Context& c) {
        result = select_help(c, select_word, menu, lowest_id, highest_id, help, set, system_menu != 0);
    });
    if (result < 0) return -1;
    std::snprintf(reinterpret_cast<char*>(text), size_t(text_size), "%s", help.c_str());
    return result;
} catch (...) {
    return -1;
}

}  // extern "C"
