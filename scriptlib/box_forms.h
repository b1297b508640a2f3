// The forms of the library's own boxes (message, pause, the ask boxes, the
// item and text boxes): a text at the top, an optional control below it and a
// row of push buttons, laid out in dialog units.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "scriptlib/dialog_form.h"
#include "scriptlib/values.h"

namespace qsl {

// Push button values of the boxes.
constexpr int box_ok = 1;
constexpr int box_cancel = 0;
constexpr int box_no = 2;

struct BoxButton {
    std::string text;
    int value;
};

class BoxForm {
public:
    BoxForm(std::string_view title, std::string_view text);

    // Adds an edit box (password style when hidden) under the text; its
    // variable, for answers, is "line".
    FormControl& add_edit(std::string_view initial, bool hidden);
    // Adds a list of items under the text; its variable is "items".
    FormControl& add_list(std::vector<std::string> items, bool multiple);

    // Shows the box with these buttons (the first is the default) and
    // returns the value of the button pressed, or -1 when it was cancelled.
    int show(const std::vector<BoxButton>& buttons, int timeout_ms = 0);

    Form form;
    int control = -1;  // the edit box or list, -1 none

private:
    int next_y_;
    int width_;
};

// The OK and Cancel buttons, or the names buttonnames gave them (used once).
std::vector<BoxButton> ok_cancel_buttons(Context& c, bool with_cancel = true);
// Yes, No and Cancel, with the names buttonnames gave to Yes and No.
std::vector<BoxButton> yes_no_cancel_buttons(Context& c);

}  // namespace qsl
