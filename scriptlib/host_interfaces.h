// The library's small interfaces to the desktop: message boxes, the step
// dialog, the registry, the clipboard, sounds and windows. Headless defaults
// serve them until a host installs its own (QslSetInterfaces).
#pragma once

#include <cstddef>
#include <string>

#include "scriptlib/include/qsleng32.h"

namespace qsl {

int show_box(const std::string& title, const std::string& text, int buttons);
int step_dialog(const std::string& text, std::string& name);
bool registry_read(const std::string& key, const std::string& value_name, std::string& out);
bool registry_write(const std::string& key, const std::string& value_name, const std::string& value);
// The clipboard's text; false when it cannot be read.
bool clipboard_text(std::string& out);
bool set_clipboard_text(const std::string& text);
void play_sound(const char* event_name);
bool window_exists(QslHandle window);
QslHandle window_parent(QslHandle window);
void post_command(QslHandle window, int command);

}  // namespace qsl
