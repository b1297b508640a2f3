#pragma once

#include "common/start_up.h"

namespace qv::postdownload {

// The post-download processing's start: its screen, the commodity table and
// the holidays.
StartUp start_up();

}  // namespace qv::postdownload
