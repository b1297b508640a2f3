// The registry functions over the library's registry store
// (registry_store.h). A key handle is a root (@regclasses, @regcurrent,
// @regmachine, @regusers; @regroot is the classes root) or a handle that
// regopenkey or regcreatekey gave. A subkey may end in "[name]" to name a
// value; without it the key's default value (empty name) is meant. Setting
// a value creates its key.
#include <map>
#include <mutex>
#include <string>

#include "scriptlib/errors.h"
#include "scriptlib/families.h"
#include "scriptlib/registry_store.h"
#include "scriptlib/script_files.h"

namespace qsl {
namespace {

struct Root {
    int32_t handle;
    const char* name;
};
constexpr Root roots[] = {
    {1, "HKEY_CLASSES_ROOT"},
    {int32_t(0x80000000u), "HKEY_CLASSES_ROOT"},
    {int32_t(0x80000001u), "HKEY_CURRENT_USER"},
    {int32_t(0x80000002u), "HKEY_LOCAL_MACHINE"},
    {int32_t(0x80000003u), "HKEY_USERS"},
    {int32_t(0x80000005u), "HKEY_CURRENT_CONFIG"},
};

// Open keys of every instance of the process: handle -> full key path.
struct OpenKeys {
    std::mutex lock;
    std::map<int32_t, std::string> paths;
    int32_t next = 0x5000;
};
OpenKeys& open_keys() {
    static OpenKeys keys;
    return keys;
}

std::string key_path(Call& call, int32_t handle) {
    for (const Root& root : roots)
        if (root.handle == handle) return root.name;
    OpenKeys& keys = open_keys();
    std::lock_guard<std::mutex> guard(keys.lock);
    auto it = keys.paths.find(handle);
    if (it == keys.paths.end()) fail_because(call.c, errors::reg_bad_handle, std::to_string(handle));
    return it->second;
}

struct Place {
    std::string key;
    std::string name;
};

// handle + "sub\key[name]".
Place place_of(Call& call, int handle_arg = 0, int subkey_arg = 1) {
    Place place{key_path(call, call.integer(handle_arg)), ""};
    std::string subkey = call.text(subkey_arg);
    if (size_t open = subkey.find('['); open != std::string::npos && subkey.back() == ']') {
        place.name = subkey.substr(open + 1, subkey.size() - open - 2);
        subkey.resize(open);
    }
    while (!subkey.empty() && (subkey.back() == '\\' || subkey.back() == '/')) subkey.pop_back();
    while (!subkey.empty() && (subkey.front() == '\\' || subkey.front() == '/')) subkey.erase(0, 1);
    if (!subkey.empty()) place.key += "\\" + subkey;
    if (!registry_key_name_ok(place.key) || !registry_value_name_ok(place.name))
        fail_because(call.c, errors::reg_bad_key_name, "the registry store cannot hold this name: " + call.text(subkey_arg));
    return place;
}

int32_t new_handle(const std::string& path) {
    OpenKeys& keys = open_keys();
    std::lock_guard<std::mutex> guard(keys.lock);
    int32_t handle = keys.next++;
    keys.paths[handle] = path;
    return handle;
}

void reg_open_key(Call& call) {
    Place place = place_of(call);
    if (!registry_key_exists(place.key)) fail_because(call.c, errors::reg_open_failed, place.key);
    call.out.set_int(new_handle(place.key));
}

void reg_create_key(Call& call) {
    Place place = place_of(call);
    if (!registry_create_key(place.key)) fail_because(call.c, errors::reg_create_failed, registry_file().string());
    call.out.set_int(new_handle(place.key));
}

void reg_close_key(Call& call) {
    int32_t handle = call.integer(0);
    for (const Root& root : roots)
        if (root.handle == handle) return call.out.set_int(1);
    OpenKeys& keys = open_keys();
    std::lock_guard<std::mutex> guard(keys.lock);
    if (!keys.paths.erase(handle)) fail(errors::reg_close_failed);
    call.out.set_int(1);
}

void reg_delete_key(Call& call) {
    Place place = place_of(call);
    if (!registry_key_exists(place.key)) fail_because(call.c, errors::reg_delete_key_not_found, place.key);
    if (!registry_remove_key(place.key)) fail_because(call.c, errors::reg_delete_key_failed, registry_file().string());
    call.out.set_int(1);
}

void reg_del_value(Call& call) {
    Place place = place_of(call);
    if (!registry_remove_value(place.key, place.name))
        fail_because(call.c, errors::reg_del_value_failed, place.key + "[" + place.name + "]");
    call.out.set_int(1);
}

void reg_exist_key(Call& call) { call.out.set_int(registry_key_exists(place_of(call).key) ? 1 : 0); }

void reg_exist_value(Call& call) {
    Place place = place_of(call);
    call.out.set_int(registry_get(place.key, place.name) ? 1 : 0);
}

RegistryValue value_at(Call& call, int not_found, const Place& place) {
    auto value = registry_get(place.key, place.name);
    if (!value) fail_because(call.c, not_found, place.key + "[" + place.name + "]");
    return *value;
}

void reg_entry_type(Call& call) {
    call.out.set_int(int(value_at(call, errors::reg_entry_type_failed, place_of(call)).type));
}

// A query of a value of another type than the function reads is 1460.
RegistryValue typed_value(Call& call, int not_found, std::initializer_list<RegistryType> types) {
    Place place = place_of(call);
    RegistryValue value = value_at(call, not_found, place);
    for (RegistryType type : types)
        if (value.type == type) return value;
    fail_because(call.c, errors::reg_wrong_type, place.key + "[" + place.name + "]");
}

void reg_query_value(Call& call) {
    call.out.set_string(
        typed_value(call, errors::reg_query_value_failed, {RegistryType::string, RegistryType::expand_string}).data);
}
void reg_query_exp_sz(Call& call) {
    call.out.set_string(typed_value(call, errors::reg_query_expsz_failed, {RegistryType::expand_string, RegistryType::string}).data);
}
void reg_query_dword(Call& call) {
    call.out.set_int(int32_t(std::strtoll(typed_value(call, errors::reg_query_dword_failed, {RegistryType::dword}).data.c_str(), nullptr, 10)));
}
void reg_query_bin(Call& call) {
    RegistryValue value = typed_value(call, errors::reg_query_bin_failed, {RegistryType::binary});
    call.out.set_string(registry_text(value));
}

char delimiter_of(Call& call, int i) {
    std::string text = call.text(i);
    if (text.size() != 1) fail(errors::reg_bad_delimiter);
    return text[0];
}

void reg_query_mul_sz(Call& call) {
    char delimiter = delimiter_of(call, 2);
    call.out.set_string(registry_text(typed_value(call, errors::reg_query_mulsz_failed, {RegistryType::multi_string}), delimiter));
}

// RegQueryEx(handle, subkey, delimiter, type): any value as text; a type
// other than 0 must be the value's.
void reg_query_ex(Call& call) {
    std::string delimiter = call.text(2);
    Place place = place_of(call);
    RegistryValue value = value_at(call, errors::reg_query_ex_failed, place);
    if (call.integer(3) != 0 && call.integer(3) != int(value.type)) fail(errors::reg_wrong_type);
    call.out.set_string(registry_text(value, delimiter.empty() ? '\t' : delimiter[0]));
}

void reg_query_item(Call& call) {
    Place place = place_of(call);
    if (!registry_key_exists(place.key)) fail_because(call.c, errors::reg_query_item_failed, place.key);
    std::string out;
    for (const std::string& name : registry_value_names(place.key)) {
        if (!out.empty()) out += '\t';
        out += name;
    }
    call.out.set_string(out);
}

void reg_query_keys(Call& call) {
    call.out.set_int(int32_t(registry_subkeys(key_path(call, call.integer(0))).size()));
}

void reg_query_key(Call& call) {
    auto names = registry_subkeys(key_path(call, call.integer(0)));
    int index = call.integer(1);
    call.out.set_string(index >= 0 && size_t(index) < names.size() ? names[size_t(index)] : "");
}

void store(Call& call, const Place& place, const RegistryValue& value, int error) {
    if (!registry_set(place.key, place.name, value)) fail_because(call.c, error, registry_file().string());
    call.out.set_int(1);
}

void reg_set_value(Call& call) {
    store(call, place_of(call), {RegistryType::string, call.text(2)}, errors::reg_set_value_failed);
}
void reg_set_exp_sz(Call& call) {
    store(call, place_of(call), {RegistryType::expand_string, call.text(2)}, errors::reg_store_failed);
}

std::optional<std::string> dword_text(std::string_view text) {
    std::string copy(text);
    char* end;
    long long n = std::strtoll(copy.c_str(), &end, 0);
    if (copy.empty() || *end || n < -2147483648LL || n > 4294967295LL) return std::nullopt;
    return std::to_string(int32_t(uint32_t(n)));
}

void reg_set_dword(Call& call) {
    auto number = dword_text(call.view(2));
    if (!number) fail_because(call.c, errors::reg_set_dword_failed, call.text(2));
    store(call, place_of(call), {RegistryType::dword, *number}, errors::reg_store_failed);
}

std::optional<std::string> binary_of(std::string_view text) {
    std::string bytes;
    size_t i = 0;
    while (i < text.size()) {
        if (text[i] == ' ' || text[i] == ',') {
            ++i;
            continue;
        }
        if (i + 1 >= text.size() || !std::isxdigit(static_cast<unsigned char>(text[i])) ||
            !std::isxdigit(static_cast<unsigned char>(text[i + 1])))
            return std::nullopt;
        bytes += char(std::stoi(std::string(text.substr(i, 2)), nullptr, 16));
        i += 2;
    }
    return bytes;
}

void reg_set_bin(Call& call) {
    auto bytes = binary_of(call.view(2));
    if (!bytes) fail_because(call.c, errors::reg_set_bin_failed, call.text(2));
    store(call, place_of(call), {RegistryType::binary, *bytes}, errors::reg_store_failed);
}

std::string multi_of(std::string text, char delimiter) {
    for (char& ch : text)
        if (ch == delimiter) ch = '\0';
    return text;
}

void reg_set_mul_sz(Call& call) {
    char delimiter = delimiter_of(call, 3);
    store(call, place_of(call), {RegistryType::multi_string, multi_of(call.text(2), delimiter)}, errors::reg_store_failed);
}

// RegSetEx(handle, subkey, value, delimiter, type).
void reg_set_ex(Call& call) {
    Place place = place_of(call);
    std::string value = call.text(2), delimiter = call.text(3);
    switch (call.integer(4)) {
        case int(RegistryType::string): return store(call, place, {RegistryType::string, value}, errors::reg_store_failed);
        case int(RegistryType::expand_string):
            return store(call, place, {RegistryType::expand_string, value}, errors::reg_store_failed);
        case int(RegistryType::multi_string):
            return store(call, place, {RegistryType::multi_string, multi_of(value, delimiter.empty() ? '\t' : delimiter[0])},
                         errors::reg_store_failed);
        case int(RegistryType::dword):
            if (auto number = dword_text(value)) return store(call, place, {RegistryType::dword, *number}, errors::reg_store_failed);
            fail_because(call.c, errors::reg_set_dword_failed, value);
        case int(RegistryType::binary):
            if (auto bytes = binary_of(value)) return store(call, place, {RegistryType::binary, *bytes}, errors::reg_store_failed);
            fail_because(call.c, errors::reg_set_bin_failed, value);
    }
    fail(errors::reg_set_ex_failed);
}

// RegApp(program, path): the program's path under the App Paths key.
void reg_app(Call& call) {
    std::string program = call.text(0), path = call.text(1);
    if (program.empty() || !registry_key_name_ok(program) || program.find('\\') != std::string::npos)
        fail_because(call.c, errors::reg_app_failed, program);
    std::string key = "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\" + program;
    if (!registry_set(key, "", {RegistryType::string, path})) fail_because(call.c, errors::reg_app_failed, registry_file().string());
    call.out.set_int(1);
}

void reg_connect(Call& call) {
    fail_because(call.c, errors::reg_connect_failed, "this registry is a file of this machine; no other machine's can be reached");
}
void reg_load_hive(Call& call) {
    fail_because(call.c, errors::reg_load_hive_failed, "the registry store has no hives to load");
}
void reg_unload_hive(Call& call) {
    fail_because(call.c, errors::reg_unload_hive_failed, "the registry store has no hives to unload");
}

const Builtin functions[] = {
    {"regapp", reg_app},                {"regclosekey", reg_close_key},     {"regconnect", reg_connect},
    {"regcreatekey", reg_create_key},   {"regdeletekey", reg_delete_key},   {"regdelvalue", reg_del_value},
    {"regentrytype", reg_entry_type},   {"regexistkey", reg_exist_key},     {"regexistvalue", reg_exist_value},
    {"regloadhive", reg_load_hive},     {"regopenkey", reg_open_key},       {"regquerybin", reg_query_bin},
    {"regquerydword", reg_query_dword}, {"regqueryex", reg_query_ex},       {"regqueryexpsz", reg_query_exp_sz},
    {"regqueryitem", reg_query_item},   {"regquerykey", reg_query_key},     {"regquerykeys", reg_query_keys},
    {"regquerymulsz", reg_query_mul_sz}, {"regqueryvalue", reg_query_value}, {"regsetbin", reg_set_bin},
    {"regsetdword", reg_set_dword},     {"regsetex", reg_set_ex},           {"regsetexpsz", reg_set_exp_sz},
    {"regsetmulsz", reg_set_mul_sz},    {"regsetvalue", reg_set_value},     {"regunloadhive", reg_unload_hive},
};

[[maybe_unused]] const bool registered = register_family(functions);

}  // namespace
}  // namespace qsl
