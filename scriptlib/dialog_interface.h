// The dialog interface: the back end that shows forms. A host installs its
// own (QslSetDialogInterface) or picks one of the library's; by default the
// X11 back end serves when $DISPLAY answers, else the headless one.
#pragma once

#include "scriptlib/include/qsleng32.h"

namespace qsl {

// Shows the dialog through the installed back end.
int show_dialog(QslDialog& dialog);

}  // namespace qsl
