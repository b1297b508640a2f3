// Extender libraries: loaded with dlopen, asked for their functions through
// their entry point, and called by function number.
#pragma once

#include <string>

#include "scriptlib/instance.h"

namespace qsl {

void add_extender(Context& c, const std::string& file);
void unload_extenders(Context& c);

}  // namespace qsl
