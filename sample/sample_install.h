#pragma once

#include <filesystem>
#include <string>

namespace qv::sample {

// The support files of a realistic installation, as their texts.
std::string tables_ini();     // TABLES.INI: 76 commodities with every table
std::string holidays_qvt();   // HOLIDAYS.QVT: exchange holidays 1970 to 2030
std::string quorup_ini();     // QUORUP.INI: the settings of a user of both output kinds

// Writes an installation into `folder`: the three files and the fixed subfolders.
void write_installation(const std::filesystem::path& folder);

}  // namespace qv::sample
