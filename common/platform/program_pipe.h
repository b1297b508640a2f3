#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

// Runs a program file with its arguments (no shell), gives it `input` on its
// standard input and collects its standard output into `output` (when not
// null), and waits for it. Its exit status, or nothing when it could not be
// started or did not end normally.
std::optional<int> run_piped(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                             std::string_view input, std::string* output);

}  // namespace qv
