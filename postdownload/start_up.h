#pragma once

#include "common/start_up.h"

namespace qv::postdownload {

// The post-download processing's start: its screen and the commodity table.
// The holidays come later, after the clean-up, so that a bad holiday file
// still leaves the update folder tidy for the merge it hands over.
inline StartUp start_up() { return qv::start_up(postdownload_profile); }

}  // namespace qv::postdownload
