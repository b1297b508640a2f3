#include "scriptlib/key_strokes.h"

#include <cstdlib>

#include "scriptlib/include/qsleng32.h"

namespace qsl {
namespace {

struct KeyName {
    std::string_view written, key;
};

constexpr KeyName key_names[] = {
    {"BACKSPACE", "BACKSPACE"}, {"BS", "BACKSPACE"}, {"DEL", "DELETE"},   {"DELETE", "DELETE"}, {"DOWN", "DOWN"},
    {"END", "END"},             {"ENTER", "ENTER"},  {"ESC", "ESC"},      {"ESCAPE", "ESC"},    {"HOME", "HOME"},
    {"INS", "INSERT"},          {"INSERT", "INSERT"}, {"LEFT", "LEFT"},   {"PGDN", "PGDN"},     {"PGUP", "PGUP"},
    {"RIGHT", "RIGHT"},         {"SPACE", "SPACE"},  {"TAB", "TAB"},      {"UP", "UP"},
};

constexpr std::string_view literal_in_braces = "~+^!{}";
constexpr int longest_repeat = 1000;

std::string upper(std::string_view text) {
    std::string result(text);
    for (char& ch : result)
        if (ch >= 'a' && ch <= 'z') ch = char(ch - 'a' + 'A');
    return result;
}

// The key a name in braces stands for; "" when there is none.
std::string named_key(std::string_view name) {
    if (name.size() == 1 && literal_in_braces.find(name[0]) != std::string_view::npos) return std::string(name);
    std::string word = upper(name);
    for (const KeyName& k : key_names)
        if (word == k.written) return std::string(k.key);
    if (word.size() >= 2 && word.size() <= 3 && word[0] == 'F' && word.find_first_not_of("0123456789", 1) == std::string::npos) {
        int n = std::atoi(word.c_str() + 1);
        if (n >= 1 && n <= 16) return word;
    }
    return "";
}

size_t character_length(unsigned char lead) {
    return lead < 0x80 ? 1 : (lead & 0xE0) == 0xC0 ? 2 : (lead & 0xF0) == 0xE0 ? 3 : (lead & 0xF8) == 0xF0 ? 4 : 1;
}

}  // namespace

bool parse_key_strokes(std::string_view text, std::vector<KeyStroke>& strokes, std::string& reason) {
    unsigned modifiers = 0;
    for (size_t i = 0; i < text.size();) {
        char ch = text[i];
        if (ch == '+' || ch == '^' || ch == '!') {
            modifiers |= ch == '+' ? QSL_KEY_SHIFT : ch == '^' ? QSL_KEY_CONTROL : QSL_KEY_ALT;
            ++i;
            continue;
        }
        std::string key;
        int repeat = 1;
        if (ch == '~') {
            key = "ENTER";
            ++i;
        } else if (ch == '{') {
            // "{}}" names the closing brace itself.
            size_t close = text.find('}', text.compare(i, 3, "{}}") == 0 ? i + 2 : i + 1);
            if (close == std::string_view::npos) {
                reason = "a '{' without its '}' in \"" + std::string(text) + "\"";
                return false;
            }
            std::string_view inside = text.substr(i + 1, close - i - 1);
            size_t blank = inside.find(' ');
            if (blank != std::string_view::npos && inside.size() > 1) {
                repeat = std::atoi(std::string(inside.substr(blank + 1)).c_str());
                inside = inside.substr(0, blank);
                if (repeat < 0 || repeat > longest_repeat) {
                    reason = "a repeat count outside 0 to 1000";
                    return false;
                }
            }
            key = named_key(inside);
            if (key.empty()) {
                reason = "no key is named {" + std::string(inside) + "}";
                return false;
            }
            i = close + 1;
        } else {
            size_t length = character_length(static_cast<unsigned char>(ch));
            key = std::string(text.substr(i, length));
            i += length;
        }
        for (int n = 0; n < repeat; ++n) strokes.push_back(KeyStroke{key, modifiers});
        modifiers = 0;
    }
    if (modifiers) {
        reason = "a Shift, Ctrl or Alt sign with no key after it";
        return false;
    }
    return true;
}

}  // namespace qsl
