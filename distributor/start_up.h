#pragma once

#include "common/start_up.h"

namespace qv::distributor {

inline constexpr const char* version = "3.0";

// The distributor's start: its screen, the commodity table (with group_index
// and decimal) and the holidays, whose problems it only warns about.
StartUp start_up();

}  // namespace qv::distributor
