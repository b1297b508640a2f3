// Where a script's files and programs are: every file name a script gives
// goes through the suite's path translation (both separators, drive letters,
// \QUORVANT\ in the install folder, names found whatever their case), and a
// host may confine a script to one folder and forbid it to start programs or
// load libraries (the fuzz target does both).
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "scriptlib/instance.h"

namespace qsl {

// The Linux path of a file name given by a script. While files are confined,
// a path that leads outside the folder is taken inside it instead, as if the
// folder were the root of the file system.
std::filesystem::path script_path(std::string_view name);

// The folder of the library's own files on this machine (win.ini, the
// registry store): ~/.config/qsleng32.
std::filesystem::path settings_folder();

// Confines every file name to `root` (empty: no confinement).
void confine_files(const std::filesystem::path& root);
const std::filesystem::path& file_confinement();

// Starting programs and loading libraries (both on unless a host forbids them).
void allow_programs(bool allowed);
bool programs_allowed();

// Fails with `number`, leaving `detail` for the error box.
[[noreturn]] void fail_because(Context& c, int number, std::string_view detail);

// The system's reason for the last failed call (strerror of errno).
std::string system_reason();

}  // namespace qsl
