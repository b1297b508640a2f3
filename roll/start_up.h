#pragma once

#include "common/start_up.h"

namespace qv::roll {

// The rollover report's start: its screen, the commodity table and the holidays.
inline StartUp start_up() { return qv::start_up(roll_profile); }

}  // namespace qv::roll
