#include "scriptlib/registry_store.h"

#include <cstdio>
#include <mutex>

#include "common/platform/environment.h"
#include "common/platform/text.h"
#include "scriptlib/ini_file.h"
#include "scriptlib/script_files.h"

namespace qsl {
namespace {

std::mutex g_store;

struct Prefix {
    const char* text;
    RegistryType type;
};
constexpr Prefix prefixes[] = {
    {"sz:", RegistryType::string},
    {"expand:", RegistryType::expand_string},
    {"multi:", RegistryType::multi_string},
    {"dword:", RegistryType::dword},
    {"hex:", RegistryType::binary},
};

std::string escape(std::string_view text) {
    std::string out;
    for (char ch : text) {
        switch (ch) {
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\0': out += "\\0"; break;
            case ' ': out += "\\s"; break;
            default: out += ch;
        }
    }
    return out;
}

std::string unescape(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        switch (text[++i]) {
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case '0': out += '\0'; break;
            case 's': out += ' '; break;
            case '\\': out += '\\'; break;
            default: out += '\\', out += text[i];
        }
    }
    return out;
}

std::string hex_bytes(std::string_view bytes) {
    std::string out;
    char pair[4];
    for (unsigned char byte : bytes) {
        if (!out.empty()) out += ' ';
        std::snprintf(pair, sizeof pair, "%02x", byte);
        out += pair;
    }
    return out;
}

std::string from_hex(std::string_view text) {
    std::string out;
    unsigned value = 0;
    int digits = 0;
    for (char ch : text) {
        int d = ch >= '0' && ch <= '9' ? ch - '0' : ch >= 'a' && ch <= 'f' ? ch - 'a' + 10 : ch >= 'A' && ch <= 'F' ? ch - 'A' + 10 : -1;
        if (d < 0) continue;
        value = value * 16 + unsigned(d);
        if (++digits == 2) {
            out += char(value);
            value = 0;
            digits = 0;
        }
    }
    return out;
}

// A plain line holds a string that reads back the same.
bool plain(std::string_view text) {
    if (text.empty()) return true;
    if (text.front() == ' ' || text.front() == '\t' || text.back() == ' ' || text.back() == '\t') return false;
    if (text.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos) return false;
    for (const Prefix& p : prefixes)
        if (text.starts_with(p.text)) return false;
    return true;
}

std::string encode(const RegistryValue& value) {
    switch (value.type) {
        case RegistryType::string: return plain(value.data) ? value.data : "sz:" + escape(value.data);
        case RegistryType::expand_string: return "expand:" + escape(value.data);
        case RegistryType::multi_string: return "multi:" + escape(value.data);
        case RegistryType::dword: return "dword:" + value.data;
        case RegistryType::binary: return "hex:" + hex_bytes(value.data);
    }
    return value.data;
}

RegistryValue decode(std::string_view text) {
    for (const Prefix& p : prefixes) {
        if (!text.starts_with(p.text)) continue;
        std::string_view rest = text.substr(std::char_traits<char>::length(p.text));
        if (p.type == RegistryType::binary) return {p.type, from_hex(rest)};
        if (p.type == RegistryType::dword) return {p.type, std::string(rest)};
        return {p.type, unescape(rest)};
    }
    return {RegistryType::string, std::string(text)};
}

IniFile load_store() {
    IniFile store;
    store.load(registry_file());
    return store;
}

bool below(std::string_view section, std::string_view key) {
    return section.size() > key.size() && section[key.size()] == '\\' &&
           qv::starts_with_no_case(section, key);
}

}  // namespace

std::filesystem::path registry_file() {
    auto named = qv::get_env("QSL_REGISTRY");
    if (named && !named->empty()) return script_path(*named);
    return settings_folder() / "registry.ini";
}

std::optional<RegistryValue> registry_get(std::string_view key, std::string_view name) {
    std::lock_guard<std::mutex> guard(g_store);
    auto text = load_store().read(key, name);
    if (!text) return std::nullopt;
    return decode(*text);
}

bool registry_set(std::string_view key, std::string_view name, const RegistryValue& value) {
    std::lock_guard<std::mutex> guard(g_store);
    IniFile store = load_store();
    store.write(key, name, encode(value));
    return store.save(registry_file());
}

bool registry_remove_value(std::string_view key, std::string_view name) {
    std::lock_guard<std::mutex> guard(g_store);
    IniFile store = load_store();
    return store.delete_key(key, name) && store.save(registry_file());
}

bool registry_key_exists(std::string_view key) {
    std::lock_guard<std::mutex> guard(g_store);
    for (const std::string& section : load_store().sections())
        if (qv::equal_no_case(section, key) || below(section, key)) return true;
    return false;
}

bool registry_create_key(std::string_view key) {
    std::lock_guard<std::mutex> guard(g_store);
    IniFile store = load_store();
    if (store.has_section(key)) return true;
    store.add_section(key);
    return store.save(registry_file());
}

bool registry_remove_key(std::string_view key) {
    std::lock_guard<std::mutex> guard(g_store);
    IniFile store = load_store();
    bool found = false;
    for (const std::string& section : store.sections()) {
        if (qv::equal_no_case(section, key) || below(section, key)) found = store.delete_section(section) || found;
    }
    return found && store.save(registry_file());
}

std::vector<std::string> registry_subkeys(std::string_view key) {
    std::lock_guard<std::mutex> guard(g_store);
    std::vector<std::string> names;
    for (const std::string& section : load_store().sections()) {
        if (!below(section, key)) continue;
        std::string name = section.substr(key.size() + 1);
        name = name.substr(0, name.find('\\'));
        bool known = false;
        for (const std::string& n : names) known = known || qv::equal_no_case(n, name);
        if (!known && !name.empty()) names.push_back(name);
    }
    return names;
}

std::vector<std::string> registry_value_names(std::string_view key) {
    std::lock_guard<std::mutex> guard(g_store);
    return load_store().keys(key);
}

bool registry_key_name_ok(std::string_view key) {
    return !key.empty() && key.find_first_of(std::string_view("]\r\n\0", 4)) == std::string_view::npos;
}

bool registry_value_name_ok(std::string_view name) {
    if (name.find_first_of(std::string_view("=\r\n\0", 4)) != std::string_view::npos) return false;
    return name.empty() || (name.front() != '[' && name.front() != ';' && name.front() != ' ' && name.back() != ' ');
}

std::string registry_text(const RegistryValue& value, char separator) {
    switch (value.type) {
        case RegistryType::binary: return hex_bytes(value.data);
        case RegistryType::multi_string: {
            std::string out = value.data;
            while (!out.empty() && out.back() == '\0') out.pop_back();
            for (char& ch : out)
                if (ch == '\0') ch = separator;
            return out;
        }
        default: return value.data;
    }
}

}  // namespace qsl
