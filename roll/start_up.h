#pragma once

#include "common/start_up.h"

namespace qv::roll {

inline constexpr const char* version = "2.9";

// The rollover report's start: its screen, the commodity table and the holidays.
StartUp start_up();

}  // namespace qv::roll
