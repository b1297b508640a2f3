// The boxes that show a text and ask for a button, a line or a password:
// message, pause, display, askyesno, askline, askpassword, and buttonnames,
// which renames the buttons of the next box. They go through the dialog
// interface; Cancel is 9999, which a script catches with a CANCEL label.
#include "scriptlib/box_forms.h"
#include "scriptlib/errors.h"
#include "scriptlib/families.h"

#include <algorithm>
#include <cstdio>

namespace qsl {
namespace {

constexpr int display_seconds_max = 3600;

// Presses a button of the box; Cancel (or closing the box) stops the script
// with 9999.
int pressed(int value) {
    if (value < 0 || value == box_cancel) fail(errors::user_cancel);
    return value;
}

// message(title, text): a box with an OK button; 1.
void message(Call& call) {
    BoxForm box(call.view(0), call.text(1));
    box.show(ok_cancel_buttons(call.c, false));
    call.out.set_int(1);
}

// pause(title, text): OK goes on, Cancel stops; 1.
void pause(Call& call) {
    BoxForm box(call.view(0), call.text(1));
    pressed(box.show(ok_cancel_buttons(call.c)));
    call.out.set_int(1);
}

// display(seconds, title, text): the box closes itself after the seconds, or
// earlier with its button; 1.
void display(Call& call) {
    int seconds = std::clamp(call.integer(0), 0, display_seconds_max);
    BoxForm box(call.view(1), call.text(2));
    box.show(ok_cancel_buttons(call.c, false), seconds * 1000);
    call.out.set_int(1);
}

// askyesno(title, question): 1 for Yes, 0 for No; Cancel stops.
void ask_yes_no(Call& call) {
    BoxForm box(call.view(0), call.text(1));
    call.out.set_int(pressed(box.show(yes_no_cancel_buttons(call.c))) == box_ok ? 1 : 0);
}

std::string asked_line(Call& call, std::string_view title, std::string_view prompt, std::string_view initial,
                       bool hidden) {
    BoxForm box(title, prompt);
    box.add_edit(initial, hidden);
    pressed(box.show(ok_cancel_buttons(call.c)));
    return box.form.controls[size_t(box.control)].edit;
}

// askline(title, prompt, default): the line typed.
void ask_line(Call& call) {
    std::string title = call.text(0), prompt = call.text(1), initial = call.text(2);
    call.out.set_string(asked_line(call, title, prompt, initial, false));
}

// askpassword(title, prompt): the text typed, shown as stars.
void ask_password(Call& call) {
    std::string title = call.text(0), prompt = call.text(1);
    call.out.set_string(asked_line(call, title, prompt, "", true));
}

// buttonnames(ok, cancel): names the OK (Yes) and Cancel (No) buttons of the
// next box; an empty name keeps the usual one. 1.
void button_names(Call& call) {
    for (int i = 0; i < 2; ++i)
        std::snprintf(call.c.in->button_names[i], sizeof call.c.in->button_names[i], "%s", call.text(i).c_str());
    call.out.set_int(1);
}

const Builtin functions[] = {
    {"askline", ask_line},         {"askpassword", ask_password}, {"askyesno", ask_yes_no},
    {"buttonnames", button_names}, {"display", display},          {"message", message},
    {"pause", pause},
};

[[maybe_unused]] const bool registered = register_family(functions);

}  // namespace
}  // namespace qsl
