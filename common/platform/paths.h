#pragma once

// The paths of the installation: the DOS form in which the tools, the settings
// and the build files name files (\QUORVANT\..., drive letters, either
// separator) turned into Linux paths below the install folder.

#include <filesystem>
#include <string>
#include <string_view>

namespace qv {

// The folder that stands for \QUORVANT\: $QUORVANT_ROOT, else the working directory.
std::filesystem::path install_root();

// The one translation of every path the tools meet (DOS or Linux form) into a
// Linux path: both separators, "X:" drives, \QUORVANT\ in the install folder,
// other drives under $QUORVANT_DRIVE_X or /. Existing files and folders are
// found whatever the case of their names on disk; a component that does not
// exist keeps the case it was written in.
std::filesystem::path translate_path(std::string_view path);

// A file of the install folder, "\QUORVANT\" + name, translated.
std::filesystem::path install_file(std::string_view name);

}  // namespace qv
