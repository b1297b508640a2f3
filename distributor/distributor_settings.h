#pragma once

// The distributor's own reading of \QUORVANT\QUORUP.INI: only the six keys
// that say where and how the contract updates go (EXTENDED CONTRACTS, ASCII
// PATH, META PATH, ASCII MASK, META MASK, DATA FORMAT); every other key is
// left to the tools that own it.

#include <cstddef>
#include <cstdio>
#include <string_view>

#include "distributor/distribution.h"

namespace qv::distributor {

// Longest settings line the distributor reads; the rest of a longer line is
// passed over, never taken for a line of its own.
inline constexpr std::size_t distributor_settings_line_length = 100;

inline constexpr const char* settings_missing_message = " ERROR, could not open the initialization file QUORUP.INI ";

// Takes one line (without its line end) into the settings: a line that does
// not begin with USERCD is upper-cased, a line beginning with "**" is skipped,
// the "=" must stand at index 3 to 30, and the key must match exactly.
void read_distributor_setting(std::string_view line, DistributorSettings& settings);

// Reads every line of an open settings file.
DistributorSettings read_distributor_settings(std::FILE* file);

// Makes QUORUP.INI writable and reads it; when it cannot be opened, its
// backup QUORUP.BAK takes its name and is read. Without either the warning
// above is shown and the program ends.
DistributorSettings read_distributor_settings();

}  // namespace qv::distributor
