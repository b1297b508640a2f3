#include "scriptlib/dialog_back_ends.h"
namespace qsl {
bool terminal_dialogs_available() { return false; }
int show_terminal_dialog(void*, QslDialog*) { return -2; }
}  // namespace qsl
