// The library's own dialog back ends: a text-mode form on the controlling
// terminal and a window on an X server. Both follow QslDialogInterface's
// show_dialog (the pressed push button's index, -1 cancelled, -2 not shown).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "scriptlib/include/qsleng32.h"

namespace qsl {

int show_terminal_dialog(void* user, QslDialog* dialog);
// True when the terminal back end has a terminal to draw on.
bool terminal_dialogs_available();

int show_x11_dialog(void* user, QslDialog* dialog);
// True when $DISPLAY names an X server that accepts a connection.
bool x11_dialogs_available();

// What the back ends share: a push button's label without its "&" marks.
std::string_view button_label(const char* text, std::string& storage);

// What a back end returns when a break request ended the dialog.
constexpr int dialog_broken = -3;
// Watches for break requests (QslRequestBreak) made after it was made.
class BreakWatch {
public:
    BreakWatch();
    bool requested() const;

private:
    uint32_t seen_;
};

}  // namespace qsl
