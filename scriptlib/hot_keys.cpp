// Key codes carry the key in the low byte and 0x8000 Shift, 0x4000 Ctrl,
// 0x2000 Alt and 0x1000 "virtual key" (a key without a character) above it.
#include "scriptlib/hot_keys.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <strings.h>

#include "scriptlib/host_interfaces.h"
#include "scriptlib/include/qsleng32.h"

namespace qsl {
namespace {

struct KeyName {
    const char* name;
    uint16_t code;
};

constexpr KeyName key_names[] = {
    {"BACKSPACE", 0x0008}, {"BS", 0x0008},      {"ENTER", 0x000D},    {"ESCAPE", 0x001B},   {"ESC", 0x001B},
    {"SPACE", 0x0020},     {"SP", 0x0020},      {"TAB", 0x1009},      {"CLEAR", 0x100C},    {"PGUP", 0x1021},
    {"PGDN", 0x1022},      {"END", 0x1023},     {"HOME", 0x1024},     {"LEFT", 0x1025},     {"UP", 0x1026},
    {"RIGHT", 0x1027},     {"DOWN", 0x1028},    {"PRTSC", 0x102A},    {"INSERT", 0x102D},   {"INS", 0x102D},
    {"DELETE", 0x102E},    {"DEL", 0x102E},     {"HELP", 0x102F},     {"NUMPAD*", 0x106A},  {"NUMPAD+", 0x106B},
    {"NUMPAD-", 0x106D},   {"NUMPAD.", 0x106E}, {"NUMPAD/", 0x106F},
};

// NUMPAD0 to NUMPAD9 and F1 to F16 are numbered.
uint16_t numbered_key(std::string_view name) {
    auto number_after = [&](std::string_view prefix, int low, int high) {
        if (name.size() <= prefix.size() || strncasecmp(name.data(), prefix.data(), prefix.size()) != 0) return -1;
        int value = 0;
        for (char ch : name.substr(prefix.size())) {
            if (!std::isdigit(static_cast<unsigned char>(ch)) || value > 100) return -1;
            value = value * 10 + (ch - '0');
        }
        return value >= low && value <= high ? value : -1;
    };
    if (int n = number_after("NUMPAD", 0, 9); n >= 0) return uint16_t(0x1060 + n);
    if (int n = number_after("F", 1, 16); n >= 0) return uint16_t(0x1070 + n - 1);
    return 0;
}

uint16_t named_key(std::string_view name) {
    for (const KeyName& key : key_names)
        if (name.size() == std::strlen(key.name) && strncasecmp(name.data(), key.name, name.size()) == 0) return key.code;
    return numbered_key(name);
}

uint16_t get16(const unsigned char* p) { return uint16_t(p[0] | p[1] << 8); }
void put16(unsigned char* p, uint16_t value) {
    p[0] = uint8_t(value);
    p[1] = uint8_t(value >> 8);
}

}  // namespace

HotKey parse_hot_key(std::string_view part) {
    HotKey hot;
    uint16_t modifiers = 0;
    // A modifier sign is the key itself when nothing follows it ("\+").
    while (part.size() > 1 && (part[0] == '!' || part[0] == '+' || part[0] == '^')) {
        if (part[0] == '!') {
            modifiers |= QSL_HOT_KEY_ALT | QSL_HOT_KEY_VIRTUAL;
            hot.words += "Alt+";
        } else if (part[0] == '+') {
            modifiers |= QSL_HOT_KEY_SHIFT;
            hot.words += "Shift+";
        } else {
            modifiers |= QSL_HOT_KEY_CTRL;
            hot.words += "Ctrl+";
        }
        part.remove_prefix(1);
    }
    hot.words += part;
    uint16_t key = 0;
    if (part.size() > 2 && part.front() == '{' && part.back() == '}') {
        key = named_key(part.substr(1, part.size() - 2));
    } else if (part.size() == 1) {
        key = uint16_t(std::toupper(static_cast<unsigned char>(part[0])));
        if ((modifiers & QSL_HOT_KEY_CTRL) && (key < '@' || key > 'Z')) key |= QSL_HOT_KEY_VIRTUAL;
    }
    hot.code = key ? uint16_t(key | modifiers) : 0;
    return hot;
}

uint16_t message_key_code(uintptr_t message, uintptr_t key) {
    const unsigned value = unsigned(key & 0xFF);
    const unsigned held = unsigned(key) & (QSL_HOT_KEY_SHIFT | QSL_HOT_KEY_CTRL | QSL_HOT_KEY_ALT);
    unsigned code = 0;
    if (message == QSL_WM_KEYDOWN) {
        // Shift, Ctrl and Alt, and their left and right forms, alone.
        if ((value >= 0x10 && value <= 0x12) || (value >= 0xA0 && value <= 0xA5)) return 0;
        code = value | QSL_HOT_KEY_VIRTUAL;
    } else if (message == QSL_WM_CHAR) {
        code = unsigned(std::toupper(int(value)));
        if ((held & QSL_HOT_KEY_CTRL) && value >= 1 && value <= 26) code = value + '@';
    } else {
        return 0;
    }
    return uint16_t(code | held);
}

void HotKeyRecord::clear() { std::memset(bytes_, 0, 4 + 4 * hot_key_max); }

int HotKeyRecord::count() const { return std::min<int>(get16(bytes_), hot_key_max); }

bool HotKeyRecord::add(uint16_t code, uint16_t command) {
    const int n = count();
    if (n >= hot_key_max) return false;
    put16(bytes_ + 4 + 4 * n, code);
    put16(bytes_ + 6 + 4 * n, command);
    put16(bytes_, uint16_t(n + 1));
    return true;
}

int HotKeyRecord::command_of(uint16_t code) const {
    for (int i = 0, n = count(); i < n; ++i)
        if (get16(bytes_ + 4 + 4 * i) == code) return get16(bytes_ + 6 + 4 * i);
    return -1;
}

}  // namespace qsl

using namespace qsl;

extern "C" QSL_API int HotKeyCheck(uintptr_t, uintptr_t window, uintptr_t message, uintptr_t key,
                                   uintptr_t hot_key_record) try {
    if (!hot_key_record) return 0;
    const uint16_t code = message_key_code(message, key);
    if (!code) return 0;
    const int command = HotKeyRecord(reinterpret_cast<unsigned char*>(hot_key_record)).command_of(code);
    if (command < 0) return 0;
    post_command(window, command);
    return 1;
} catch (...) {
    return 0;
}
