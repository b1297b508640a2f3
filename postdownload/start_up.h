#pragma once

#include "common/start_up.h"

namespace qv::postdownload {

// The post-download processing's start: its screen, the commodity table and
// the holidays.
inline StartUp start_up() { return qv::start_up(postdownload_profile); }

}  // namespace qv::postdownload
