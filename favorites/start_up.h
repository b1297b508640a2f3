#pragma once

#include "common/start_up.h"

namespace qv::favorites {

// The favourites builder's start: its screen and the commodity table with
// group_index; it needs no holidays.
inline StartUp start_up() { return qv::start_up(favorites_profile); }

}  // namespace qv::favorites
