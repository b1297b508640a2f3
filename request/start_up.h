#pragma once

#include "common/start_up.h"

namespace qv::request {

// The request preparation's start: the commodity table. It shows nothing on the
// screen unless it fails, and needs no holidays.
StartUp start_up();

}  // namespace qv::request
