#pragma once

// Bulletins: the vendor's notices embedded in update files. Each is taken out
// into a bulletin file BU??????.??? of the bulletin directory before its
// update file is merged, and at the end of the run copied into QUORUP.MSG and
// renamed B_??????.??? (shown).

#include <string_view>

#include "updater/updater.h"

namespace qv::updater {

// A bulletin file holds at most this many lines.
inline constexpr int bulletin_line_limit = 20;

// Extracts the bulletin of the update file `name` of the update directory, if
// it carries one and it was not extracted before (shown or not).
void extract_bulletin(const UpdaterState& state, std::string_view name);

// Copies every bulletin not yet shown into the message file, each after an
// empty line, and marks it shown.
void show_bulletins(const UpdaterState& state);

}  // namespace qv::updater
