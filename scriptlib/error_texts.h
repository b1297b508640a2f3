// Message texts of error numbers and UI texts, with the per-language
// override file KVXDLANG.<language>.
#pragma once

#include <string>

namespace qsl {

std::string error_text(int number);
// Where the library itself lies; the override and INI files are looked for there.
std::string library_folder();

}  // namespace qsl
