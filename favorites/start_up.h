#pragma once

#include "common/start_up.h"

namespace qv::favorites {

// The favourites builder's start: its screen and the commodity table with
// group_index; it needs no holidays.
StartUp start_up();

}  // namespace qv::favorites
