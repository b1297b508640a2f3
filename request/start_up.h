#pragma once

#include "common/start_up.h"

namespace qv::request {

// The request preparation's start: the commodity table. It shows nothing on the
// screen unless it fails, and needs no holidays.
inline StartUp start_up() { return qv::start_up(request_profile); }

}  // namespace qv::request
