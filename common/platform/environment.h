#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

// The process environment. The rest of the suite asks here instead of calling
// getenv, so that every setting the Linux layer honours is found in one place.

// The value of a variable; nothing when it is not set.
std::optional<std::string> get_env(std::string_view name);

// The value of a variable, or `fallback` when it is unset or empty.
std::string get_env_or(std::string_view name, std::string_view fallback);

// A switch such as QUORVANT_SYNC or QUORVANT_FSYNC: on only when set to "1".
bool env_flag(std::string_view name);

void set_env(std::string_view name, std::string_view value);
// Every variable of the environment as "NAME=value", in the environment's order.
std::vector<std::string> all_env();
void unset_env(std::string_view name);

}  // namespace qv
