// The libraries a script loaded with dllload, one slot each in the instance.
#pragma once

#include "scriptlib/instance.h"

namespace qsl {

// Closes every library the instance loaded (teardown).
void free_script_libraries(Context& c);

}  // namespace qsl
