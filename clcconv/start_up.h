#pragma once

#include "common/start_up.h"

namespace qv::clcconv {

// The converter's start: the commodity table. Its menu, or its command line,
// is all it shows; it needs no holidays.
StartUp start_up();

}  // namespace qv::clcconv
