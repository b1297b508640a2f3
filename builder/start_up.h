#pragma once

#include <string_view>

#include "common/start_up.h"

namespace qv::builder {

// The output builder's start: its working screen (with the relinking note when
// the build file is the updater's $ROLL list), the commodity table and the
// holidays.
StartUp start_up(std::string_view build_file);

}  // namespace qv::builder
