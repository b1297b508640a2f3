// Numbers are stored as decimal text; a missing key or value gives the default.
#include "scriptlib/settings.h"

#include <cstdlib>

#include "scriptlib/host_interfaces.h"

namespace qsl {
namespace {

std::string key_of(const std::string& section) {
    return "HKEY_LOCAL_MACHINE\\Software\\Kestrelsoft\\Settings\\KVXBATCH\\" + section;
}

}  // namespace

bool read_setting_text(const std::string& section, const std::string& name, std::string& out) {
    return registry_read(key_of(section), name, out);
}

int read_setting(const std::string& section, const std::string& name, int fallback) {
    std::string text;
    if (!read_setting_text(section, name, text) || text.empty()) return fallback;
    char* end;
    long value = std::strtol(text.c_str(), &end, 0);
    return end == text.c_str() ? fallback : int(value);
}

bool write_setting_text(const std::string& section, const std::string& name, const std::string& value) {
    return registry_write(key_of(section), name, value);
}

}  // namespace qsl
