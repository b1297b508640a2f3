#pragma once

#include "common/start_up.h"

namespace qv::distributor {

// The distributor's start: its screen, the commodity table (with group_index
// and decimal) and the holidays, whose problems it only warns about.
inline StartUp start_up() { return qv::start_up(distributor_profile); }

}  // namespace qv::distributor
