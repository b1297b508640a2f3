// Entry points outside the frame (the menu files) reach an instance the way
// the frame's own do: locked for the call, or the running context borrowed
// when a host calls from inside a script of that instance.
#pragma once

#include <functional>

#include "scriptlib/instance.h"

namespace qsl {

// Runs work on the instance's context; false (and work not run) when the
// instance, its variable table or its string heap cannot be locked.
bool with_instance(QslHandle instance, const std::function<void(Context&)>& work);

}  // namespace qsl
