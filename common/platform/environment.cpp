#include "common/platform/environment.h"

#include <cstdlib>

#include <unistd.h>

namespace qv {

std::optional<std::string> get_env(std::string_view name) {
    const std::string key(name);
    if (const char* value = std::getenv(key.c_str())) return std::string(value);
    return std::nullopt;
}

std::string get_env_or(std::string_view name, std::string_view fallback) {
    auto value = get_env(name);
    if (!value || value->empty()) return std::string(fallback);
    return *value;
}

bool env_flag(std::string_view name) {
    auto value = get_env(name);
    return value && *value == "1";
}

void set_env(std::string_view name, std::string_view value) {
    ::setenv(std::string(name).c_str(), std::string(value).c_str(), 1);
}

void unset_env(std::string_view name) {
    ::unsetenv(std::string(name).c_str());
}

std::vector<std::string> all_env() {
    std::vector<std::string> variables;
    for (char** entry = environ; entry && *entry; ++entry) variables.emplace_back(*entry);
    return variables;
}

}  // namespace qv
