#pragma once

// The installation a fuzz target runs whole tools in: the sample installation
// written once into a fresh temporary folder, which becomes the install folder,
// the working directory and every drive (so that no path a tool builds can
// lead outside it), with today fixed.

#include <filesystem>
#include <string_view>

namespace qv::fuzzing {

// The folder, made on the first call; `prefix` names it under /tmp.
const std::filesystem::path& fuzz_installation(std::string_view prefix);

// Replaces a file's content (making its folders).
void write_fuzz_file(const std::filesystem::path& path, std::string_view text);

}  // namespace qv::fuzzing
