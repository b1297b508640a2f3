// Hot keys of menu items: the hot-key part of a title ("\^O", "!{F4}")
// turned into a key code and the words a menu shows ("Ctrl+O"), the host's
// hot-key record, and the key code of a key message.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qsl {

constexpr int hot_key_max = 100;

struct HotKey {
    uint16_t code = 0;  // 0: the part names no key
    std::string words;
};

// The hot-key part of a title, after its backslash: "!" Alt (0x3000), "+"
// Shift, "^" Ctrl, then one character or a key name in braces.
HotKey parse_hot_key(std::string_view part);

// The key code of a key-down or character message (0 for any other message
// and for Shift, Ctrl or Alt pressed alone); the modifier bits of key are the
// keyboard state that came with the message.
uint16_t message_key_code(uintptr_t message, uintptr_t key);

// The host's hot-key record: a 16-bit count, two reserved bytes, then
// {key code, command identifier} entries, little-endian.
class HotKeyRecord {
public:
    explicit HotKeyRecord(unsigned char* bytes) : bytes_(bytes) {}
    void clear();
    // False when the record is full (the key is left out).
    bool add(uint16_t code, uint16_t command);
    int count() const;
    // The command of the first entry with that code, or -1.
    int command_of(uint16_t code) const;

private:
    unsigned char* bytes_;
};

}  // namespace qsl
