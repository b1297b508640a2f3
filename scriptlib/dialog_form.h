// A form of controls shown through the dialog interface: the library builds
// one for every script-defined dialog and every ask, item and text box, hands
// it to the installed back end (headless, terminal or X11) and reads the
// controls' states back.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "scriptlib/include/qsleng32.h"

namespace qsl {

struct FormControl {
    int type = QSL_CONTROL_STATIC;
    int x = 0, y = 0, width = 0, height = 0;
    std::string variable;
    std::string text;
    int value = 0;
    bool checked = false;
    std::string edit;
    std::vector<std::string> items;
    std::vector<unsigned char> selected;
    bool multiple = false;

    void set_items(std::vector<std::string> list);
    std::vector<std::string> selected_items() const;
};

// What the user did: pressed the push button of that index, or cancelled.
struct FormResult {
    int button = -1;          // control index, -1 cancelled
    bool broken = false;      // a break request ended the dialog
    bool cancelled() const { return button < 0; }
};

class Form {
public:
    std::string caption;
    int x = 0, y = 0, width = 0, height = 0;
    std::vector<FormControl> controls;
    int focus = -1;
    int default_button = -1;
    int timeout_ms = 0;

    FormControl& add(int type, int cx, int cy, int cwidth, int cheight, std::string_view text);
    FormControl& add_button(int cx, int cy, std::string_view text, int value);

    // Shows the form through the installed dialog interface and takes the
    // controls' states back; 3104 when the back end cannot show it.
    FormResult show();
};

// Splits a text into lines (LF, CR LF or CR) for labels and boxes.
std::vector<std::string> text_lines(std::string_view text);
// The width in dialog units that a text of that many characters needs.
constexpr int text_units(size_t characters) { return int(characters) * 4; }

}  // namespace qsl
