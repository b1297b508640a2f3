#include "scriptlib/dialog_back_ends.h"
namespace qsl {
bool x11_dialogs_available() { return false; }
int show_x11_dialog(void*, QslDialog*) { return -2; }
}  // namespace qsl
