// The registry of this library: a text file ($QSL_REGISTRY, else
// ~/.config/qsleng32/registry.ini) with one [section] per key, named by its
// full path ("HKEY_LOCAL_MACHINE\Software\..."), and one name=value line per
// value. A plain value is a string; other types carry a prefix:
//     dword:123   expand:%HOME%\bin   multi:one\0two   hex:01 ff   sz:\s text
// and in the prefixed forms "\\", "\n", "\r", "\0" and "\s" (a blank) stand
// for their characters. Keys are matched without regard to case; a key
// exists when its section does or when a key below it does.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qsl {

enum class RegistryType : int {
    string = 1,
    expand_string = 2,
    binary = 3,
    dword = 4,
    multi_string = 7,
};

struct RegistryValue {
    RegistryType type = RegistryType::string;
    std::string data;  // multi strings: items separated by NUL; binary: the bytes
};

std::filesystem::path registry_file();

// Each call reads the store; the changing ones write it back through a work
// file and answer false when that failed.
std::optional<RegistryValue> registry_get(std::string_view key, std::string_view name);
bool registry_set(std::string_view key, std::string_view name, const RegistryValue& value);
bool registry_remove_value(std::string_view key, std::string_view name);
bool registry_key_exists(std::string_view key);
bool registry_create_key(std::string_view key);
// Removes the key and every key below it; false when there was none.
bool registry_remove_key(std::string_view key);
// The names of the keys directly below a key, in the order of the store.
std::vector<std::string> registry_subkeys(std::string_view key);
std::vector<std::string> registry_value_names(std::string_view key);

// A key or value name the store can hold (no line ends; a key has no "]"
// and a value name no "=" and no "[" or ";" at its start).
bool registry_key_name_ok(std::string_view key);
bool registry_value_name_ok(std::string_view name);

// The value as text: strings as they are, a dword in decimal, binary as
// blank-separated hex bytes, a multi string's items joined by `separator`.
std::string registry_text(const RegistryValue& value, char separator = '\t');

}  // namespace qsl
