#pragma once

#include "common/start_up.h"

namespace qv::updater {

inline constexpr const char* version = "5.5";

// The updater's start: its screen, the commodity table and the holidays.
// The settings, the update folder's tidying and the merge come in between and
// after, as the updater's flow has them.
StartUp start_up();

}  // namespace qv::updater
