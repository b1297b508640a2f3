// How a script names a window: "" is the host's own window, "#WIN$ID#"
// with eight hexadecimal digits a window identifier, anything else a title
// pattern. A lookup by pattern tries the retry value (intcontrol 46) plus
// one times, a second apart.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "scriptlib/instance.h"
#include "scriptlib/window_system.h"

namespace qsl {

// "#WIN$ID#" followed by the handle in 8 upper-case hexadecimal digits.
std::string window_identifier(QslHandle window);
// The handle an identifier names, or nothing when the text is not one.
std::optional<QslHandle> parse_window_identifier(std::string_view name);

// Whether a window's title matches a pattern: "text" begins the title,
// "text~" is the whole title, "~text" occurs in it, "~text~" ends it.
// Untitled windows and "WinOldAp" never match.
bool title_matches(std::string_view title, std::string_view pattern);

enum class Retry { yes, no };

// Retries on or off for the whole process (on unless a host turns them off;
// the fuzz target does, so that no lookup sleeps).
void set_window_retries(bool enabled);

// The window a name stands for among the top-level windows (parent 0) or
// the children of parent; 0 when none.
QslHandle find_window(Context& c, const Windows& windows, std::string_view name, QslHandle parent = 0,
                      Retry retry = Retry::yes);

}  // namespace qsl
