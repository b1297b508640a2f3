#pragma once

#include "common/start_up.h"

namespace qv::clcconv {

// The converter's start: the commodity table. Its menu, or its command line,
// is all it shows; it needs no holidays.
inline StartUp start_up() { return qv::start_up(clcconv_profile); }

}  // namespace qv::clcconv
