// The key strings of sendkey and its kin: characters are typed as they
// stand; "~" is Enter; "+", "^" and "!" hold Shift, Ctrl and Alt for the
// next key; "{NAME}" is a named key and "{NAME n}" that key n times;
// "{~}", "{+}", "{^}", "{!}", "{{}" and "{}}" type the character itself.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qsl {

struct KeyStroke {
    std::string key;  // one UTF-8 character or a key name of the window interface
    unsigned modifiers = 0;
};

// The strokes of a key string; false with the reason when it is malformed.
bool parse_key_strokes(std::string_view text, std::vector<KeyStroke>& strokes, std::string& reason);

}  // namespace qsl
