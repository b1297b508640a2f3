// The window interface over an X server (Xlib with the desktop's EWMH
// hints; synthetic keys and mouse through XTest).
#pragma once

#include <optional>
#include <string>

#include "scriptlib/include/qsleng32.h"

namespace qsl {

// The interface for the X display named (the value of $DISPLAY), opened on
// first use and kept; nothing when it cannot be opened, with the reason.
// `no_input` is set to why keys and the mouse are missing (XTest), else "".
std::optional<QslWindowInterface> x11_window_interface(const std::string& display, std::string& no_input);

}  // namespace qsl
